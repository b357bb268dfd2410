// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Report.h"

#include <array>
#include <cstdio>

#include "acquisition/MeasurementUnits.h"

namespace {

// Seconds to the nanosecond: the shortest sample period is a thirtieth of a µs.
constexpr int SecondDecimals = 9;

std::string Figure(const std::optional<double>& Value, const char* Format) {
  if (!Value) {
    return {};
  }
  std::array<char, 64> Buffer{};
  std::snprintf(Buffer.data(), Buffer.size(), Format, *Value);
  return Buffer.data();
}

}  // namespace

std::string AnnotationCsvHeader() {
  return "first_sample,last_sample,time_s,decoder,event,value";
}

std::string AnnotationCsvLine(const TAnnotation& Annotation) {
  return std::to_string(Annotation.FirstSample) + "," + std::to_string(Annotation.LastSample) +
         "," + FixedText(Annotation.TimeSeconds, SecondDecimals) + "," + Annotation.Decoder + "," +
         Annotation.Event + "," + Annotation.ValueText;
}

std::string MeasureCsvHeader() {
  return "input,rising_edges,falling_edges,shortest_high_s,longest_high_s,shortest_low_s,"
         "longest_low_s,frequency_hz,duty_percent";
}

std::string MeasureCsvLine(int Input, const TRangeFigures& Figures) {
  return std::to_string(Input) + "," + std::to_string(Figures.RisingEdges) + "," +
         std::to_string(Figures.FallingEdges) + "," + Figure(Figures.ShortestHigh, "%.9f") + "," +
         Figure(Figures.LongestHigh, "%.9f") + "," + Figure(Figures.ShortestLow, "%.9f") + "," +
         Figure(Figures.LongestLow, "%.9f") + "," + Figure(Figures.MeanFrequency, "%.3f") + "," +
         Figure(Figures.DutyPercent, "%.1f");
}
