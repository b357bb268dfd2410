// SPDX-License-Identifier: GPL-3.0-or-later
// The value of LA16_PROBE, read without Qt so the core library holds it.
#include <charconv>

#include "app/MeasurementProbe.h"

namespace {

// A decimal number from Low to High, the whole of Text.
std::optional<int> NumberIn(std::string_view Text, int Low, int High) {
  int Number = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Number);
  if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size() || Number < Low ||
      Number > High) {
    return std::nullopt;
  }
  return Number;
}

std::optional<TProbeStep> ParseStep(std::string_view Text) {
  const std::size_t Colon = Text.find(':');
  const std::string_view Name = Text.substr(0, Colon);
  const std::optional<std::string_view> Argument =
      Colon == std::string_view::npos ? std::nullopt
                                      : std::optional<std::string_view>(Text.substr(Colon + 1));
  struct TPlain {
    std::string_view Name;
    TProbeStep::TKind Kind;
  };
  for (const TPlain& Plain :
       {TPlain{"attached", TProbeStep::Attached}, TPlain{"loop", TProbeStep::Loop},
        TPlain{"halt", TProbeStep::Halt}, TPlain{"quit", TProbeStep::Quit},
        TPlain{"detached", TProbeStep::Detached}}) {
    if (Name == Plain.Name) {
      return Argument ? std::nullopt : std::optional<TProbeStep>(TProbeStep{Plain.Kind, 0});
    }
  }
  if (Name == "export" && Argument) {
    for (int Format = 0; Format < 3; ++Format) {
      if (*Argument == ExportFormats[Format]) {
        return TProbeStep{TProbeStep::Export, Format};
      }
    }
    return std::nullopt;
  }
  const bool Shown = Name == "shown";
  if ((!Shown && Name != "scroll") || !Argument) {
    return std::nullopt;
  }
  const std::optional<int> Number =
      Shown ? NumberIn(*Argument, 1, 100000) : NumberIn(*Argument, 0, 1597);
  if (!Number) {
    return std::nullopt;
  }
  return TProbeStep{Shown ? TProbeStep::Shown : TProbeStep::Scroll, *Number};
}

}  // namespace

std::optional<TProbeRequest> ParseProbeRequest(std::string_view Value) {
  if (Value == "first-paint") {
    return TProbeRequest{TProbeRequest::FirstPaint, 0, {}};
  }
  constexpr std::string_view StepsPrefix = "steps:";
  if (Value.substr(0, StepsPrefix.size()) == StepsPrefix) {
    TProbeRequest Request{TProbeRequest::Steps, 0, {}};
    std::string_view Rest = Value.substr(StepsPrefix.size());
    while (true) {
      const std::size_t Comma = Rest.find(',');
      const std::optional<TProbeStep> Step = ParseStep(Rest.substr(0, Comma));
      if (!Step) {
        return std::nullopt;
      }
      Request.Script.push_back(*Step);
      if (Comma == std::string_view::npos) {
        return Request;
      }
      Rest = Rest.substr(Comma + 1);
    }
  }
  constexpr std::string_view LoopPrefix = "loop:";
  if (Value.substr(0, LoopPrefix.size()) != LoopPrefix) {
    return std::nullopt;
  }
  const std::optional<int> Seconds = NumberIn(Value.substr(LoopPrefix.size()), 1, 3600);
  if (!Seconds) {
    return std::nullopt;
  }
  return TProbeRequest{TProbeRequest::Loop, *Seconds, {}};
}
