// The main-thread loop on Qt's event loop: posted tasks and handoffs arrive
// as events, watched descriptors through socket notifiers. An exception
// thrown by a task, a watch callback or a handoff propagates into Qt's event
// dispatch (the application's notify()), after releasing the waiting reader.
#pragma once

#include "link/MainThreadLoop.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class TQtMainThreadLoop : public QObject, public TMainThreadLoop {
 public:
  /// Create it on the main thread, after the application object.
  explicit TQtMainThreadLoop(QObject* Parent = nullptr);
  ~TQtMainThreadLoop() override;

  void Post(std::function<void()> Task) override;
  std::unique_ptr<TReadableWatch> WatchReadable(int Fd, std::function<void()> Callback) override;

 protected:
  void WakeMainThread() override;
  bool event(QEvent* Event) override;

 private:
  std::atomic<bool> WakePosted{false};
};
