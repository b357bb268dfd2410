// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/Measurement.h"

#include "acquisition/TextConversions.h"
#include "acquisition/TimeBase.h"

std::optional<int> ReadoutSample(int X) {
  const int N = SampleAtX(X);
  if (N < 1 || N > SamplesPerWindow) {
    return std::nullopt;
  }
  return N;
}

std::string ReadoutText(int Group, std::uint8_t Value) {
  std::string Text = Group == 1 ? "Entrées 1 - 8 -> Dec: " : "Entrées 9 - 16 -> Dec: ";
  Text += std::to_string(Value);
  Text += "   Hex: ";
  Text += HexText(Value);
  Text += "   Bin: ";
  Text += BinaryText(Value);
  return Text;
}

std::optional<TMeasurement> Measure(int Left, int Right, int TimeBaseIndex) {
  const std::optional<TMeasurementUnits> Units = MeasurementUnits(TimeBaseIndex);
  if (!Units || Right <= Left) {
    return std::nullopt;
  }
  TMeasurement Result;
  Result.Dt = static_cast<double>(Right - Left) / TileWidth * Units->UnitsPerDivision;
  Result.Frequency = Units->FrequencyFactor / Result.Dt;
  Result.DtText = "dt : " + FixedText(Result.Dt, DtDecimals) + Units->TimeUnit;
  Result.FrequencyText =
      "1/dt : " + FixedText(Result.Frequency, Units->FrequencyDecimals) + Units->FrequencyUnit;
  return Result;
}

std::optional<TMarkerPositions> DragMarkers(TMarkerPositions Markers, int X) {
  if (X < 0 || X > GridRight) {
    return std::nullopt;
  }
  const int Mid = Markers.Left + (Markers.Right - Markers.Left) / 2;  // before any change
  if (Markers.Left <= X && X < Mid) {
    Markers.Left = X;
  }
  if (X >= GridLeft && X <= Markers.Left) {  // a pointer left of the left marker pulls it
    Markers.Left = X;
  }
  if (Mid < X && X <= Markers.Right) {
    Markers.Right = X;
  }
  if (X >= Markers.Right && X <= GridRight) {  // and one right of the right marker
    Markers.Right = X;
  }
  return Markers;
}
