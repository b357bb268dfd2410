// SPDX-License-Identifier: GPL-3.0-or-later
// Command line of la16-uhid-analyser. Parsing is a pure function over the
// argument texts. Qt-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

/// Everything the command line decides.
struct TUhidAnalyserOptions {
  bool Help = false;                         ///< --help: print the help, nothing else
  std::optional<std::string> MemoryFile;     ///< --memory: what every acquisition records
  std::optional<std::string> RecordFile;     ///< --record: the memory after each acquisition
  std::optional<std::string> LogFile;        ///< --log: one line per output report
  std::optional<std::uint64_t> UnplugAfter;  ///< --unplug-after: input reports before unplugging
  bool Silent = false;                       ///< --silent: take commands, never answer
  std::uint16_t Vendor = 0x04D8;             ///< --vendor
  std::uint16_t Product = 0x0005;            ///< --product
  double TimeScale = 1.0;                    ///< --time-scale: wall seconds per simulated second
  std::uint32_t Seed = 1;                    ///< --seed
  std::optional<std::string> ReadyFile;      ///< --ready-file: made once the device exists
};

/// Largest --time-scale and --unplug-after.
inline constexpr double MaxUhidTimeScale = 1000.0;
inline constexpr std::uint64_t MaxUnplugAfter = 1'000'000'000;

/// Parses the arguments that follow the program name. Returns the options or
/// a one-line French message naming the offending argument. --help ends the
/// parse at once. A value follows its option as the next argument or after
/// '=' (--seed=7).
std::variant<TUhidAnalyserOptions, std::string> ParseUhidAnalyserArguments(
    const std::vector<std::string>& Arguments);

/// The text printed by --help (French, several lines, ends with a newline).
std::string UhidAnalyserHelpText();

/// The one line printed for bad arguments: Problem and how to get the help.
std::string UhidAnalyserUsageLine(const std::string& Problem);
