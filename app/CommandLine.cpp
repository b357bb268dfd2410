#include "app/CommandLine.h"

#include <string_view>

std::optional<THidBackend> ParseCommandLine(int Argc, const char* const* Argv) {
  if (Argc <= 1) {
    return THidBackend::Linux;
  }
  if (Argc == 2 && Argv[1] != nullptr && std::string_view(Argv[1]) == "--simulate") {
    return THidBackend::Simulated;
  }
  return std::nullopt;
}
