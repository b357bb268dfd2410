// SPDX-License-Identifier: GPL-3.0-or-later
// The process's figures on Linux: /proc and getrusage.
#include "app/ProcessTimes.h"

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string ReadWhole(const std::filesystem::path& Path) {
  std::ifstream File(Path);
  return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

}  // namespace

std::vector<TThreadTimes> ReadThreadTimes() {
  std::vector<TThreadTimes> Threads;
  std::error_code Error;
  for (const auto& Task : std::filesystem::directory_iterator("/proc/self/task", Error)) {
    // A thread that ends meanwhile leaves an empty read behind: skipped.
    if (auto Times = ParseTaskStat(ReadWhole(Task.path() / "stat"))) {
      Times->RunNanoseconds = ParseSchedStat(ReadWhole(Task.path() / "schedstat"));
      Threads.push_back(std::move(*Times));
    }
  }
  return Threads;
}

std::optional<std::uint64_t> PeakResidentKilobytes() {
  return StatusKilobytes(ReadWhole("/proc/self/status"), "VmHWM");
}

double ProcessCpuSeconds() {
  rusage Usage{};
  ::getrusage(RUSAGE_SELF, &Usage);
  const auto Seconds = [](const timeval& Time) {
    return static_cast<double>(Time.tv_sec) + static_cast<double>(Time.tv_usec) * 1e-6;
  };
  return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
}

double TicksPerSecond() {
  return static_cast<double>(::sysconf(_SC_CLK_TCK));
}
