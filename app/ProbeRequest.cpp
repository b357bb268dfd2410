// The value of LA16_PROBE, read without Qt so the core library holds it.
#include <charconv>

#include "app/MeasurementProbe.h"

std::optional<TProbeRequest> ParseProbeRequest(std::string_view Value) {
  if (Value == "first-paint") {
    return TProbeRequest{TProbeRequest::FirstPaint, 0};
  }
  constexpr std::string_view LoopPrefix = "loop:";
  if (Value.substr(0, LoopPrefix.size()) != LoopPrefix) {
    return std::nullopt;
  }
  const std::string_view Number = Value.substr(LoopPrefix.size());
  int Seconds = 0;
  const auto [End, Error] = std::from_chars(Number.data(), Number.data() + Number.size(), Seconds);
  if (Number.empty() || Error != std::errc() || End != Number.data() + Number.size() ||
      Seconds < 1 || Seconds > 3600) {
    return std::nullopt;
  }
  return TProbeRequest{TProbeRequest::Loop, Seconds};
}
