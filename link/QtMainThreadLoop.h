// The main-thread loop on Qt's event loop: posted tasks arrive as queued
// calls, watched descriptors and the reader threads' wake-ups through socket
// notifiers. An exception thrown by a task, a watch callback or a handoff
// propagates into Qt's event dispatch (the application's notify()), after
// releasing the waiting reader.
#pragma once

#include "link/MainThreadLoop.h"
#include "link/UniqueFd.h"

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

class TQtMainThreadLoop : public QObject, public TMainThreadLoop {
 public:
  /// Create it on the main thread, after the application object.
  explicit TQtMainThreadLoop(QObject* Parent = nullptr);
  ~TQtMainThreadLoop() override;

  /// Main thread.
  void Post(std::function<void()> Task) override;
  std::unique_ptr<TReadableWatch> WatchReadable(int Fd, std::function<void()> Callback) override;

 protected:
  void WakeMainThread() override;

 private:
  void RunHandoffs();

  // Reader threads only write to this descriptor: no Qt object is touched
  // off the main thread.
  TUniqueFd WakeFd;
  std::unique_ptr<QSocketNotifier> WakeNotifier;
};
