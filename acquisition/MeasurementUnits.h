// SPDX-License-Identifier: GPL-3.0-or-later
// How times and frequencies are written at each time base: the units of the
// dt and 1/dt texts, shared by the markers' measurement and the analysis.
#pragma once

#include <optional>
#include <string>

/// How dt and 1/dt are written at one time base.
struct TMeasurementUnits {
  const char* TimeUnit;       ///< "µs" or "ms", UTF-8
  double UnitsPerDivision;    ///< time of one tile in TimeUnit
  double FrequencyFactor;     ///< 1/dt is multiplied by this
  const char* FrequencyUnit;  ///< "kHz" or "Hz"
  int FrequencyDecimals;
};

/// Decimals of every dt text.
inline constexpr int DtDecimals = 3;

/// The units of TimeBaseIndex (4..21), or nothing outside the table.
std::optional<TMeasurementUnits> MeasurementUnits(int TimeBaseIndex);

/// Value in fixed-point notation with exactly Decimals decimals, rounded to
/// nearest, without grouping or leading zeros ("0.017", "60000.000").
std::string FixedText(double Value, int Decimals);
