// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/QtMainThreadLoop.h"

#include <QMetaObject>
#include <QtGlobal>

#include <exception>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

namespace {

// Qt watches a descriptor with a socket notifier and an event handle with an
// event notifier; both say "activated" when it is signalled.
#ifdef Q_OS_WIN
// The event notifier waits for its handle again only once activated() has
// returned: an exception thrown through it would leave the watch deaf for
// good. What the callback throws is thrown again from a queued call, which
// reaches the application's notify() all the same.
class TQtWaitableWatch : public TWaitableWatch {
 public:
  TQtWaitableWatch(TWaitable Waitable, std::function<void()> Callback)
      : Notifier(reinterpret_cast<Qt::HANDLE>(Waitable)) {
    QObject::connect(&Notifier, &QWinEventNotifier::activated, &Notifier,
                     [this, Callback = std::move(Callback)] {
                       try {
                         Callback();
                       } catch (...) {
                         QMetaObject::invokeMethod(
                             &Notifier,
                             [Error = std::current_exception()] { std::rethrow_exception(Error); },
                             Qt::QueuedConnection);
                       }
                     });
  }

 private:
  QWinEventNotifier Notifier;
};
#else
class TQtWaitableWatch : public TWaitableWatch {
 public:
  TQtWaitableWatch(TWaitable Waitable, std::function<void()> Callback)
      : Notifier(static_cast<qintptr>(Waitable), QSocketNotifier::Read) {
    QObject::connect(&Notifier, &QSocketNotifier::activated, &Notifier,
                     [Callback = std::move(Callback)] { Callback(); });
  }

 private:
  QSocketNotifier Notifier;
};
#endif

}  // namespace

TQtMainThreadLoop::TQtMainThreadLoop(QObject* Parent) : QObject(Parent) {
  WakeWatch = WatchSignalled(Wake.Waitable(), [this] { RunHandoffs(); });
}

TQtMainThreadLoop::~TQtMainThreadLoop() {
  Shutdown();
  WakeWatch.reset();
}

void TQtMainThreadLoop::Post(std::function<void()> Task) {
  QMetaObject::invokeMethod(
      this, [Task = std::move(Task)] { Task(); }, Qt::QueuedConnection);
}

std::unique_ptr<TWaitableWatch> TQtMainThreadLoop::WatchSignalled(TWaitable Waitable,
                                                                  std::function<void()> Callback) {
  return std::make_unique<TQtWaitableWatch>(Waitable, std::move(Callback));
}

void TQtMainThreadLoop::WakeMainThread() {
  Wake.Set();
}

void TQtMainThreadLoop::RunHandoffs() {
  Wake.Clear();
  try {
    RunPendingHandoffs();
  } catch (...) {
    // Handoffs queued behind the failed one still get their turn.
    if (QueuedHandoffs() > 0) {
      WakeMainThread();
    }
    throw;
  }
}
