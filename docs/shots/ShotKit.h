// SPDX-License-Identifier: GPL-3.0-or-later
// What the guide's picture taker needs around the real windows: letting the
// event loop run, waiting for the analyser's restitutions, grabbing widgets,
// parts of a window or of the screen, and looking at the box or dialog a
// command opens before closing it.
#pragma once

#include <QDir>
#include <QEvent>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QWidget;
class TForm1;

/// Runs the event loop for a while, so that windows paint and timers fire.
void Settle(std::chrono::milliseconds Duration = std::chrono::milliseconds(300));

/// Runs the event loop until Done() or the timeout; false on time-out.
bool WaitUntil(const std::function<bool()>& Done,
               std::chrono::milliseconds Timeout = std::chrono::seconds(10));

/// Counts the restitutions the window has finished (end blocks handled).
class TRestitutionCounter {
 public:
  /// Wraps the report handler of the analyser the window holds.
  explicit TRestitutionCounter(TForm1& Form);
  /// Waits until Count more restitutions have ended; false on time-out.
  bool WaitFor(int Count);

 private:
  std::shared_ptr<int> Ends = std::make_shared<int>(0);
};

/// Where the pictures go; remembers whether every one was written.
class TShotFolder {
 public:
  explicit TShotFolder(const QString& Path) : Folder(Path) {}
  void Save(const QImage& Picture, const QString& Name);
  /// Notes a step that could not be done, so the run fails.
  void Fail(const QString& What);
  /// Done, or a failure of the step What; returns Done.
  bool Check(bool Done, const char* What);
  bool AllDone() const { return Done; }

 private:
  QDir Folder;
  bool Done = true;
};

/// Widget's rectangle in global (screen) coordinates.
QRect GlobalRect(const QWidget* Widget);
/// The part Area (in Window's coordinates) of the window as it draws itself.
QImage GrabPart(QWidget* Window, const QRect& Area);
/// Area of the screen (global coordinates) as shown, windows on top included.
QImage GrabScreen(const QRect& Area);

/// A left-button mouse event at Point (Widget's coordinates), as the user
/// gives it: press, move with the button held, or release.
void SendMouse(QWidget* Widget, QEvent::Type Type, QPoint Point);

/// Runs Command, which opens a modal box or dialog; once it is shown, Look
/// gets it, then it is closed as with Escape. False when none opened.
bool AnswerModal(const std::function<void()>& Command, const std::function<void(QWidget*)>& Look);
