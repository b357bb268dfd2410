// SPDX-License-Identifier: GPL-3.0-or-later
// la16-capture: one single acquisition of the analyser's memory, exported as
// VCD, CSV or a sigrok session, without a window.
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "link/SystemHidPlatform.h"
#include "tools/CapturePlatform.h"
#include "tools/CaptureTool.h"

namespace {

std::string Now() {
  const std::time_t Time = std::time(nullptr);
  std::tm Local{};
  return LocalTime(Time, Local) ? CaptureDateText(Local) : "";
}

}  // namespace

int main(int Argc, char** Argv) {
  PrepareStandardStreams();
  TCaptureToolEnvironment Env(std::cout, std::cerr);
  Env.ShowProgress = StandardErrorIsTerminal();
  Env.HardwarePlatform = [] { return MakeSystemHidPlatform(); };
  if (const char* Scale = std::getenv(SimulationTimeScaleVariable)) {
    Env.SimulationTimeScale = Scale;
  }
  Env.Date = Now();
  return RunCaptureTool(CommandLineArguments(Argc, Argv), Env);
}
