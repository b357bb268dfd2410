// The program's command line: nothing, or the option that runs it on the
// simulated analyser. Qt-free.
#pragma once

#include <optional>

/// Where the program looks for the analyser.
enum class THidBackend {
  Linux,      ///< the machine's hidraw devices
  Simulated,  ///< a simulated machine with the simulated analyser plugged in
};

/// The one line shown when the arguments are not understood.
inline constexpr char CommandLineUsage[] =
    "Usage : la16 [--simulate]   (--simulate : analyseur simulé, sans matériel)";

/// The backend asked for by the arguments that follow the program's name
/// (Argv[1] to Argv[Argc - 1]); nothing when they are not understood.
std::optional<THidBackend> ParseCommandLine(int Argc, const char* const* Argv);
