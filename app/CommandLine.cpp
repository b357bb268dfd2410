// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <string_view>

namespace {

bool IsRequest(std::string_view Argument) {
  return Argument == "--help" || Argument == "--version";
}

}  // namespace

TCommandLineRequest FindCommandLineRequest(int Argc, const char* const* Argv) {
  for (int I = 1; I < Argc; ++I) {
    const std::string_view Argument = Argv[I] != nullptr ? Argv[I] : "";
    if (IsRequest(Argument)) {
      return Argument == "--help" ? TCommandLineRequest::Help : TCommandLineRequest::Version;
    }
  }
  return TCommandLineRequest::Run;
}

std::string CommandLineHelp() {
  return "Usage : la16 [--simulate] [CAPTURE.sr]\n"
         "Ouvre la fenêtre de l'analyseur logique USB 16 entrées (04D8:0005).\n"
         "\n"
         "  --simulate   analyseur simulé, sans matériel\n"
         "  CAPTURE.sr   session sigrok ouverte au démarrage\n"
         "  --help       affiche cette aide\n"
         "  --version    affiche la version\n"
         "\n"
         "Les options de Qt (par exemple -platform offscreen) sont acceptées aussi.\n"
         "Codes de sortie : 0 fin normale, 2 argument non reconnu.\n";
}

std::string CommandLineVersion() {
  return "la16 " LA16_VERSION "\n";
}

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
    } else if (IsRequest(Argument)) {
      continue;
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
