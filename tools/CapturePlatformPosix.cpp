// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CapturePlatform.h"

#include <unistd.h>

void PrepareStandardStreams() {}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool LocalTime(std::time_t Time, std::tm& Local) {
  return ::localtime_r(&Time, &Local) != nullptr;
}

std::vector<std::string> CommandLineArguments(int Argc, char** Argv) {
  return {Argv + 1, Argv + Argc};
}
