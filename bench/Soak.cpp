// SPDX-License-Identifier: GPL-3.0-or-later
// Soak: a million input reports through a looped acquisition of the whole
// window on the simulated analyser, unpaced, while the resident memory is
// sampled. After the warm-up it must stay within a small bound of where it
// was: anything kept per report or per restitution would show as growth.
//
//   la16_soak [--reports N] [--samples K] [--warm-up PERCENT] [--bound KIB]
//
// Prints the samples, then the first, warm-up, last and peak resident sizes
// and heap in use, the reports handled and lost, and the time; exits 1 when
// either floor (the lowest of a tenth of the samples) grew by more than the
// bound (1 MiB) from just after the warm-up (the first 10 %) to the end, or
// the window reported an error.
#include <malloc.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/Environment.h"
#include "app/Form1.h"
#include "link/JvHidControllerClass.h"
#include "link/SimulatedHidPlatform.h"
#include "simulator/SimulatedAnalyserDevice.h"

namespace {

// Everything outside the window: a folder of its own, no one at the dialogs,
// the simulated machine; errors are counted and printed.
class TSoakEnvironment : public TEnvironment {
 public:
  QString ProgramFolder() const override { return Folder.path() + QStringLiteral("/"); }
  QString UserDataFolder() const override { return Folder.path() + QStringLiteral("/data/"); }
  bool Installed() const override { return false; }
  // The clock stands still: a moving one adds a text a second to the
  // picture's text cache (up to its 256 texts), which would hide what the
  // reports do to the memory.
  QDateTime Now() const override { return QDateTime(QDate(2026, 3, 1), QTime(9, 7, 5)); }
  void ShowError(const QString& Message) override {
    ++Errors;
    std::fprintf(stderr, "error box: %s\n", Message.toUtf8().constData());
  }
  void ShowInformation(const QString&) override {}
  bool AskYesNo(const QString&) override { return false; }
  void Beep() override {}
  void OpenUrl(const QString&, const std::function<void()>&) override {}
  TSaveDialogAnswer AskSaveFileName(const TSaveDialogRequest&,
                                    const std::function<void(const QString&)>&) override {
    return {};
  }
  QString AskOpenFileName(const QString&, const QString&) override { return {}; }
  bool ChoosePrinter(QPrinter&) override { return false; }
  void CopyImage(const QImage&) override {}
  THidPlatform& HidPlatform() override { return Platform; }
  void Terminate() override { Terminated = true; }

  QTemporaryDir Folder;
  TSimulatedHidPlatform Platform;
  int Errors = 0;
  bool Terminated = false;
};

long ResidentKiB() {
  std::ifstream Status("/proc/self/status");
  std::string Key;
  while (Status >> Key) {
    if (Key == "VmRSS:") {
      long Value = 0;
      Status >> Value;
      return Value;
    }
    Status.ignore(1 << 12, '\n');
  }
  return -1;
}

struct TOptions {
  long Reports = 1000000;
  long Samples = 100;
  long WarmUpPercent = 10;
  long BoundKiB = 1024;
};

bool ParseOptions(int Argc, char** Argv, TOptions& Options) {
  for (int I = 1; I + 1 < Argc; I += 2) {
    const std::string Name = Argv[I];
    char* End = nullptr;
    const long Value = std::strtol(Argv[I + 1], &End, 10);
    if (*End != '\0' || Value <= 0) {
      return false;
    }
    if (Name == "--reports") {
      Options.Reports = Value;
    } else if (Name == "--samples") {
      Options.Samples = Value;
    } else if (Name == "--warm-up") {
      Options.WarmUpPercent = Value;
    } else if (Name == "--bound") {
      Options.BoundKiB = Value;
    } else {
      return false;
    }
  }
  return Argc % 2 == 1 && Options.WarmUpPercent < 100 && Options.Samples <= Options.Reports;
}

// Heap bytes handed out and not freed yet: tells a leak (it grows) from a
// heap that only gets more scattered (the resident size grows, not this).
long HeapInUseKiB() {
  const struct mallinfo2 Info = ::mallinfo2();
  return static_cast<long>((Info.uordblks + Info.hblkhd) / 1024);
}

struct TSoakSample {
  long Reports;
  double Seconds;
  long Kib;
  long HeapKib;
};

}  // namespace

int main(int Argc, char** Argv) {
  QApplication Application(Argc, Argv);
  TOptions Options;
  if (!ParseOptions(Argc, Argv, Options)) {
    std::fprintf(
        stderr, "usage: la16_soak [--reports N] [--samples K] [--warm-up PERCENT] [--bound KIB]\n");
    return 2;
  }

  TSoakEnvironment Environment;
  TForm1 Form(Environment);
  TSimulatorOptions Simulator;
  Simulator.TimeScale = 0;
  TSimulatedAnalyserDevice Analyser(Environment.Platform, Simulator);
  Analyser.Plug();
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Form.AnalyserDevice == nullptr && std::chrono::steady_clock::now() < Deadline) {
    Application.processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  if (Form.AnalyserDevice == nullptr || !Form.AnalyserDevice->OnReport()) {
    std::fprintf(stderr, "the simulated analyser was not attached\n");
    return 1;
  }

  long Handled = 0;
  Form.AnalyserDevice->SetOnReport([Inner = Form.AnalyserDevice->OnReport(), &Handled](
                                       TJvHidDevice& HidDev, std::uint8_t ReportID,
                                       const std::uint8_t* Data, std::uint16_t Size) {
    Inner(HidDev, ReportID, Data, Size);
    ++Handled;
  });

  std::vector<TSoakSample> Samples;
  const long Every = Options.Reports / Options.Samples;
  long NextSample = Every;
  const auto Start = std::chrono::steady_clock::now();
  const auto Elapsed = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  };
  Form.SpeedButton24->click();  // loop
  while (Handled < Options.Reports && !Environment.Terminated) {
    Application.processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (Handled >= NextSample) {
      Samples.push_back({Handled, Elapsed(), ResidentKiB(), HeapInUseKiB()});
      NextSample += Every;
    }
  }
  const double Seconds = Elapsed();
  Form.SpeedButton23->click();  // halt
  Analyser.Unplug();

  if (Samples.empty() || Environment.Terminated) {
    std::fprintf(stderr, "the soak ended early, after %ld reports\n", Handled);
    return 1;
  }
  std::printf("%10s %9s %10s %9s\n", "reports", "seconds", "VmRSS KiB", "heap KiB");
  for (const TSoakSample& Sample : Samples) {
    std::printf("%10ld %9.2f %10ld %9ld\n", Sample.Reports, Sample.Seconds, Sample.Kib,
                Sample.HeapKib);
  }
  const std::size_t WarmIndex = std::min(
      Samples.size() - 1, Samples.size() * static_cast<std::size_t>(Options.WarmUpPercent) / 100);
  // A picture may or may not be held twice when a sample is taken, so single
  // samples swing by its size; a leak raises the floor. Compare the lowest
  // value just after the warm-up with the lowest of the last tenth.
  const std::size_t Tenth = std::max<std::size_t>(1, Samples.size() / 10);
  const auto Floor = [&](std::size_t From, long TSoakSample::*Field) {
    long Lowest = Samples[From].*Field;
    for (std::size_t I = From; I < std::min(Samples.size(), From + Tenth); ++I) {
      Lowest = std::min(Lowest, Samples[I].*Field);
    }
    return Lowest;
  };
  const std::size_t LastTenth = Samples.size() - Tenth;
  long Peak = 0;
  for (const TSoakSample& Sample : Samples) {
    Peak = std::max(Peak, Sample.Kib);
  }
  const TSoakSample& Warm = Samples[WarmIndex];
  const long Growth = Floor(LastTenth, &TSoakSample::Kib) - Floor(WarmIndex, &TSoakSample::Kib);
  const long HeapGrowth =
      Floor(LastTenth, &TSoakSample::HeapKib) - Floor(WarmIndex, &TSoakSample::HeapKib);
  const std::int32_t Restitutions = Form.State.RestitutionCount;
  std::printf("reports handled %ld, restitutions %d, reports lost to the full queue %zu\n", Handled,
              Restitutions, Analyser.HidInterface().DroppedReports());
  std::printf("time %.1f s, %.0f reports/s\n", Seconds, static_cast<double>(Handled) / Seconds);
  std::printf("VmRSS KiB: first %ld, after warm-up (%ld reports) %ld, last %ld, peak %ld\n",
              Samples.front().Kib, Warm.Reports, Warm.Kib, Samples.back().Kib, Peak);
  std::printf("heap in use KiB: first %ld, after warm-up %ld, last %ld\n", Samples.front().HeapKib,
              Warm.HeapKib, Samples.back().HeapKib);
  std::printf(
      "growth of the floor after warm-up: VmRSS %ld KiB, heap %ld KiB (bound %ld KiB); error boxes "
      "%d\n",
      Growth, HeapGrowth, Options.BoundKiB, Environment.Errors);
  const bool Passed =
      Growth <= Options.BoundKiB && HeapGrowth <= Options.BoundKiB && Environment.Errors == 0;
  std::printf("%s\n", Passed ? "soak passed" : "soak FAILED");
  return Passed ? 0 : 1;
}
