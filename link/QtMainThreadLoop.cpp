#include "link/QtMainThreadLoop.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace {

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

TQtMainThreadLoop::TQtMainThreadLoop(QObject* Parent)
    : QObject(Parent), WakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (!WakeFd.Valid()) {
    throw std::system_error(errno, std::generic_category(), "eventfd");
  }
  WakeNotifier =
      std::make_unique<QSocketNotifier>(static_cast<qintptr>(WakeFd.Get()), QSocketNotifier::Read);
  connect(WakeNotifier.get(), &QSocketNotifier::activated, this, [this] { RunHandoffs(); });
}

TQtMainThreadLoop::~TQtMainThreadLoop() {
  Shutdown();
  WakeNotifier.reset();
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
  const std::uint64_t One = 1;
  [[maybe_unused]] auto Ignored = ::write(WakeFd.Get(), &One, sizeof One);
}

void TQtMainThreadLoop::RunHandoffs() {
  std::uint64_t Count = 0;
  [[maybe_unused]] auto Ignored = ::read(WakeFd.Get(), &Count, sizeof Count);
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
