// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/PulseFigures.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "acquisition/MeasurementUnits.h"
#include "acquisition/TimeBase.h"

std::optional<std::size_t> NextEdge(const TSampleView& View, int Input, std::size_t From) {
  const TSample Mask = static_cast<TSample>(1U << (Input - 1));
  for (std::size_t I = From + 1; I < View.Size(); ++I) {
    if (((View.Samples[I] ^ View.Samples[I - 1]) & Mask) != 0) {
      return I;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> PreviousEdge(const TSampleView& View, int Input, std::size_t At) {
  const TSample Mask = static_cast<TSample>(1U << (Input - 1));
  for (std::size_t I = std::min(At, View.Size() - 1); I >= 1 && I < View.Size(); --I) {
    if (((View.Samples[I] ^ View.Samples[I - 1]) & Mask) != 0) {
      return I;
    }
  }
  return std::nullopt;
}

TPulseFigures MeasurePulse(const TSampleView& View, int Input, std::size_t At) {
  TPulseFigures Figures;
  if (At >= View.Size() || Input < 1 || Input > 16) {
    return Figures;
  }
  const double Dt = View.SecondsPerSample;
  Figures.High = View.Level(Input, At);
  const std::optional<std::size_t> Start = PreviousEdge(View, Input, At);
  const std::optional<std::size_t> End = NextEdge(View, Input, At);
  if (Dt <= 0) {
    return Figures;
  }
  // A run cut by an end of the samples lasted at least what is held of it.
  const std::size_t First = Start.value_or(0);
  const std::size_t Stop = End.value_or(View.Size());
  Figures.Width = TBoundedTime{static_cast<double>(Stop - First) * Dt, !Start || !End};
  if (!Start && !End) {
    return Figures;
  }
  // A period is this whole run with a whole neighbour: the next, else the previous.
  std::optional<std::size_t> Other;
  std::size_t OtherLength = 0;
  if (Start && End) {
    if (const std::optional<std::size_t> After = NextEdge(View, Input, *End)) {
      Other = *After;
      OtherLength = *After - *End;
    } else if (*Start > 0) {
      if (const std::optional<std::size_t> Before = PreviousEdge(View, Input, *Start - 1)) {
        Other = *Before;
        OtherLength = *Start - *Before;
      }
    }
  }
  if (!Other) {
    return Figures;
  }
  const std::size_t RunLength = *End - *Start;
  const std::size_t HighLength = Figures.High ? RunLength : OtherLength;
  const double Period = static_cast<double>(RunLength + OtherLength) * Dt;
  Figures.Period = Period;
  Figures.Frequency = 1.0 / Period;
  Figures.DutyPercent =
      100.0 * static_cast<double>(HighLength) / static_cast<double>(RunLength + OtherLength);
  return Figures;
}

TRangeFigures MeasureRange(const TSampleView& View, int Input, std::size_t First,
                           std::size_t Last) {
  TRangeFigures Figures;
  if (View.Empty() || Input < 1 || Input > 16 || First > Last) {
    return Figures;
  }
  Last = std::min(Last, View.Size() - 1);
  const double Dt = View.SecondsPerSample;
  auto Keep = [](std::optional<double>& Shortest, std::optional<double>& Longest, double Value) {
    Shortest = Shortest ? std::min(*Shortest, Value) : Value;
    Longest = Longest ? std::max(*Longest, Value) : Value;
  };
  std::optional<std::size_t> PreviousEdgeAt;
  std::optional<std::size_t> FirstRising, LastRising, FirstFalling, LastFalling;
  // High time between the first rising edge and each later edge.
  std::size_t HighSinceRising = 0, HighAtLastRising = 0;
  std::size_t HighSinceFalling = 0, HighAtLastFalling = 0;
  for (std::optional<std::size_t> Edge = NextEdge(View, Input, First); Edge && *Edge <= Last;
       Edge = NextEdge(View, Input, *Edge)) {
    const bool Rising = View.Level(Input, *Edge);
    if (PreviousEdgeAt) {
      const std::size_t Run = *Edge - *PreviousEdgeAt;
      // The run that ends here is high when this edge falls.
      if (Rising) {
        Keep(Figures.ShortestLow, Figures.LongestLow, static_cast<double>(Run) * Dt);
      } else {
        Keep(Figures.ShortestHigh, Figures.LongestHigh, static_cast<double>(Run) * Dt);
        HighSinceRising += FirstRising ? Run : 0;
        HighSinceFalling += FirstFalling ? Run : 0;
      }
    }
    if (Rising) {
      ++Figures.RisingEdges;
      FirstRising = FirstRising.value_or(*Edge);
      LastRising = *Edge;
      HighAtLastRising = HighSinceRising;
    } else {
      ++Figures.FallingEdges;
      FirstFalling = FirstFalling.value_or(*Edge);
      LastFalling = *Edge;
      HighAtLastFalling = HighSinceFalling;
    }
    PreviousEdgeAt = *Edge;
  }
  // Whole periods from the first to the last edge of one kind, the kind with more.
  const bool UseRising = Figures.RisingEdges >= Figures.FallingEdges;
  const int Periods = (UseRising ? Figures.RisingEdges : Figures.FallingEdges) - 1;
  if (Periods >= 1 && Dt > 0) {
    const std::size_t Span = UseRising ? *LastRising - *FirstRising : *LastFalling - *FirstFalling;
    const std::size_t High = UseRising ? HighAtLastRising : HighAtLastFalling;
    Figures.MeanFrequency = static_cast<double>(Periods) / (static_cast<double>(Span) * Dt);
    Figures.DutyPercent = 100.0 * static_cast<double>(High) / static_cast<double>(Span);
  }
  return Figures;
}

namespace {

struct TUnit {
  double Scale;  // value in the unit = seconds (or hertz) × Scale
  const char* Name;
  int Decimals;
};

TUnit TimeUnitOf(double Seconds, const TSampleView& View) {
  if (View.TimeBase != nullptr) {
    if (const std::optional<TMeasurementUnits> Units = MeasurementUnits(View.TimeBase->Index)) {
      const bool Micro = std::string_view(Units->TimeUnit) == "µs";
      return {Micro ? 1e6 : 1e3, Units->TimeUnit, DtDecimals};
    }
  }
  const double Magnitude = std::fabs(Seconds);
  if (Magnitude < 1e-6) {
    return {1e9, "ns", DtDecimals};
  }
  if (Magnitude < 1e-3) {
    return {1e6, "µs", DtDecimals};
  }
  return Magnitude < 1 ? TUnit{1e3, "ms", DtDecimals} : TUnit{1, "s", DtDecimals};
}

TUnit FrequencyUnitOf(double Hertz, const TSampleView& View) {
  if (View.TimeBase != nullptr) {
    if (const std::optional<TMeasurementUnits> Units = MeasurementUnits(View.TimeBase->Index)) {
      const bool Kilo = std::string_view(Units->FrequencyUnit) == "kHz";
      return {Kilo ? 1e-3 : 1, Units->FrequencyUnit, Units->FrequencyDecimals};
    }
  }
  const double Magnitude = std::fabs(Hertz);
  if (Magnitude >= 1e6) {
    return {1e-6, "MHz", 3};
  }
  return Magnitude >= 1e3 ? TUnit{1e-3, "kHz", 3} : TUnit{1, "Hz", 2};
}

}  // namespace

std::string TimeText(double Seconds, const TSampleView& View) {
  const TUnit Unit = TimeUnitOf(Seconds, View);
  return FixedText(Seconds * Unit.Scale, Unit.Decimals) + Unit.Name;
}

std::string FrequencyText(double Hertz, const TSampleView& View) {
  const TUnit Unit = FrequencyUnitOf(Hertz, View);
  return FixedText(Hertz * Unit.Scale, Unit.Decimals) + Unit.Name;
}

std::string BoundedTimeText(const TBoundedTime& Time, const TSampleView& View) {
  std::string Text = Time.AtLeast ? ">" : "";
  Text += TimeText(Time.Seconds, View);
  return Text;
}
