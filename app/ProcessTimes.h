// SPDX-License-Identifier: GPL-3.0-or-later
// What the system says about the running process: CPU time of each of its
// threads and its peak resident memory (from /proc on Linux,
// ProcessTimesLinux.cpp; from the system's process and thread calls on
// Windows, ProcessTimesWindows.cpp). Qt-free; used by the measurement probe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// CPU time of one thread: in clock ticks (TicksPerSecond() per second), and
/// in ns where the system keeps scheduler statistics.
struct TThreadTimes {
  int Id = 0;
  std::string Name;
  std::uint64_t UserTicks = 0;
  std::uint64_t SystemTicks = 0;
  std::optional<std::uint64_t> RunNanoseconds;

  /// The most precise of the two, in seconds.
  double Seconds() const;
};

/// Reads one line of /proc/<pid>/task/<tid>/stat: "tid (name) state ...",
/// user time in field 14 and system time in field 15. The name may hold
/// blanks and parentheses. Nothing when the line is not of that form.
std::optional<TThreadTimes> ParseTaskStat(std::string_view Line);

/// Reads /proc/<pid>/task/<tid>/schedstat: "run-ns wait-ns timeslices";
/// the time the thread ran, in ns.
std::optional<std::uint64_t> ParseSchedStat(std::string_view Line);

/// Every thread of this process now.
std::vector<TThreadTimes> ReadThreadTimes();

/// The value in kB of a "Key:   1234 kB" line of /proc/<pid>/status text.
std::optional<std::uint64_t> StatusKilobytes(std::string_view StatusText, std::string_view Key);

/// Peak resident memory of this process (VmHWM), in kB; nothing when unknown.
std::optional<std::uint64_t> PeakResidentKilobytes();

/// User plus system CPU time of this process, every thread, in seconds.
double ProcessCpuSeconds();

/// Clock ticks per second of the times above.
double TicksPerSecond();
