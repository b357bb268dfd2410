// SPDX-License-Identifier: GPL-3.0-or-later
// The la16 program itself, run as a user runs it, with the measurement probe
// of app/MeasurementProbe.h: start-up to the first painted main window with
// its peak resident memory, and the CPU it uses while the simulated analyser
// loops at the bus limit. The program runs from a folder of its own (a copy
// of the binary), so its settings file is the bench's.
//
// The looped share is a long loop's CPU time minus a short one's, over the
// difference of their lengths: what the program costs to start and to stop
// cancels out. Each thread is given apart, the simulated analyser's left
// out; the lowest of the repetitions counts, since other work on the
// machine only ever adds to it. With a display (scripts/bench starts Xvfb)
// the program draws on it as a user's does.
#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchTargets.h"

extern char** environ;

namespace {

constexpr double TargetStartUpMilliseconds = 400;
constexpr double TargetPeakMegabytes = 80;
constexpr double TargetCpuShare = 0.04;
// Measured seconds of the short and the long loop: 2 and 16, or 1 and 2 in a
// smoke run.
int ShortLoopSeconds() {
  return SmokeRun() ? 1 : 2;
}
int LongLoopSeconds() {
  return SmokeRun() ? 2 : 16;
}

std::int64_t MonotonicNs() {
  timespec Now{};
  ::clock_gettime(CLOCK_MONOTONIC, &Now);
  return static_cast<std::int64_t>(Now.tv_sec) * 1000000000LL + Now.tv_nsec;
}

/// A copy of the program in a folder of its own, removed at the end.
class TProgramCopy {
 public:
  TProgramCopy() {
    const char* Given = std::getenv("LA16_PROGRAM");
    const std::filesystem::path Source = Given != nullptr && *Given != 0 ? Given : LA16_PROGRAM;
    std::string Template = (std::filesystem::temp_directory_path() / "la16-bench-XXXXXX").string();
    if (::mkdtemp(Template.data()) == nullptr) {
      throw std::runtime_error("cannot make a folder for the program");
    }
    Folder = Template;
    Path = Folder / "la16";
    std::filesystem::copy_file(Source, Path);
    // PC speed 100 on line 8: one report per millisecond.
    std::ofstream Settings(Folder / "parametres.inf", std::ios::binary);
    for (int Line = 1; Line <= 80; ++Line) {
      Settings << (Line == 8 ? "100" : "") << "\r\n";
    }
  }
  ~TProgramCopy() {
    std::error_code Ignored;
    std::filesystem::remove_all(Folder, Ignored);
  }
  std::filesystem::path Folder;
  std::filesystem::path Path;
};

TProgramCopy& Program() {
  static TProgramCopy Copy;
  return Copy;
}

struct TRun {
  std::int64_t Started = 0;  ///< monotonic ns just before the spawn
  std::map<std::string, std::string> Probe;
};

/// Runs the program with LA16_PROBE=Probe and the arguments, and returns the
/// fields of its probe line. Throws when it fails or outlasts Timeout.
/// With OnDisplay, on the X display when there is one.
TRun RunProgram(const std::string& Probe, const std::vector<std::string>& Arguments,
                std::chrono::seconds Timeout, bool OnDisplay = false) {
  const char* Display = std::getenv("DISPLAY");
  const bool X11 = OnDisplay && Display != nullptr && *Display != 0;
  std::vector<std::string> Environment;
  for (char** Each = environ; *Each != nullptr; ++Each) {
    const std::string_view Variable(*Each);
    if (Variable.rfind("LA16_PROBE=", 0) != 0 &&
        !(X11 && Variable.rfind("QT_QPA_PLATFORM=", 0) == 0)) {
      Environment.emplace_back(*Each);
    }
  }
  Environment.push_back("LA16_PROBE=" + Probe);
  if (X11) {
    Environment.emplace_back("QT_QPA_PLATFORM=xcb");
  } else if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    Environment.emplace_back("QT_QPA_PLATFORM=offscreen");
  }
  std::vector<char*> EnvironmentPointers;
  for (std::string& Each : Environment) {
    EnvironmentPointers.push_back(Each.data());
  }
  EnvironmentPointers.push_back(nullptr);
  std::string ProgramPath = Program().Path.string();
  std::vector<std::string> Words{ProgramPath};
  Words.insert(Words.end(), Arguments.begin(), Arguments.end());
  std::vector<char*> Argv;
  for (std::string& Word : Words) {
    Argv.push_back(Word.data());
  }
  Argv.push_back(nullptr);

  int Pipe[2];
  if (::pipe(Pipe) != 0) {
    throw std::runtime_error("pipe");
  }
  posix_spawn_file_actions_t Actions;
  ::posix_spawn_file_actions_init(&Actions);
  ::posix_spawn_file_actions_adddup2(&Actions, Pipe[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addclose(&Actions, Pipe[0]);
  ::posix_spawn_file_actions_addclose(&Actions, Pipe[1]);
  TRun Run;
  pid_t Child = 0;
  Run.Started = MonotonicNs();
  const int Spawned = ::posix_spawn(&Child, ProgramPath.c_str(), &Actions, nullptr, Argv.data(),
                                    EnvironmentPointers.data());
  ::posix_spawn_file_actions_destroy(&Actions);
  ::close(Pipe[1]);
  if (Spawned != 0) {
    ::close(Pipe[0]);
    throw std::runtime_error("cannot start " + ProgramPath);
  }

  std::string Output;
  const auto Deadline = std::chrono::steady_clock::now() + Timeout;
  bool TimedOut = false;
  for (;;) {
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    if (Left.count() <= 0) {
      TimedOut = true;
      break;
    }
    pollfd Wait{Pipe[0], POLLIN, 0};
    if (::poll(&Wait, 1, static_cast<int>(Left.count())) <= 0) {
      continue;
    }
    char Chunk[4096];
    const ssize_t Got = ::read(Pipe[0], Chunk, sizeof Chunk);
    if (Got <= 0) {
      break;
    }
    Output.append(Chunk, static_cast<std::size_t>(Got));
  }
  ::close(Pipe[0]);
  if (TimedOut) {
    ::kill(Child, SIGKILL);
  }
  int Status = 0;
  ::waitpid(Child, &Status, 0);
  if (TimedOut) {
    throw std::runtime_error("la16 did not finish within " + std::to_string(Timeout.count()) +
                             " s");
  }
  if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0) {
    throw std::runtime_error("la16 failed; it printed: " + Output);
  }

  const std::size_t Line = Output.find("la16-probe ");
  if (Line == std::string::npos) {
    throw std::runtime_error("la16 printed no probe line: " + Output);
  }
  std::istringstream Fields(Output.substr(Line, Output.find('\n', Line) - Line));
  std::string Field;
  while (Fields >> Field) {
    const std::size_t Equals = Field.find('=');
    if (Equals != std::string::npos) {
      Run.Probe[Field.substr(0, Equals)] = Field.substr(Equals + 1);
    }
  }
  return Run;
}

double Number(const TRun& Run, const std::string& Key) {
  const auto Found = Run.Probe.find(Key);
  if (Found == Run.Probe.end()) {
    throw std::runtime_error("the probe line lacks " + Key);
  }
  return std::stod(Found->second);
}

// Process start to the first paint of the main window, on the machine's real
// HID devices (none needed).
void StartUp(benchmark::State& State) {
  double PeakKilobytes = 0;
  for (auto _ : State) {
    try {
      const TRun Run = RunProgram("first-paint", {}, std::chrono::seconds(30));
      State.SetIterationTime(
          static_cast<double>(static_cast<std::int64_t>(Number(Run, "monotonic-ns")) -
                              Run.Started) *
          1e-9);
      PeakKilobytes = Number(Run, "vm-hwm-kb");
    } catch (const std::exception& Error) {
      State.SkipWithError(Error.what());
      break;
    }
  }
  State.counters["peak_MB"] = PeakKilobytes / 1024;
}
BENCHMARK(StartUp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// CPU seconds of each thread of a loop, by name (threads of one name summed).
std::map<std::string, double> ThreadSeconds(const TRun& Run) {
  std::map<std::string, double> Seconds;
  const auto Found = Run.Probe.find("threads");
  if (Found == Run.Probe.end()) {
    throw std::runtime_error("the probe line lacks threads");
  }
  std::istringstream Entries(Found->second);
  std::string Entry;
  while (std::getline(Entries, Entry, ',')) {
    const std::size_t Colon = Entry.rfind(':');
    if (Colon != std::string::npos) {
      Seconds[Entry.substr(0, Colon)] += std::stod(Entry.substr(Colon + 1));
    }
  }
  return Seconds;
}

// One repetition of the looped figures, in % of a core and ms.
struct TLoopFigures {
  double Program = 0;  ///< every thread but the simulated analyser's
  double Main = 0;
  double Reader = 0;
  double WithSimulator = 0;
  double RestitutionsPerSecond = 0;
  double MainMsPerRestitution = 0;
};
std::vector<TLoopFigures> LoopRepetitions;

// A looped acquisition at the fastest time base on the simulated analyser,
// PC speed 100: restitutions follow each other at one report per millisecond.
void LoopedAcquisitionCpu(benchmark::State& State) {
  for (auto _ : State) {
    try {
      const auto Loop = [](int Seconds) {
        return RunProgram("loop:" + std::to_string(Seconds), {"--simulate"},
                          std::chrono::seconds(Seconds + 60), true);
      };
      const TRun Short = Loop(ShortLoopSeconds());
      const TRun Long = Loop(LongLoopSeconds());
      const double Seconds = Number(Long, "seconds") - Number(Short, "seconds");
      const double Restitutions = Number(Long, "restitutions") - Number(Short, "restitutions");
      const std::map<std::string, double> Before = ThreadSeconds(Short);
      TLoopFigures Figures;
      for (const auto& [Name, Used] : ThreadSeconds(Long)) {
        const auto Earlier = Before.find(Name);
        const double Share =
            (Used - (Earlier != Before.end() ? Earlier->second : 0)) / Seconds * 100;
        Figures.WithSimulator += Share;
        Figures.Program += Name == "la16-simulator" ? 0 : Share;
        Figures.Main += Name == "la16" ? Share : 0;
        Figures.Reader += Name == "la16-hid-reader" ? Share : 0;
      }
      Figures.RestitutionsPerSecond = Restitutions / Seconds;
      Figures.MainMsPerRestitution =
          Restitutions > 0 ? Figures.Main / 100 * Seconds / Restitutions * 1000 : 0;
      LoopRepetitions.push_back(Figures);
      State.SetIterationTime(Seconds);
      State.counters["program_cpu_pct"] = Figures.Program;
      State.counters["main_pct"] = Figures.Main;
      State.counters["reader_pct"] = Figures.Reader;
      State.counters["main_ms_per_restitution"] = Figures.MainMsPerRestitution;
      State.counters["restitutions_per_s"] = Figures.RestitutionsPerSecond;
      State.counters["peak_MB"] = Number(Long, "vm-hwm-kb") / 1024;
    } catch (const std::exception& Error) {
      State.SkipWithError(Error.what());
      break;
    }
  }
}

}  // namespace

int main(int Argc, char** Argv) {
  // Registered here, after StartUp: a smoke run loops once.
  benchmark::RegisterBenchmark("LoopedAcquisitionCpu", LoopedAcquisitionCpu)
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(1)
      ->Repetitions(SmokeRun() ? 1 : 3);
  return RunBenchmarks(Argc, Argv, [](const TMedianReporter& Figures) {
    if (Figures.Has("StartUp")) {
      const double Milliseconds = Figures.Milliseconds("StartUp");
      const double Peak = Figures.Counter("StartUp", "peak_MB");
      PrintTargetLine(Milliseconds < TargetStartUpMilliseconds,
                      "Start-up to the first painted window: " + Fixed(Milliseconds, 0) +
                          " ms median (target under " + Fixed(TargetStartUpMilliseconds, 0) +
                          " ms)");
      PrintTargetLine(Peak < TargetPeakMegabytes,
                      "Peak resident memory at the first paint: " + Fixed(Peak, 1) +
                          " MB median (target under " + Fixed(TargetPeakMegabytes, 0) + " MB)");
    }
    if (!LoopRepetitions.empty()) {
      const TLoopFigures& Lowest = *std::min_element(
          LoopRepetitions.begin(), LoopRepetitions.end(),
          [](const TLoopFigures& A, const TLoopFigures& B) { return A.Program < B.Program; });
      PrintTargetLine(
          Lowest.Program < TargetCpuShare * 100,
          "Looped acquisition at the bus limit (" + Fixed(Lowest.RestitutionsPerSecond, 1) +
              " restitutions/s, " + std::to_string(LongLoopSeconds()) + " s minus " +
              std::to_string(ShortLoopSeconds()) + " s, lowest of " +
              std::to_string(LoopRepetitions.size()) + "): the program uses " +
              Fixed(Lowest.Program, 2) + " % of one core (main thread " + Fixed(Lowest.Main, 2) +
              " %, reader " + Fixed(Lowest.Reader, 2) + " %, others " +
              Fixed(Lowest.Program - Lowest.Main - Lowest.Reader, 2) + " %), " +
              Fixed(Lowest.WithSimulator, 2) + " % with the simulated analyser's thread; " +
              Fixed(Lowest.MainMsPerRestitution, 3) +
              " ms of the main thread per restitution (target under " +
              Fixed(TargetCpuShare * 100, 0) + " %)");
    }
  });
}
