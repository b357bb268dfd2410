// SPDX-License-Identifier: GPL-3.0-or-later
// The link's throughput: input reports from the simulated platform through
// the analyser's reader thread and its queue handed over to a handler on
// the main thread, which runs a real Qt event loop (TQtMainThreadLoop).
// Handoff latency runs from the moment the reader's read returns a report to
// the moment the handler starts on the main thread.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "app/ProcessTimes.h"
#include "bench/BenchTargets.h"
#include "link/AnalyserProtocol.h"
#include "link/JvHidControllerClass.h"
#include "link/QtMainThreadLoop.h"
#include "link/SimulatedHidPlatform.h"
#include "simulator/SimulatedAnalyserDevice.h"

namespace {

constexpr double TargetReportsPerSecond = 20000;
constexpr double TargetHandoffMicroseconds = 50;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A reading handle that stamps the return of every read that brought a report.
class TStampingHandle : public THidHandle {
 public:
  TStampingHandle(std::unique_ptr<THidHandle> Inner, std::atomic<std::int64_t>& Stamp)
      : Inner(std::move(Inner)), Stamp(Stamp) {}
  THidAccess Access() const override { return Inner->Access(); }
  bool GetAttributes(THidAttributes& Attributes, THidError& Error) override {
    return Inner->GetAttributes(Attributes, Error);
  }
  bool GetCaps(THidCaps& Caps, THidError& Error) override { return Inner->GetCaps(Caps, Error); }
  bool GetNumInputBuffers(std::uint32_t& Count) override {
    return Inner->GetNumInputBuffers(Count);
  }
  bool SetNumInputBuffers(std::uint32_t Count) override { return Inner->SetNumInputBuffers(Count); }
  bool Write(const std::uint8_t* Report, std::size_t Length, std::size_t& Written,
             THidError& Error) override {
    return Inner->Write(Report, Length, Written, Error);
  }
  THidReadResult Read(std::uint8_t* Buffer, std::size_t Length, int TimeoutMs) override {
    THidReadResult Result = Inner->Read(Buffer, Length, TimeoutMs);
    if (Result.Status == THidReadResult::Report) {
      Stamp = NowNs();
    }
    return Result;
  }
  void Cancel() override { Inner->Cancel(); }

 private:
  std::unique_ptr<THidHandle> Inner;
  std::atomic<std::int64_t>& Stamp;
};

// The simulated platform, its reading handles stamped.
class TStampingPlatform : public THidPlatform {
 public:
  explicit TStampingPlatform(TSimulatedHidPlatform& Inner) : Inner(Inner) {}
  std::optional<std::vector<THidInterface>> Enumerate() override { return Inner.Enumerate(); }
  std::unique_ptr<THidHandle> OpenMain(const std::string& Path, THidError& Error) override {
    return Inner.OpenMain(Path, Error);
  }
  std::unique_ptr<THidHandle> OpenReader(const std::string& Path, THidError& Error) override {
    auto Handle = Inner.OpenReader(Path, Error);
    if (!Handle) {
      return Handle;
    }
    return std::make_unique<TStampingHandle>(std::move(Handle), ReadDone);
  }
  TWaitable ChangeNotice() const override { return Inner.ChangeNotice(); }
  void DrainChangeNotice() override { Inner.DrainChangeNotice(); }

  /// When the last read that brought a report returned (steady clock, ns).
  std::atomic<std::int64_t> ReadDone{0};

 private:
  TSimulatedHidPlatform& Inner;
};

/// The analyser's interface checked out of a controller on the Qt loop, with
/// a report handler that runs OnReport on the main thread.
class TLinkRig {
 public:
  TLinkRig() {
    Analyser = Simulated.PlugNew(SimulatedAnalyserInterfaceOptions());
    Controller = std::make_unique<TJvHidDeviceController>(Platform, Loop);
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Controller->CheckOutMatching(Device, AnalyserVendorId, AnalyserProductId) &&
           std::chrono::steady_clock::now() < Deadline) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    if (Device == nullptr) {
      throw std::runtime_error("the controller never listed the analyser");
    }
    Device->SetOnReport(
        [this](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) { OnReport(); });
    if (!Analyser->WaitForReaders(1, std::chrono::seconds(10))) {
      throw std::runtime_error("the analyser's reader never started");
    }
  }
  ~TLinkRig() {
    delete Device;  // the release: stops the reader
    Controller.reset();
  }

  TSimulatedHidPlatform Simulated;
  TStampingPlatform Platform{Simulated};
  TQtMainThreadLoop Loop;
  std::shared_ptr<TSimulatedHidInterface> Analyser;
  std::unique_ptr<TJvHidDeviceController> Controller;
  TJvHidDevice* Device = nullptr;
  std::function<void()> OnReport = [] {};
  const std::vector<std::uint8_t> Report = [] {
    std::vector<std::uint8_t> Bytes(InputReportSize, 0x5A);
    Bytes[0] = 0;
    Bytes[1] = 1;
    return Bytes;
  }();
};

/// CPU seconds of the main thread and of the reader thread so far.
struct TLinkCpu {
  double Main = 0;
  double Reader = 0;
};

TLinkCpu LinkCpu() {
  TLinkCpu Cpu;
  for (const TThreadTimes& Thread : ReadThreadTimes()) {
    if (Thread.Id == ::getpid()) {
      Cpu.Main += Thread.Seconds();
    } else if (Thread.Name == "la16-hid-reader") {
      Cpu.Reader += Thread.Seconds();
    }
  }
  return Cpu;
}

double Median(std::vector<double> Values) {
  if (Values.empty()) {
    return 0;
  }
  const auto Middle = Values.begin() + static_cast<std::ptrdiff_t>(Values.size() / 2);
  std::nth_element(Values.begin(), Middle, Values.end());
  return *Middle;
}

// Unpaced: the interface's queue is kept about half full, as a device
// sending faster than the program reads would keep it, so the reader never
// waits for a report. The handler queues the next report itself, which
// costs it one short lock.
void LinkThroughput(benchmark::State& State) {
  constexpr int Batch = 2000;
  constexpr int Backlog = 32;
  TLinkRig Rig;
  std::vector<double> Handoffs;
  int Handled = 0;
  int Injected = 0;
  QEventLoop Waiting;
  Rig.OnReport = [&] {
    Handoffs.push_back(static_cast<double>(NowNs() - Rig.Platform.ReadDone.load()) * 1e-3);
    if (Injected < Batch) {
      Rig.Analyser->InjectReport(Rig.Report);
      ++Injected;
    }
    if (++Handled == Batch) {
      Waiting.quit();
    }
  };
  for (auto _ : State) {
    Handled = 0;
    Injected = 0;
    for (; Injected < Backlog; ++Injected) {
      Rig.Analyser->InjectReport(Rig.Report);
    }
    Waiting.exec();
  }
  State.SetItemsProcessed(State.iterations() * Batch);
  State.counters["handoff_median_us"] = Median(std::move(Handoffs));
  State.counters["dropped"] = static_cast<double>(Rig.Analyser->DroppedReports());
}
BENCHMARK(LinkThroughput)->Unit(benchmark::kMillisecond)->UseRealTime();

// At the bus limit, one report per millisecond: the main thread sleeps in
// its event loop between reports, as it does while the analyser restitutes.
void LinkAtBusRate(benchmark::State& State) {
  constexpr int Batch = 500;
  TLinkRig Rig;
  std::vector<double> Handoffs;
  std::vector<double> EndToEnd;
  std::atomic<std::int64_t> Injected{0};
  std::atomic<int> Handled{0};
  QEventLoop Waiting;
  Rig.OnReport = [&] {
    const std::int64_t Now = NowNs();
    Handoffs.push_back(static_cast<double>(Now - Rig.Platform.ReadDone.load()) * 1e-3);
    EndToEnd.push_back(static_cast<double>(Now - Injected.load()) * 1e-3);
    if (++Handled == Batch) {
      Waiting.quit();
    }
  };
  const TLinkCpu Before = LinkCpu();
  for (auto _ : State) {
    Handled = 0;
    std::thread Device([&] {
      auto Next = std::chrono::steady_clock::now();
      for (int Sent = 0; Sent < Batch; ++Sent) {
        Next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(Next);
        Injected = NowNs();
        Rig.Analyser->InjectReport(Rig.Report);
      }
    });
    Waiting.exec();
    Device.join();
  }
  const TLinkCpu After = LinkCpu();
  const double Reports = static_cast<double>(State.iterations()) * Batch;
  State.counters["handoff_median_us"] = Median(std::move(Handoffs));
  State.counters["report_to_handler_median_us"] = Median(std::move(EndToEnd));
  State.counters["main_cpu_us_per_report"] = (After.Main - Before.Main) / Reports * 1e6;
  State.counters["reader_cpu_us_per_report"] = (After.Reader - Before.Reader) / Reports * 1e6;
}
BENCHMARK(LinkAtBusRate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The main thread busy for a second (a slow repaint, a dialog opening, a
// loaded machine) while the analyser sends at the bus limit: the system
// keeps 64 reports for a reader that does not read, so the reader must go
// on reading. Counts the reports that never reached the handler.
void LinkStalledMainThread(benchmark::State& State) {
  constexpr int Batch = 1500;
  TLinkRig Rig;
  int Handled = 0;
  bool Stalled = false;
  QEventLoop Waiting;
  Rig.OnReport = [&] {
    if (!std::exchange(Stalled, true)) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (++Handled == Batch) {
      Waiting.quit();
    }
  };
  double Lost = 0;
  double Dropped = 0;
  for (auto _ : State) {
    Handled = 0;
    Stalled = false;
    const std::size_t DroppedBefore = Rig.Analyser->DroppedReports();
    std::thread Device([&] {
      auto Next = std::chrono::steady_clock::now();
      for (int Sent = 0; Sent < Batch; ++Sent) {
        Next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(Next);
        Rig.Analyser->InjectReport(Rig.Report);
      }
    });
    // Lost reports never come: give up two seconds after the last was sent.
    QTimer GiveUp;
    GiveUp.setSingleShot(true);
    QObject::connect(&GiveUp, &QTimer::timeout, &Waiting, &QEventLoop::quit);
    GiveUp.start(std::chrono::milliseconds(Batch + 2000));
    Waiting.exec();
    Device.join();
    Lost += Batch - Handled;
    Dropped += static_cast<double>(Rig.Analyser->DroppedReports() - DroppedBefore);
  }
  State.counters["reports_lost"] = Lost / static_cast<double>(State.iterations());
  State.counters["dropped_by_system"] = Dropped / static_cast<double>(State.iterations());
}
BENCHMARK(LinkStalledMainThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int Argc, char** Argv) {
  QCoreApplication Application(Argc, Argv);
  return RunBenchmarks(Argc, Argv, [](const TMedianReporter& Figures) {
    if (Figures.Has("LinkThroughput")) {
      const double Rate = Figures.Counter("LinkThroughput", "items_per_second");
      const double Handoff = Figures.Counter("LinkThroughput", "handoff_median_us");
      PrintTargetLine(Rate >= TargetReportsPerSecond,
                      "Link throughput, unpaced: " + Fixed(Rate, 0) + " reports/s median (target " +
                          Fixed(TargetReportsPerSecond, 0) +
                          " reports/s or more, 20 times the bus limit)");
      PrintTargetLine(Handoff < TargetHandoffMicroseconds,
                      "Handoff latency, unpaced: " + Fixed(Handoff, 1) +
                          " µs median (target under " + Fixed(TargetHandoffMicroseconds, 0) +
                          " µs)");
    }
    if (Figures.Has("LinkAtBusRate")) {
      const double Handoff = Figures.Counter("LinkAtBusRate", "handoff_median_us");
      const double EndToEnd = Figures.Counter("LinkAtBusRate", "report_to_handler_median_us");
      PrintTargetLine(Handoff < TargetHandoffMicroseconds,
                      "Handoff latency at one report per ms: " + Fixed(Handoff, 1) +
                          " µs median (target under " + Fixed(TargetHandoffMicroseconds, 0) +
                          " µs); from the report's arrival " + Fixed(EndToEnd, 1) + " µs");
      const double Main = Figures.Counter("LinkAtBusRate", "main_cpu_us_per_report");
      const double Reader = Figures.Counter("LinkAtBusRate", "reader_cpu_us_per_report");
      std::cout << "         CPU per report: " << Fixed(Main, 1) << " µs on the main thread, "
                << Fixed(Reader, 1) << " µs on the reader; at 1000 reports/s "
                << Fixed((Main + Reader) / 10, 2) << " % of one core (no target)" << std::endl;
    }
    if (Figures.Has("LinkStalledMainThread")) {
      const double Lost = Figures.Counter("LinkStalledMainThread", "reports_lost");
      PrintTargetLine(Lost == 0,
                      "Reports lost while the main thread is busy for 1 s at one "
                      "report per ms: " +
                          Fixed(Lost, 0) + " of 1500 (target 0)");
    }
  });
}
