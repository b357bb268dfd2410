// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the trace: the cursor readout's sample and texts, the measurement
// between the two markers and how a drag moves them. Qt-free: pure functions
// over the picture's geometry, so every decision can be checked by itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "acquisition/MeasurementUnits.h"
#include "display/TraceGeometry.h"

// ---- Cursor readout --------------------------------------------------------

/// The sample (1..450) a press or a move at picture column X reads, or
/// nothing when the column lies left of sample 1 or right of sample 450.
std::optional<int> ReadoutSample(int X);

/// The readout of one sample byte of Group (1 for inputs 1-8, 2 for inputs
/// 9-16): prefix, decimal, two hexadecimal digits, binary without leading
/// zeros. UTF-8.
std::string ReadoutText(int Group, std::uint8_t Value);

// ---- Measurement -----------------------------------------------------------

/// dt and 1/dt between two markers, in the units of their time base.
struct TMeasurement {
  double Dt;                  ///< in the time unit
  double Frequency;           ///< in the frequency unit
  std::string DtText;         ///< "dt : " + value + unit, UTF-8
  std::string FrequencyText;  ///< "1/dt : " + value + unit
};

/// The measurement between markers at Left and Right (pixels; 60 are one
/// division) at TimeBaseIndex. Nothing for a time base outside the table or
/// markers that do not stand Left < Right, where dt would be zero or negative.
std::optional<TMeasurement> Measure(int Left, int Right, int TimeBaseIndex);

// ---- Marker drag -----------------------------------------------------------

/// x of the two measurement markers; 20 <= Left < Right <= 920.
struct TMarkerPositions {
  int Left = MarkerLeftStart;
  int Right = MarkerRightStart;
  friend constexpr bool operator==(const TMarkerPositions&, const TMarkerPositions&) = default;
};

/// One pointer move to column X with the markers on. The nearer marker
/// (by the middle of the span) follows the pointer, a pointer beyond a marker
/// pulls it outwards, a pointer exactly in the middle moves nothing; the
/// markers never meet and never leave the grid. Nothing when X is outside
/// 0..920: the markers stay erased until the pointer comes back.
std::optional<TMarkerPositions> DragMarkers(TMarkerPositions Markers, int X);
