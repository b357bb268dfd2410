// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <string_view>

std::optional<THidBackend> ParseCommandLine(int Argc, const char* const* Argv,
                                            std::string* CaptureFile) {
  THidBackend Backend = THidBackend::Linux;
  bool Simulate = false;
  bool File = false;
  for (int I = 1; I < Argc; ++I) {
    const std::string_view Argument = Argv[I] != nullptr ? Argv[I] : "";
    if (Argument == "--simulate" && !Simulate) {
      Simulate = true;
      Backend = THidBackend::Simulated;
    } else if (!Argument.empty() && Argument.front() != '-' && !File) {
      File = true;
      if (CaptureFile != nullptr) {
        *CaptureFile = Argument;
      }
    } else {
      return std::nullopt;
    }
  }
  return Backend;
}
