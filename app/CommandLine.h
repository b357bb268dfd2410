// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: nothing, the option that runs it on the
// simulated analyser, and a capture file to open at start. Qt-free.
#pragma once

#include <optional>
#include <string>

/// Where the program looks for the analyser.
enum class THidBackend {
  Linux,      ///< the machine's hidraw devices
  Simulated,  ///< a simulated machine with the simulated analyser plugged in
};

/// The one line shown when the arguments are not understood.
inline constexpr char CommandLineUsage[] =
    "Usage : la16 [--simulate] [CAPTURE.sr]   (--simulate : analyseur simulé, sans matériel ; "
    "CAPTURE.sr : session sigrok ouverte au démarrage)";

/// The backend asked for by the arguments that follow the program's name
/// (Argv[1] to Argv[Argc - 1]); nothing when they are not understood. An
/// argument that is not an option names a capture file, given back in
/// CaptureFile when it is not null; at most one may.
std::optional<THidBackend> ParseCommandLine(int Argc, const char* const* Argv,
                                            std::string* CaptureFile = nullptr);
