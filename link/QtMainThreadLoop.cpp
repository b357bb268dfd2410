#include "link/QtMainThreadLoop.h"

#include <QMetaObject>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

namespace {

// Qt watches a descriptor with a socket notifier and an event handle with an
// event notifier; both say "activated" when it is signalled.
#ifdef Q_OS_WIN
class TQtWaitableWatch : public TWaitableWatch {
 public:
  TQtWaitableWatch(TWaitable Waitable, std::function<void()> Callback)
      : Notifier(reinterpret_cast<Qt::HANDLE>(Waitable)) {
    QObject::connect(&Notifier, &QWinEventNotifier::activated, &Notifier,
                     [Callback = std::move(Callback)] { Callback(); });
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
