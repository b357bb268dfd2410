// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: Qt's, plus the places where an error that escapes
// a handler is caught and shown.
#pragma once

#include <QApplication>
#include <functional>

class TEnvironment;

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& Argc, char** Argv);

  /// Where errors are shown; without one they are written to standard error.
  void SetEnvironment(TEnvironment* Environment) { ErrorBoxes = Environment; }

  /// Delivers the event; an exception escaping its handler is shown in the
  /// standard error box with its message, the event counts as not handled,
  /// and the program goes on.
  bool notify(QObject* Receiver, QEvent* Event) override;

  /// Shows Message in the standard error box.
  void ReportError(const QString& Message);

 private:
  TEnvironment* ErrorBoxes = nullptr;
};

/// Runs a handler where Qt calls it (a slot). An error escaping it is caught
/// right there: Qt's widget and GUI code is built without exceptions, so an
/// error unwinding through it would skip its clean-up, leaking memory and
/// leaving its state half changed. The error is shown like one escaping an
/// event handler or, when Qt ran the handler inside CarryHandlerErrors, kept
/// for CarryHandlerErrors to rethrow.
void RunHandler(const std::function<void()>& Handler);

/// Runs Call, which may have Qt run handlers (setValue, setChecked), and
/// rethrows the first error one of them raised once Call has returned, so the
/// caller's command stops as if it had called the handler itself. Handlers
/// those handlers set off in turn show their own errors.
void CarryHandlerErrors(const std::function<void()>& Call);
