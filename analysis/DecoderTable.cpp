// SPDX-License-Identifier: GPL-3.0-or-later
// The table of decoders and the parser of "name:key=value" texts against it.
#include <array>
#include <cstdio>
#include <string>

#include "analysis/DecoderSupport.h"

namespace {

constexpr std::size_t MaxQuotedBytes = 40;

// A text from the command line made safe for a one-line message.
std::string Quoted(std::string_view Text) {
  std::string Out = "« ";
  for (std::size_t I = 0; I < Text.size() && I < MaxQuotedBytes; ++I) {
    const auto Byte = static_cast<unsigned char>(Text[I]);
    if (Byte < 0x20U || Byte == 0x7FU) {
      std::array<char, 8> Escape{};
      std::snprintf(Escape.data(), Escape.size(), "\\x%02X", Byte);
      Out += Escape.data();
    } else {
      Out.push_back(static_cast<char>(Byte));
    }
  }
  // A long text is cut on a character boundary.
  while (Text.size() > MaxQuotedBytes && !Out.empty() &&
         (static_cast<unsigned char>(Out.back()) & 0xC0U) == 0x80U) {
    Out.pop_back();
  }
  if (Text.size() > MaxQuotedBytes) {
    if (!Out.empty() && static_cast<unsigned char>(Out.back()) >= 0xC0U) {
      Out.pop_back();
    }
    Out += "…";
  }
  return Out + " »";
}

// "a, b ou c".
std::string Choices(const std::vector<const char*>& Values) {
  std::string Text;
  for (std::size_t I = 0; I < Values.size(); ++I) {
    Text += I == 0 ? "" : (I + 1 == Values.size() ? " ou " : ", ");
    Text += Values[I];
  }
  return Text;
}

// Decimal digits only, at most nine, within Min..Max.
std::optional<long> WholeNumber(std::string_view Text, long Min, long Max) {
  if (Text.empty() || Text.size() > 9) {
    return std::nullopt;
  }
  long Value = 0;
  for (char C : Text) {
    if (C < '0' || C > '9') {
      return std::nullopt;
    }
    Value = Value * 10 + (C - '0');
  }
  return Value < Min || Value > Max ? std::nullopt : std::optional<long>(Value);
}

constexpr long MaxBaudRate = 100'000'000;

// Why Value does not suit Option; empty when it does.
std::string CheckValue(const TDecoderInfo& Info, const TDecoderOption& Option,
                       std::string_view Value) {
  const std::string Prefix = std::string(Info.Name) + " : " + Option.Name;
  if (Option.IsInput) {
    return WholeNumber(Value, 1, 16) ? std::string()
                                     : Prefix + " attend une entrée de 1 à 16 : " + Quoted(Value);
  }
  if (!Option.Values.empty()) {
    for (const char* Allowed : Option.Values) {
      if (Value == Allowed) {
        return {};
      }
    }
    return Prefix + " attend " + Choices(Option.Values) + " : " + Quoted(Value);
  }
  if (std::string_view(Option.Name) == "baudrate" && Value != "auto" &&
      !WholeNumber(Value, 1, MaxBaudRate)) {
    return Prefix + " attend un nombre de bauds de 1 à 100000000 ou auto : " + Quoted(Value);
  }
  return {};
}

}  // namespace

std::span<const TDecoderInfo> DecoderTable() {
  static const std::array<TDecoderInfo, 4> Table = {decoding::UartInfo(), decoding::I2cInfo(),
                                                    decoding::SpiInfo(), decoding::PwmInfo()};
  return Table;
}

std::string TDecoderSpec::Option(std::string_view Name) const {
  for (const auto& [Key, Value] : Options) {
    if (Key == Name) {
      return Value;
    }
  }
  return {};
}

std::variant<TDecoderSpec, std::string> ParseDecoderSpec(std::string_view Text) {
  std::vector<std::string_view> Fields;
  for (std::size_t Start = 0;;) {
    const std::size_t Colon = Text.find(':', Start);
    Fields.push_back(Text.substr(Start, Colon == std::string_view::npos ? Colon : Colon - Start));
    if (Colon == std::string_view::npos) {
      break;
    }
    Start = Colon + 1;
  }
  TDecoderSpec Spec;
  std::string Names;
  for (const TDecoderInfo& Info : DecoderTable()) {
    Names += Names.empty() ? "" : ", ";
    Names += Info.Name;
    if (Fields[0] == Info.Name) {
      Spec.Info = &Info;
    }
  }
  if (Spec.Info == nullptr) {
    return "décodeur inconnu " + Quoted(Fields[0]) + " : " + Names + " (par exemple uart:rx=9)";
  }
  const TDecoderInfo& Info = *Spec.Info;
  std::vector<std::string_view> Given(Info.Options.size());
  std::vector<bool> Seen(Info.Options.size());
  for (std::size_t F = 1; F < Fields.size(); ++F) {
    const std::size_t Equals = Fields[F].find('=');
    const std::string_view Key = Fields[F].substr(0, Equals);
    std::size_t Index = 0;
    while (Index < Info.Options.size() && Key != Info.Options[Index].Name) {
      ++Index;
    }
    if (Index == Info.Options.size()) {
      std::vector<const char*> Known;
      for (const TDecoderOption& Option : Info.Options) {
        Known.push_back(Option.Name);
      }
      return std::string(Info.Name) + " : option inconnue " + Quoted(Key) +
             " (options : " + Choices(Known) + ")";
    }
    if (Equals == std::string_view::npos) {
      return std::string(Info.Name) + " : valeur manquante après " + Quoted(Key) + " (" +
             std::string(Key) + "=...)";
    }
    if (Seen[Index]) {
      return std::string(Info.Name) + " : option donnée deux fois : " + Quoted(Key);
    }
    Seen[Index] = true;
    Given[Index] = Fields[F].substr(Equals + 1);
    if (std::string Problem = CheckValue(Info, Info.Options[Index], Given[Index]);
        !Problem.empty()) {
      return Problem;
    }
  }
  std::vector<std::string> UsedInputs;
  for (std::size_t I = 0; I < Info.Options.size(); ++I) {
    const TDecoderOption& Option = Info.Options[I];
    std::string Value = Seen[I] ? std::string(Given[I]) : std::string(Option.Default);
    if (Option.IsInput && Value.empty() && !Option.Optional) {
      return std::string(Info.Name) + " : entrée " + Option.Name + " manquante (" + Option.Name +
             "=1 à 16)";
    }
    if (Option.IsInput && !Value.empty()) {
      Value = std::to_string(*WholeNumber(Value, 1, 16));  // "09" is input 9
      for (std::size_t U = 0; U < UsedInputs.size(); ++U) {
        if (UsedInputs[U] == Value) {
          return std::string(Info.Name) + " : l'entrée " + Value + " ne peut servir deux fois";
        }
      }
      UsedInputs.push_back(Value);
    }
    Spec.Options.emplace_back(Option.Name, std::move(Value));
  }
  if (std::string_view(Info.Name) == "spi" && Spec.Option("mosi").empty() &&
      Spec.Option("miso").empty()) {
    return "spi : il faut au moins l'une des entrées mosi et miso";
  }
  return Spec;
}

std::string FormatDecoderSpec(const TDecoderSpec& Spec) {
  if (Spec.Info == nullptr) {
    return {};
  }
  std::string Text = Spec.Info->Name;
  for (const auto& [Key, Value] : Spec.Options) {
    if (!Value.empty()) {
      Text += ":" + Key + "=" + Value;
    }
  }
  return Text;
}

TAnnotations Decode(const TDecoderSpec& Spec, const TSampleView& View) {
  if (Spec.Info == nullptr || View.Empty()) {
    return {};
  }
  const std::string_view Name = Spec.Info->Name;
  if (Name == "uart") {
    return decoding::DecodeUart(Spec, View);
  }
  if (Name == "i2c") {
    return decoding::DecodeI2c(Spec, View);
  }
  if (Name == "spi") {
    return decoding::DecodeSpi(Spec, View);
  }
  return decoding::DecodePwm(Spec, View);
}
