// SPDX-License-Identifier: GPL-3.0-or-later
// la16-uhid-analyser from its arguments to its exit status: the simulated
// analyser's firmware behind a real kernel HID device made through the uhid
// driver. The outside world (the /dev/uhid node, the signals) is passed in,
// so the whole program runs in a test against a stand-in for the kernel.
// Qt-free, Linux.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

/// Exit statuses.
enum TUhidAnalyserStatus {
  UhidAnalyserUnplugged = 0,     ///< unplugged cleanly (or the help printed)
  UhidAnalyserSystemError = 1,   ///< /dev/uhid could not be opened or used
  UhidAnalyserBadArguments = 2,  ///< bad arguments, memory file or log file
};

/// The device's name as the kernel shows it.
inline constexpr const char* UhidAnalyserName = "la16 analyseur simulé (uhid)";

/// What la16-uhid-analyser gets from outside.
struct TUhidAnalyserEnvironment {
  TUhidAnalyserEnvironment(std::ostream& Out, std::ostream& Err) : Out(Out), Err(Err) {}

  std::ostream& Out;  ///< --help
  std::ostream& Err;  ///< messages
  /// Opens the uhid node: a descriptor that carries one whole event per
  /// read() and write(), or -1 with errno set.
  std::function<int()> OpenUhid;
  /// Becomes readable when the analyser is to be unplugged (SIGUSR1, SIGTERM,
  /// SIGINT through a signalfd); -1 for none.
  int StopFd = -1;
};

/// Runs la16-uhid-analyser with Arguments (without the program name):
/// registers the analyser with UHID_CREATE2, hands every output report the
/// kernel delivers to the firmware as a command, sends every report of the
/// firmware as UHID_INPUT2, and unplugs with UHID_DESTROY when StopFd becomes
/// readable or --unplug-after is reached. Returns the exit status.
int RunUhidAnalyser(const std::vector<std::string>& Arguments, TUhidAnalyserEnvironment& Env);
