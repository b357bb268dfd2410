// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureOptions.h"

#include <array>
#include <cstddef>
#include <string>

#include "link/SystemFiles.h"

namespace {

enum TOptionId {
  OptHelp,
  OptList,
  OptSimulate,
  OptTimeBase,
  OptTrigger,
  OptPull,
  OptPcSpeed,
  OptWindow,
  OptWhole,
  OptFormat,
  OptOutput,
  OptTimeout,
  OptInput,
  OptDecode,
  OptMeasure,
  OptReport,
  OptionCount
};

struct TOptionDef {
  std::string_view Long;
  std::string_view Short;  // empty when there is none
  bool TakesValue;
  TOptionId Id;
};

constexpr std::array<TOptionDef, OptionCount> OptionDefs = {{
    {"--help", "-h", false, OptHelp},
    {"--list", "", false, OptList},
    {"--simulate", "", false, OptSimulate},
    {"--time-base", "", true, OptTimeBase},
    {"--trigger", "", true, OptTrigger},
    {"--pull", "", true, OptPull},
    {"--pc-speed", "", true, OptPcSpeed},
    {"--window", "", true, OptWindow},
    {"--whole", "", false, OptWhole},
    {"--format", "", true, OptFormat},
    {"--output", "-o", true, OptOutput},
    {"--timeout", "", true, OptTimeout},
    {"--input", "", true, OptInput},
    {"--decode", "", true, OptDecode},
    {"--measure", "", false, OptMeasure},
    {"--report", "", true, OptReport},
}};

const TOptionDef* FindOption(std::string_view Name) {
  for (const TOptionDef& Def : OptionDefs) {
    if (Name == Def.Long || (!Def.Short.empty() && Name == Def.Short)) {
      return &Def;
    }
  }
  return nullptr;
}

TCaptureFailure Bad(std::string Message) {
  return {CaptureBadArguments, std::move(Message)};
}

bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

char LowerAscii(char C) {
  return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool EqualsIgnoringCase(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) {
    return false;
  }
  for (std::size_t I = 0; I < A.size(); ++I) {
    if (LowerAscii(A[I]) != LowerAscii(B[I])) {
      return false;
    }
  }
  return true;
}

// Decimal digits only, no sign or blanks; leading zeros are allowed but the
// significant digits are limited so the value can never overflow.
std::optional<int> ParseBoundedInt(std::string_view Text, int Min, int Max) {
  if (Text.empty()) {
    return std::nullopt;
  }
  std::size_t First = 0;
  while (First + 1 < Text.size() && Text[First] == '0') {
    ++First;
  }
  if (Text.size() - First > 9) {
    return std::nullopt;
  }
  int Value = 0;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (!IsDigit(Text[I])) {
      return std::nullopt;
    }
    Value = Value * 10 + (Text[I] - '0');
  }
  if (Value < Min || Value > Max) {
    return std::nullopt;
  }
  return Value;
}

// Seconds with up to three decimals after a point or a comma, 0.001 to the maximum.
std::optional<std::chrono::milliseconds> ParseTimeout(std::string_view Text) {
  const std::size_t Separator = Text.find_first_of(".,");
  const std::string_view Whole = Text.substr(0, Separator);
  std::string_view Fraction;
  if (Separator != std::string_view::npos) {
    Fraction = Text.substr(Separator + 1);
    if (Fraction.empty() || Fraction.size() > 3) {
      return std::nullopt;
    }
  }
  int Seconds = 0;
  if (!Whole.empty() || Fraction.empty()) {
    const std::optional<int> Parsed = ParseBoundedInt(Whole, 0, MaxTimeoutSeconds);
    if (!Parsed) {
      return std::nullopt;
    }
    Seconds = *Parsed;
  }
  int Millis = 0;
  int Weight = 100;
  for (char C : Fraction) {
    if (!IsDigit(C)) {
      return std::nullopt;
    }
    Millis += (C - '0') * Weight;
    Weight /= 10;
  }
  const long long Total = Seconds * 1000LL + Millis;
  if (Total <= 0 || Total > MaxTimeoutSeconds * 1000LL) {
    return std::nullopt;
  }
  return std::chrono::milliseconds(Total);
}

int HexDigit(char C) {
  if (IsDigit(C)) {
    return C - '0';
  }
  const char L = LowerAscii(C);
  return L >= 'a' && L <= 'f' ? L - 'a' + 10 : -1;
}

// Eight 0/1 digits, input 8 first, or 0x followed by one or two hex digits.
std::optional<std::uint8_t> ParsePattern(std::string_view Text) {
  if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
    const std::string_view Digits = Text.substr(2);
    if (Digits.size() > 2) {
      return std::nullopt;
    }
    int Value = 0;
    for (char C : Digits) {
      const int D = HexDigit(C);
      if (D < 0) {
        return std::nullopt;
      }
      Value = Value * 16 + D;
    }
    return static_cast<std::uint8_t>(Value);
  }
  if (Text.size() != 8) {
    return std::nullopt;
  }
  int Value = 0;
  for (char C : Text) {
    if (C != '0' && C != '1') {
      return std::nullopt;
    }
    Value = Value * 2 + (C - '0');
  }
  return static_cast<std::uint8_t>(Value);
}

std::string TimeBaseChoices() {
  std::string Text;
  for (const TTimeBase& Base : TimeBaseTable) {
    Text += Text.empty() ? "" : " ";
    Text += Base.Caption;
  }
  return Text;
}

// The extension of the file name in Path, without its dot; empty if none.
// The system says where the name starts (on Windows after a backslash or a
// drive letter too).
std::string Extension(const std::string& Path) {
  const std::string Name = PathText(SystemPath(Path).filename());
  const std::size_t Dot = Name.rfind('.');
  return Dot == std::string::npos || Dot == 0 ? std::string() : Name.substr(Dot + 1);
}

// Applies the value of one option; returns a failure if the value is bad.
std::optional<TCaptureFailure> ApplyValue(TOptionId Id, std::string_view Value,
                                          TCaptureOptions& Options) {
  switch (Id) {
    case OptTimeBase:
      Options.TimeBase = FindCaptureTimeBase(Value);
      if (Options.TimeBase == nullptr) {
        return Bad("--time-base attend l'une des bases " + TimeBaseChoices() + " : " +
                   QuoteArgument(Value));
      }
      return std::nullopt;
    case OptTrigger:
      if (Value == "off") {
        Options.Trigger = TCaptureTriggerMode::Off;
      } else if (Value == "ext-high") {
        Options.Trigger = TCaptureTriggerMode::ExternalHigh;
      } else if (Value == "ext-low") {
        Options.Trigger = TCaptureTriggerMode::ExternalLow;
      } else if (Value.starts_with("pattern=")) {
        const std::optional<std::uint8_t> Pattern = ParsePattern(Value.substr(8));
        if (!Pattern) {
          return Bad("motif de déclenchement invalide " + QuoteArgument(Value.substr(8)) +
                     " : huit chiffres 0 ou 1 (entrées 8 à 1) ou 0x00 à 0xFF");
        }
        Options.Trigger = TCaptureTriggerMode::PatternEqual;
        Options.TriggerPattern = *Pattern;
      } else {
        return Bad("--trigger attend off, pattern=BITS, ext-high ou ext-low : " +
                   QuoteArgument(Value));
      }
      return std::nullopt;
    case OptPull:
      if (Value == "up") {
        Options.Pull = TCapturePull::Up;
      } else if (Value == "down") {
        Options.Pull = TCapturePull::Down;
      } else {
        return Bad("--pull attend up ou down : " + QuoteArgument(Value));
      }
      return std::nullopt;
    case OptPcSpeed: {
      const std::optional<int> Speed = ParseBoundedInt(Value, MinPcSpeed, MaxPcSpeed);
      if (!Speed) {
        return Bad("--pc-speed attend un entier de 100 à 1000 : " + QuoteArgument(Value));
      }
      Options.PcSpeed = *Speed;
      return std::nullopt;
    }
    case OptWindow: {
      const std::optional<int> Offset = ParseBoundedInt(Value, 0, LastViewOffset);
      if (!Offset) {
        return Bad("--window attend une position de 0 à 1597 : " + QuoteArgument(Value));
      }
      Options.WindowOffset = *Offset;
      return std::nullopt;
    }
    case OptFormat:
      if (EqualsIgnoringCase(Value, "vcd")) {
        Options.Format = TExportFormat::Vcd;
      } else if (EqualsIgnoringCase(Value, "csv")) {
        Options.Format = TExportFormat::Csv;
      } else if (EqualsIgnoringCase(Value, "sr")) {
        Options.Format = TExportFormat::Sigrok;
      } else {
        return Bad("--format attend vcd, csv ou sr : " + QuoteArgument(Value));
      }
      return std::nullopt;
    case OptOutput:
      if (Value.empty()) {
        return Bad("-o attend un nom de fichier, ou - pour la sortie standard");
      }
      Options.OutputPath = Value == "-" ? std::string() : std::string(Value);
      return std::nullopt;
    case OptInput:
    case OptReport:
      if (Value.empty() || Value == "-") {
        return Bad(std::string(Id == OptInput ? "--input" : "--report") +
                   " attend un nom de fichier");
      }
      (Id == OptInput ? Options.InputPath : Options.ReportPath) = Value;
      return std::nullopt;
    case OptDecode: {
      std::variant<TDecoderSpec, std::string> Spec = ParseDecoderSpec(Value);
      if (const auto* Message = std::get_if<std::string>(&Spec)) {
        return Bad("--decode " + *Message);
      }
      Options.Decoders.push_back(std::get<TDecoderSpec>(std::move(Spec)));
      return std::nullopt;
    }
    case OptTimeout: {
      const auto Timeout = ParseTimeout(Value);
      if (!Timeout) {
        return Bad("--timeout attend un nombre de secondes de 0,001 à 86400 : " +
                   QuoteArgument(Value));
      }
      Options.Timeout = *Timeout;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

const TTimeBase* FindCaptureTimeBase(std::string_view Text) {
  std::string Wanted(Text);
  if (Text.ends_with("us")) {
    Wanted = std::string(Text.substr(0, Text.size() - 2)) + "µs";
  }
  for (const TTimeBase& Base : TimeBaseTable) {
    if (Wanted == Base.Caption) {
      return &Base;
    }
  }
  return nullptr;
}

std::variant<TCaptureOptions, TCaptureFailure> ParseCaptureArguments(
    const std::vector<std::string>& Arguments) {
  TCaptureOptions Options;
  std::array<bool, OptionCount> Seen{};
  for (std::size_t I = 0; I < Arguments.size(); ++I) {
    const std::string_view Argument = Arguments[I];
    std::string_view Name = Argument;
    std::optional<std::string_view> Inline;
    if (Argument.starts_with("--")) {
      const std::size_t Equals = Argument.find('=');
      if (Equals != std::string_view::npos) {
        Name = Argument.substr(0, Equals);
        Inline = Argument.substr(Equals + 1);
      }
    }
    const TOptionDef* Def = FindOption(Name);
    if (Def == nullptr) {
      if (Argument.size() > 1 && Argument[0] == '-') {
        return Bad("option inconnue " + QuoteArgument(Name) + " (voir --help)");
      }
      return Bad("argument inattendu " + QuoteArgument(Argument) + " (voir --help)");
    }
    if (Seen[Def->Id] && Def->Id != OptDecode) {
      return Bad("option donnée deux fois : " + QuoteArgument(Def->Long));
    }
    Seen[Def->Id] = true;
    if (!Def->TakesValue) {
      if (Inline) {
        return Bad(QuoteArgument(Def->Long) + " ne prend pas de valeur");
      }
      if (Def->Id == OptHelp) {
        Options.Help = true;
        return Options;
      }
      Options.List = Options.List || Def->Id == OptList;
      Options.Measure = Options.Measure || Def->Id == OptMeasure;
      Options.Simulate = Options.Simulate || Def->Id == OptSimulate;
      continue;
    }
    std::string_view Value;
    if (Inline) {
      Value = *Inline;
    } else if (I + 1 < Arguments.size()) {
      Value = Arguments[++I];
    } else {
      return Bad("valeur manquante après " + QuoteArgument(Name));
    }
    if (std::optional<TCaptureFailure> Failure = ApplyValue(Def->Id, Value, Options)) {
      return *Failure;
    }
  }

  if (Seen[OptWindow] && Seen[OptWhole]) {
    return Bad("--window et --whole s'excluent");
  }
  if (Options.List) {
    for (const TOptionDef& Def : OptionDefs) {
      if (Seen[Def.Id] && Def.Id != OptList && Def.Id != OptSimulate) {
        return Bad("--list ne se combine qu'avec --simulate, pas avec " + QuoteArgument(Def.Long));
      }
    }
  }
  if (!Options.InputPath.empty()) {
    // A file holds the samples: nothing to ask an analyser.
    for (TOptionId Id : {OptList, OptSimulate, OptTimeBase, OptTrigger, OptPull, OptPcSpeed,
                         OptWindow, OptWhole, OptTimeout}) {
      if (Seen[Id]) {
        return Bad("--input ne se combine pas avec " +
                   QuoteArgument(OptionDefs[static_cast<std::size_t>(Id)].Long));
      }
    }
  }
  if (Seen[OptReport] && !Options.Reports()) {
    return Bad("--report sans --decode ni --measure");
  }
  if (Options.Reports()) {
    Options.WriteSamples = Seen[OptOutput];
    if (Options.WriteSamples && Options.OutputPath.empty() && Options.ReportPath.empty()) {
      return Bad("-o - et le rapport iraient tous deux sur la sortie standard : préciser --report");
    }
  }
  if (!Seen[OptFormat] && !Options.OutputPath.empty()) {
    const std::string Ext = Extension(Options.OutputPath);
    if (EqualsIgnoringCase(Ext, "vcd")) {
      Options.Format = TExportFormat::Vcd;
    } else if (EqualsIgnoringCase(Ext, "csv")) {
      Options.Format = TExportFormat::Csv;
    } else if (EqualsIgnoringCase(Ext, "sr")) {
      Options.Format = TExportFormat::Sigrok;
    } else {
      return Bad("format inconnu pour " + QuoteArgument(Options.OutputPath) +
                 " : nommer le fichier en .vcd, .csv ou .sr, ou préciser --format");
    }
  }
  return Options;
}
