// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PollMainThreadLoop.h"

#include <algorithm>

class TPollMainThreadLoop::TWatch : public TWaitableWatch {
 public:
  TWatch(TPollMainThreadLoop& Loop, std::uint64_t Id) : Loop(Loop), Id(Id) {}
  ~TWatch() override { Loop.Unwatch(Id); }

 private:
  TPollMainThreadLoop& Loop;
  std::uint64_t Id;
};

TPollMainThreadLoop::TPollMainThreadLoop() = default;

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

std::unique_ptr<TWaitableWatch> TPollMainThreadLoop::WatchSignalled(
    TWaitable Waitable, std::function<void()> Callback) {
  const auto Id = NextWatchId++;
  Watches.push_back({Id, Waitable, std::make_shared<std::function<void()>>(std::move(Callback))});
  return std::make_unique<TWatch>(*this, Id);
}

void TPollMainThreadLoop::Unwatch(std::uint64_t Id) {
  std::erase_if(Watches, [Id](const TWatchEntry& Entry) { return Entry.Id == Id; });
}

void TPollMainThreadLoop::WakeMainThread() {
  Wake.Set();
}

bool TPollMainThreadLoop::RunOnce(std::chrono::milliseconds Timeout) {
  std::vector<TWaitable> Waitables;
  Waitables.push_back(Wake.Waitable());
  const auto Snapshot = Watches;
  for (const auto& Entry : Snapshot) {
    Waitables.push_back(Entry.Waitable);
  }
  {
    std::lock_guard Guard(TaskLock);
    if (!Tasks.empty()) {
      Timeout = std::chrono::milliseconds(0);
    }
  }
  const std::vector<bool> Signalled = WaitForSignals(Waitables, Timeout);
  const bool Ready = std::find(Signalled.begin(), Signalled.end(), true) != Signalled.end();
  bool Ran = false;
  if (Signalled[0]) {
    Wake.Clear();
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
    if (Signalled[I + 1] && StillWatched) {
      Ran = true;
      (*Snapshot[I].Callback)();
    }
  }
  return Ran || Ready;
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
