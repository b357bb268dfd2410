// The application object: Qt's, plus the one place where an error that
// escapes an event handler is caught and shown.
#pragma once

#include <QApplication>

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
