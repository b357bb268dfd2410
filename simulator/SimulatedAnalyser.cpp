// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SimulatedAnalyser.h"

#include <pthread.h>

#include <algorithm>
#include <array>

TSimulatedAnalyser::TSimulatedAnalyser(TReportSink Sink, TSimulatorOptions Options)
    : Sink(std::move(Sink)),
      Clock(Options.TimeScale),
      Firmware(Options.Seed, std::move(Options.FixedMemory)) {
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
    const std::lock_guard<std::mutex> Lock(QueueMutex);
    if (Stopping || Queue.size() >= MaxQueuedCommands) {
      return;
    }
    Queue.push_back(*Command);
  }
  Wake.notify_one();
}

void TSimulatedAnalyser::Stop() {
  {
    const std::lock_guard<std::mutex> Lock(QueueMutex);
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
  std::unique_lock<std::mutex> Lock(QueueMutex);
  return Settled.wait_for(Lock, Timeout, [this] { return Stopping || (Idle && Queue.empty()); }) &&
         !Stopping;
}

TFirmwareState TSimulatedAnalyser::State() const {
  const std::lock_guard<std::mutex> Lock(FirmwareMutex);
  return Firmware.State();
}

TSampleMemory TSimulatedAnalyser::Memory() const {
  const std::lock_guard<std::mutex> Lock(FirmwareMutex);
  return Firmware.Memory();
}

void TSimulatedAnalyser::Run() {
  // Named so that the device's share of the CPU can be told from the program's.
  ::pthread_setname_np(::pthread_self(), "la16-simulator");
  const auto Interrupted = [this] { return Stopping || !Queue.empty(); };
  std::deque<TFirmwareCommand> Batch;
  for (;;) {
    {
      const std::lock_guard<std::mutex> Lock(QueueMutex);
      if (Stopping) {
        break;
      }
      Batch.swap(Queue);
    }
    std::optional<TSimTime> Due;
    {
      const std::lock_guard<std::mutex> Lock(FirmwareMutex);
      for (const TFirmwareCommand& Command : Batch) {
        Firmware.Execute(Command, Clock.Now());
      }
      Due = Firmware.NextEventTime();
    }
    Batch.clear();
    {
      std::unique_lock<std::mutex> Lock(QueueMutex);
      if (!Due) {
        Idle = true;
        Settled.notify_all();
        Wake.wait(Lock, Interrupted);
        Idle = false;
        continue;
      }
      if (!Clock.WaitUntil(Lock, Wake, *Due, Interrupted)) {
        continue;
      }
    }
    std::optional<TInputBlock> Block;
    {
      const std::lock_guard<std::mutex> Lock(FirmwareMutex);
      Block = Firmware.Advance(std::max(Clock.Now(), *Due));
    }
    if (Block) {
      std::array<std::uint8_t, InputReportSize> Report{};
      std::copy(Block->begin(), Block->end(), Report.begin() + 1);
      Sink(Report.data(), Report.size());
    }
  }
  Settled.notify_all();
}
