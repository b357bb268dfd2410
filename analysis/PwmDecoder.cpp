// SPDX-License-Identifier: GPL-3.0-or-later
// PWM: a cycle runs from one edge into the active level to the next; its
// duty is the share of it spent active.
#include <array>
#include <cstdio>

#include "analysis/DecoderSupport.h"
#include "analysis/PulseFigures.h"

namespace decoding {

const TDecoderInfo& PwmInfo() {
  static const TDecoderInfo Info = {
      "pwm",
      "PWM",
      {
          {"data", "Entrée", "", {}, true, false},
          {"polarity", "Niveau actif", "active-high", {"active-high", "active-low"}, false, false},
      },
      {"cycle", CutEvent},
  };
  return Info;
}

namespace {

// The duty's text, one decimal: "25.0%".
std::string DutyText(double DutyPercent) {
  std::array<char, 32> Buffer{};
  std::snprintf(Buffer.data(), Buffer.size(), "%.1f%%", DutyPercent);
  return Buffer.data();
}

}  // namespace

TAnnotations DecodePwm(const TDecoderSpec& Spec, const TSampleView& View) {
  TAnnotations Out;
  const int Data = IntOption(Spec, "data");
  if (Data < 1) {
    return Out;
  }
  TAnnotationSink Sink(View, "pwm", Out);
  const bool Active = !OptionIs(Spec, "polarity", "active-low");
  const std::size_t Size = View.Size();
  // Edges into the active level start the cycles.
  std::optional<std::size_t> Start = NextEdge(View, Data, 0);
  while (Start && View.Level(Data, *Start) != Active) {
    Start = NextEdge(View, Data, *Start);
  }
  if (!Start) {
    if (NextEdge(View, Data, 0)) {
      Sink.PutCut(0, Size - 1, Data, true, "cycle coupé");
    }
    return Out;
  }
  // What comes before the first cycle's start is the end of a cycle not held.
  Sink.PutCut(0, *Start - 1, Data, true, "cycle coupé");
  while (true) {
    const std::optional<std::size_t> Inactive = NextEdge(View, Data, *Start);
    const std::optional<std::size_t> Next = Inactive ? NextEdge(View, Data, *Inactive) : Inactive;
    if (!Next) {
      Sink.PutCut(*Start, Size - 1, Data, true, "cycle coupé");
      break;
    }
    const std::size_t Period = *Next - *Start;
    const double Seconds = static_cast<double>(Period) * View.SecondsPerSample;
    const double Duty =
        100.0 * static_cast<double>(*Inactive - *Start) / static_cast<double>(Period);
    std::array<char, 32> PeriodText{};
    std::snprintf(PeriodText.data(), PeriodText.size(), "%.9g", Seconds);
    TAnnotation& A = Sink.Put(*Start, *Next - 1, Data, "cycle", std::nullopt,
                              "period=" + TimeText(Seconds, View) + " duty=" + DutyText(Duty));
    A.ValueText = "period=" + std::string(PeriodText.data()) + "s duty=" + DutyText(Duty);
    Start = Next;
  }
  return Out;
}

}  // namespace decoding
