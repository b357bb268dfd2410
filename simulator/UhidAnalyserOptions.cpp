// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/UhidAnalyserOptions.h"

#include <array>
#include <charconv>
#include <string_view>

namespace {

enum TOptionId {
  OptHelp,
  OptMemory,
  OptRecord,
  OptLog,
  OptUnplugAfter,
  OptSilent,
  OptVendor,
  OptProduct,
  OptTimeScale,
  OptSeed,
  OptReadyFile,
  OptionCount
};

struct TOptionDef {
  std::string_view Name;
  std::string_view Value;  // what the value is called in messages; empty: takes none
  TOptionId Id;
};

constexpr std::array<TOptionDef, OptionCount> OptionDefs = {{
    {"--help", "", OptHelp},
    {"--memory", "un FICHIER", OptMemory},
    {"--record", "un FICHIER", OptRecord},
    {"--log", "un FICHIER", OptLog},
    {"--unplug-after", "un nombre de rapports de 1 à 1000000000", OptUnplugAfter},
    {"--silent", "", OptSilent},
    {"--vendor", "un identifiant hexadécimal de 0 à FFFF", OptVendor},
    {"--product", "un identifiant hexadécimal de 0 à FFFF", OptProduct},
    {"--time-scale", "un nombre de 0 à 1000", OptTimeScale},
    {"--seed", "un entier de 0 à 4294967295", OptSeed},
    {"--ready-file", "un FICHIER", OptReadyFile},
}};

const TOptionDef* FindOption(std::string_view Name) {
  for (const TOptionDef& Def : OptionDefs) {
    if (Name == Def.Name) {
      return &Def;
    }
  }
  return nullptr;
}

bool AllDigits(std::string_view Text, int Base) {
  for (const char C : Text) {
    const bool Decimal = C >= '0' && C <= '9';
    const bool Hex = (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F');
    if (!Decimal && !(Base == 16 && Hex)) {
      return false;
    }
  }
  return !Text.empty();
}

// Unsigned digits only (no sign, no blank) of Base, at most Max.
template <typename TValue>
std::optional<TValue> ParseUnsigned(std::string_view Text, int Base, TValue Max) {
  if (!AllDigits(Text, Base)) {
    return std::nullopt;
  }
  std::uint64_t Value = 0;
  const auto [End, Code] = std::from_chars(Text.data(), Text.data() + Text.size(), Value, Base);
  if (Code != std::errc() || End != Text.data() + Text.size() || Value > Max) {
    return std::nullopt;
  }
  return static_cast<TValue>(Value);
}

std::optional<std::uint16_t> ParseId(std::string_view Text) {
  if (Text.starts_with("0x") || Text.starts_with("0X")) {
    Text.remove_prefix(2);
  }
  return ParseUnsigned<std::uint16_t>(Text, 16, 0xFFFF);
}

std::optional<double> ParseScale(std::string_view Text) {
  // Digits and one decimal point: no sign, exponent, "inf" or "nan".
  bool Point = false;
  for (const char C : Text) {
    if (C == '.' && !Point) {
      Point = true;
    } else if (C < '0' || C > '9') {
      return std::nullopt;
    }
  }
  double Value = 0;
  const auto [End, Code] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Text.empty() || Code != std::errc() || End != Text.data() + Text.size() ||
      Value > MaxUhidTimeScale) {
    return std::nullopt;
  }
  return Value;
}

std::string Quoted(std::string_view Text) {
  return "« " + std::string(Text) + " »";
}

}  // namespace

std::variant<TUhidAnalyserOptions, std::string> ParseUhidAnalyserArguments(
    const std::vector<std::string>& Arguments) {
  TUhidAnalyserOptions Options;
  for (std::size_t I = 0; I < Arguments.size(); ++I) {
    std::string_view Argument = Arguments[I];
    std::optional<std::string> Value;
    const std::size_t Equals = Argument.find('=');
    if (Argument.starts_with("--") && Equals != std::string_view::npos) {
      Value = std::string(Argument.substr(Equals + 1));
      Argument = Argument.substr(0, Equals);
    }
    const TOptionDef* Def = Argument == "-h" ? FindOption("--help") : FindOption(Argument);
    if (Def == nullptr) {
      return (Argument.starts_with("-") ? "option inconnue " : "argument inattendu ") +
             Quoted(Arguments[I]);
    }
    if (Def->Value.empty()) {
      if (Value) {
        return std::string(Def->Name) + " ne prend pas de valeur";
      }
    } else if (!Value) {
      if (I + 1 == Arguments.size()) {
        return std::string(Def->Name) + " attend " + std::string(Def->Value);
      }
      Value = Arguments[++I];
    }
    const auto Bad = [&] {
      return std::string(Def->Name) + " attend " + std::string(Def->Value) + " : " + Quoted(*Value);
    };
    switch (Def->Id) {
      case OptHelp:
        Options.Help = true;
        return Options;
      case OptSilent:
        Options.Silent = true;
        break;
      case OptMemory:
      case OptRecord:
      case OptLog:
      case OptReadyFile: {
        if (Value->empty()) {
          return std::string(Def->Name) + " attend " + std::string(Def->Value);
        }
        std::optional<std::string>& Target = Def->Id == OptMemory   ? Options.MemoryFile
                                             : Def->Id == OptRecord ? Options.RecordFile
                                             : Def->Id == OptLog    ? Options.LogFile
                                                                    : Options.ReadyFile;
        Target = *Value;
        break;
      }
      case OptUnplugAfter: {
        const auto Count = ParseUnsigned<std::uint64_t>(*Value, 10, MaxUnplugAfter);
        if (!Count || *Count == 0) {
          return Bad();
        }
        Options.UnplugAfter = *Count;
        break;
      }
      case OptVendor:
      case OptProduct: {
        const auto Id = ParseId(*Value);
        if (!Id) {
          return Bad();
        }
        (Def->Id == OptVendor ? Options.Vendor : Options.Product) = *Id;
        break;
      }
      case OptTimeScale: {
        const auto Scale = ParseScale(*Value);
        if (!Scale) {
          return Bad();
        }
        Options.TimeScale = *Scale;
        break;
      }
      case OptSeed: {
        const auto Seed = ParseUnsigned<std::uint32_t>(*Value, 10, 0xFFFFFFFFu);
        if (!Seed) {
          return Bad();
        }
        Options.Seed = *Seed;
        break;
      }
      case OptionCount:
        break;
    }
  }
  return Options;
}

std::string UhidAnalyserUsageLine(const std::string& Problem) {
  return "la16-uhid-analyser : " + Problem +
         " (usage : la16-uhid-analyser [options], voir la16-uhid-analyser --help)";
}

std::string UhidAnalyserHelpText() {
  return "Usage : la16-uhid-analyser [options]\n"
         "Branche un analyseur logique 16 entrées simulé (USB 04D8:0005) sur le noyau par\n"
         "uhid : la16, la16-capture et tout programme HID le voient comme le matériel.\n"
         "Il faut le module uhid (sudo modprobe uhid) et les droits root sur /dev/uhid.\n"
         "\n"
         "Options :\n"
         "  --memory FICHIER       mémoire fixe : chaque acquisition enregistre ces 2047\n"
         "                         échantillons au lieu des signaux de démonstration\n"
         "                         (une ligne par échantillon, 4 chiffres hexadécimaux,\n"
         "                         bit k-1 = entrée k)\n"
         "  --record FICHIER       après chaque acquisition, écrit la mémoire enregistrée\n"
         "                         dans FICHIER, au même format\n"
         "  --log FICHIER          ajoute une ligne par rapport de sortie reçu : ses octets\n"
         "                         en hexadécimal, tels que le noyau les a remis\n"
         "  --unplug-after N       débranche l'analyseur après N rapports d'entrée envoyés\n"
         "  --silent               reçoit les commandes mais ne répond jamais\n"
         "  --vendor HEX           identifiant de fabricant (défaut 04D8)\n"
         "  --product HEX          identifiant de produit (défaut 0005)\n"
         "  --time-scale X         secondes réelles par seconde simulée, 0 à 1000\n"
         "                         (défaut 1 : au rythme du bus USB ; 0 : sans attente)\n"
         "  --seed N               graine des données I2C et SPI simulées (défaut 1)\n"
         "  --ready-file FICHIER   crée FICHIER (vide) dès que le noyau a démarré le\n"
         "                         périphérique et créé son nœud hidraw\n"
         "  -h, --help             affiche cette aide\n"
         "\n"
         "Une option qui prend une valeur s'écrit aussi --option=VALEUR.\n"
         "SIGUSR1 débranche l'analyseur et termine ; SIGTERM et SIGINT (Ctrl+C) aussi.\n"
         "Statut : 0 débranché proprement, 1 erreur du système (/dev/uhid), 2 arguments\n"
         "ou fichier incorrects.\n";
}
