// SPDX-License-Identifier: GPL-3.0-or-later
// Figures of one input's signal: edges, the pulse at a sample, statistics
// over a range. Times in seconds from the view's time between samples.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "acquisition/SampleView.h"

/// Position of the first edge of Input after From (the first I > From whose
/// level differs from I - 1), or nothing.
std::optional<std::size_t> NextEdge(const TSampleView& View, int Input, std::size_t From);
/// Position of the last edge of Input at or before At, or nothing.
std::optional<std::size_t> PreviousEdge(const TSampleView& View, int Input, std::size_t At);

/// A time that may be only a lower bound, when the run is cut by an end of
/// the samples held.
struct TBoundedTime {
  double Seconds = 0.0;
  bool AtLeast = false;  ///< written ">1.200ms"
};

/// The pulse of Input at position At.
struct TPulseFigures {
  bool High = false;                  ///< level at At
  std::optional<TBoundedTime> Width;  ///< the run holding At, edge to edge
  std::optional<double> Period;       ///< this run and the next (or previous) opposite one, whole
  std::optional<double> Frequency;    ///< 1 / Period
  std::optional<double> DutyPercent;  ///< high share of that period
};
TPulseFigures MeasurePulse(const TSampleView& View, int Input, std::size_t At);

/// Statistics of Input between positions First and Last (inclusive).
struct TRangeFigures {
  int RisingEdges = 0;
  int FallingEdges = 0;
  std::optional<double> ShortestHigh, LongestHigh, ShortestLow, LongestLow;  ///< whole pulses only
  std::optional<double> MeanFrequency;  ///< whole periods between the first and last like edge
  std::optional<double> DutyPercent;    ///< high share over those whole periods
};
TRangeFigures MeasureRange(const TSampleView& View, int Input, std::size_t First, std::size_t Last);

/// A time or a frequency written as the dt and 1/dt texts are, in the units
/// the time base chooses ("40.000µs", "8.333kHz"); for a view with no time
/// base, units chosen by the value. UTF-8.
std::string TimeText(double Seconds, const TSampleView& View);
std::string FrequencyText(double Hertz, const TSampleView& View);
/// A bounded time as TimeText writes it, after ">" when it is only a bound.
std::string BoundedTimeText(const TBoundedTime& Time, const TSampleView& View);
