// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: nothing, the option that runs it on the
// simulated analyser, a capture file to open at start, and the requests for
// the help and the version. Qt-free.
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
    "Usage : la16 [--simulate] [CAPTURE.sr] | --help | --version   (--simulate : analyseur "
    "simulé, sans matériel ; CAPTURE.sr : session sigrok ouverte au démarrage)";

/// What the arguments ask for besides running the program.
enum class TCommandLineRequest {
  Run,      ///< nothing else: the arguments are parsed by ParseCommandLine
  Help,     ///< --help: print CommandLineHelp() and end
  Version,  ///< --version: print CommandLineVersion() and end
};

/// --help or --version anywhere among the arguments (Argv[1] to
/// Argv[Argc - 1]), the first one given winning whatever the others are.
/// Looked at before the display is opened, so both answer where there is none.
TCommandLineRequest FindCommandLineRequest(int Argc, const char* const* Argv);

/// The text printed by --help: several lines, ending with a newline.
std::string CommandLineHelp();
/// The text printed by --version: "la16 " and the version, then a newline.
std::string CommandLineVersion();

/// The backend asked for by the arguments that follow the program's name
/// (Argv[1] to Argv[Argc - 1]); nothing when they are not understood. An
/// argument that is not an option names a capture file, given back in
/// CaptureFile when it is not null; at most one may. --help and --version
/// are understood (FindCommandLineRequest answers them).
std::optional<THidBackend> ParseCommandLine(int Argc, const char* const* Argv,
                                            std::string* CaptureFile = nullptr);
