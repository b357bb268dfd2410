#include "link/PollMainThreadLoop.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

class TPollMainThreadLoop::TWatch : public TReadableWatch {
 public:
  TWatch(TPollMainThreadLoop& Loop, std::uint64_t Id) : Loop(Loop), Id(Id) {}
  ~TWatch() override { Loop.Unwatch(Id); }

 private:
  TPollMainThreadLoop& Loop;
  std::uint64_t Id;
};

TPollMainThreadLoop::TPollMainThreadLoop() : WakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (!WakeFd.Valid()) {
    throw std::system_error(errno, std::generic_category(), "eventfd");
  }
}

TPollMainThreadLoop::~TPollMainThreadLoop() {
  Shutdown();
}

void TPollMainThreadLoop::Post(std::function<void()> Task) {
  {
    std::lock_guard Guard(TaskLock);
    Tasks.push_back(std::move(Task));
  }
  WakeMainThread();
}

std::unique_ptr<TReadableWatch> TPollMainThreadLoop::WatchReadable(int Fd,
                                                                   std::function<void()> Callback) {
  const auto Id = NextWatchId++;
  Watches.push_back({Id, Fd, std::make_shared<std::function<void()>>(std::move(Callback))});
  return std::make_unique<TWatch>(*this, Id);
}

void TPollMainThreadLoop::Unwatch(std::uint64_t Id) {
  std::erase_if(Watches, [Id](const TWatchEntry& Entry) { return Entry.Id == Id; });
}

void TPollMainThreadLoop::WakeMainThread() {
  const std::uint64_t One = 1;
  // A full counter already means "wake up"; nothing else can go wrong here.
  [[maybe_unused]] auto Ignored = ::write(WakeFd.Get(), &One, sizeof One);
}

bool TPollMainThreadLoop::RunOnce(std::chrono::milliseconds Timeout) {
  std::vector<pollfd> Fds;
  Fds.push_back({WakeFd.Get(), POLLIN, 0});
  const auto Snapshot = Watches;
  for (const auto& Entry : Snapshot) {
    Fds.push_back({Entry.Fd, POLLIN, 0});
  }
  {
    std::lock_guard Guard(TaskLock);
    if (!Tasks.empty()) {
      Timeout = std::chrono::milliseconds(0);
    }
  }
  int Ready = ::poll(Fds.data(), Fds.size(), static_cast<int>(Timeout.count()));
  if (Ready < 0 && errno != EINTR) {
    throw std::system_error(errno, std::generic_category(), "poll");
  }
  bool Ran = false;
  if (Fds[0].revents != 0) {
    std::uint64_t Count = 0;
    [[maybe_unused]] auto Ignored = ::read(WakeFd.Get(), &Count, sizeof Count);
  }
  Ran = RunPendingHandoffs() > 0;
  std::deque<std::function<void()>> Due;
  {
    std::lock_guard Guard(TaskLock);
    Due.swap(Tasks);
  }
  while (!Due.empty()) {
    auto Task = std::move(Due.front());
    Due.pop_front();
    Ran = true;
    try {
      Task();
    } catch (...) {
      // Keep the tasks not yet run for the next round.
      std::lock_guard Guard(TaskLock);
      Tasks.insert(Tasks.begin(), std::make_move_iterator(Due.begin()),
                   std::make_move_iterator(Due.end()));
      throw;
    }
  }
  for (std::size_t I = 0; I < Snapshot.size(); ++I) {
    const bool StillWatched = std::any_of(Watches.begin(), Watches.end(), [&](const auto& Entry) {
      return Entry.Id == Snapshot[I].Id;
    });
    if (Fds[I + 1].revents != 0 && StillWatched) {
      Ran = true;
      (*Snapshot[I].Callback)();
    }
  }
  return Ran || Ready > 0;
}

bool TPollMainThreadLoop::RunUntil(const std::function<bool()>& Done,
                                   std::chrono::milliseconds Timeout) {
  const auto Deadline = std::chrono::steady_clock::now() + Timeout;
  while (!Done()) {
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    if (Left.count() <= 0) {
      return Done();
    }
    RunOnce(std::min(Left, std::chrono::milliseconds(10)));
  }
  return true;
}
