// la16-capture: one single acquisition of the analyser's memory, exported as
// VCD or CSV, without a window.
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <iostream>

#include "link/SystemHidPlatform.h"
#include "tools/CaptureTool.h"

namespace {

std::string Now() {
  const std::time_t Time = std::time(nullptr);
  std::tm Local{};
  localtime_r(&Time, &Local);
  char Text[32];
  return std::strftime(Text, sizeof Text, "%Y-%m-%d %H:%M:%S", &Local) > 0 ? Text : "";
}

}  // namespace

int main(int Argc, char** Argv) {
  TCaptureToolEnvironment Env(std::cout, std::cerr);
  Env.ShowProgress = ::isatty(STDERR_FILENO) == 1;
  Env.HardwarePlatform = [] { return MakeSystemHidPlatform(); };
  if (const char* Scale = std::getenv(SimulationTimeScaleVariable)) {
    Env.SimulationTimeScale = Scale;
  }
  Env.Date = Now();
  return RunCaptureTool({Argv + 1, Argv + Argc}, Env);
}
