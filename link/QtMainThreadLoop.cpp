#include "link/QtMainThreadLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QSocketNotifier>

namespace {

const QEvent::Type HandoffEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TQtReadableWatch : public TReadableWatch {
 public:
  TQtReadableWatch(int Fd, std::function<void()> Callback)
      : Notifier(static_cast<qintptr>(Fd), QSocketNotifier::Read) {
    QObject::connect(&Notifier, &QSocketNotifier::activated, &Notifier,
                     [Callback = std::move(Callback)] { Callback(); });
  }

 private:
  QSocketNotifier Notifier;
};

}  // namespace

TQtMainThreadLoop::TQtMainThreadLoop(QObject* Parent) : QObject(Parent) {}

TQtMainThreadLoop::~TQtMainThreadLoop() {
  Shutdown();
}

void TQtMainThreadLoop::Post(std::function<void()> Task) {
  QMetaObject::invokeMethod(
      this, [Task = std::move(Task)] { Task(); }, Qt::QueuedConnection);
}

std::unique_ptr<TReadableWatch> TQtMainThreadLoop::WatchReadable(int Fd,
                                                                 std::function<void()> Callback) {
  return std::make_unique<TQtReadableWatch>(Fd, std::move(Callback));
}

void TQtMainThreadLoop::WakeMainThread() {
  // One wake event in the queue is enough: it runs every queued handoff.
  if (!WakePosted.exchange(true)) {
    QCoreApplication::postEvent(this, new QEvent(HandoffEvent));
  }
}

bool TQtMainThreadLoop::event(QEvent* Event) {
  if (Event->type() != HandoffEvent) {
    return QObject::event(Event);
  }
  WakePosted = false;
  try {
    RunPendingHandoffs();
  } catch (...) {
    // Handoffs queued behind the failed one still get their turn.
    WakeMainThread();
    throw;
  }
  return true;
}
