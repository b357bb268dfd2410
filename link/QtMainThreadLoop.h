// SPDX-License-Identifier: GPL-3.0-or-later
// The main-thread loop on Qt's event loop: posted tasks arrive as queued
// calls, watched waitables and the reader threads' wake-ups through Qt's
// notifiers (socket notifiers on POSIX systems, event notifiers on
// Windows). An exception thrown by a task, a watch callback or a handoff
// propagates into Qt's event dispatch (the application's notify()), after
// releasing the waiting reader.
#pragma once

#include "link/MainThreadLoop.h"
#include "link/Waitable.h"

#include <QObject>

#include <functional>
#include <memory>


class TQtMainThreadLoop : public QObject, public TMainThreadLoop {
 public:
  /// Create it on the main thread, after the application object.
  explicit TQtMainThreadLoop(QObject* Parent = nullptr);
  ~TQtMainThreadLoop() override;

  /// Main thread.
  void Post(std::function<void()> Task) override;
  std::unique_ptr<TWaitableWatch> WatchSignalled(TWaitable Waitable,
                                                 std::function<void()> Callback) override;

 protected:
  void WakeMainThread() override;

 private:
  void RunHandoffs();

  // Reader threads only raise this event: no Qt object is touched off the
  // main thread.
  TWakeEvent Wake;
  std::unique_ptr<TWaitableWatch> WakeWatch;
};
