#include "simulator/SimulatedAnalyser.h"

#include <algorithm>
#include <array>

TSimulatedAnalyser::TSimulatedAnalyser(TReportSink Sink, TSimulatorOptions Options)
    : Sink(std::move(Sink)), Clock(Options.TimeScale), Firmware(Options.Seed) {
  Worker = std::thread([this] { Run(); });
}

TSimulatedAnalyser::~TSimulatedAnalyser() {
  Stop();
}

void TSimulatedAnalyser::ReceiveOutputReport(const std::uint8_t* Report, std::size_t Size) {
  const std::optional<TFirmwareCommand> Command = ParseOutputReport(Report, Size);
  if (!Command) {
    return;
  }
  {
    const std::lock_guard<std::mutex> Lock(Mutex);
    if (Stopping || Queue.size() >= MaxQueuedCommands) {
      return;
    }
    Queue.push_back(*Command);
  }
  Wake.notify_one();
}

void TSimulatedAnalyser::Stop() {
  {
    const std::lock_guard<std::mutex> Lock(Mutex);
    Stopping = true;
    Queue.clear();
  }
  Wake.notify_all();
  Settled.notify_all();
  if (Worker.joinable() && Worker.get_id() != std::this_thread::get_id()) {
    Worker.join();
  }
}

bool TSimulatedAnalyser::WaitIdle(std::chrono::milliseconds Timeout) const {
  std::unique_lock<std::mutex> Lock(Mutex);
  return Settled.wait_for(Lock, Timeout, [this] { return Stopping || IdleLocked(); }) && !Stopping;
}

TFirmwareState TSimulatedAnalyser::State() const {
  const std::lock_guard<std::mutex> Lock(Mutex);
  return Firmware.State();
}

TSampleMemory TSimulatedAnalyser::Memory() const {
  const std::lock_guard<std::mutex> Lock(Mutex);
  return Firmware.Memory();
}

bool TSimulatedAnalyser::IdleLocked() const {
  return Queue.empty() && !InSink && !Firmware.NextEventTime();
}

void TSimulatedAnalyser::Run() {
  std::unique_lock<std::mutex> Lock(Mutex);
  const auto Interrupted = [this] { return Stopping || !Queue.empty(); };
  while (!Stopping) {
    while (!Queue.empty()) {
      const TFirmwareCommand Command = Queue.front();
      Queue.pop_front();
      Firmware.Execute(Command, Clock.Now());
    }
    const std::optional<TSimTime> Due = Firmware.NextEventTime();
    if (!Due) {
      Settled.notify_all();
      Wake.wait(Lock, Interrupted);
      continue;
    }
    if (!Clock.WaitUntil(Lock, Wake, *Due, Interrupted)) {
      continue;
    }
    const std::optional<TInputBlock> Block = Firmware.Advance(std::max(Clock.Now(), *Due));
    if (!Block) {
      continue;
    }
    std::array<std::uint8_t, InputReportSize> Report{};
    std::copy(Block->begin(), Block->end(), Report.begin() + 1);
    InSink = true;
    Lock.unlock();
    Sink(Report.data(), Report.size());
    Lock.lock();
    InSink = false;
  }
  Settled.notify_all();
}
