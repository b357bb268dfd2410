// SPDX-License-Identifier: GPL-3.0-or-later
// Writers of captured samples: VCD for waveform viewers, CSV for scripts.
// Sample times are computed from the sample index alone, never by adding up
// periods, so no rounding error builds up along the record.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "acquisition/TimeBase.h"
#include "acquisition/WindowPlan.h"

/// What the writers need besides the samples.
struct TExportInfo {
  /// The time base the samples were taken at; never null.
  const TTimeBase* TimeBase = FindTimeBase(DefaultTimeBaseIndex);
  int FirstIndex = 0;   ///< index in the analyser's memory of the first sample written
  std::string Date;     ///< text of the VCD $date section
  std::string Version;  ///< text of the VCD $version section
  /// What the window recorded with a capture, in a sigrok session's [la16]
  /// group: trigger mode and pull texts (empty: not recorded) and pattern.
  std::string Trigger;
  int TriggerPattern = 0;
  std::string Pull;
};

/// A time as a whole number of units of 10^Exponent seconds.
struct TScaledTime {
  std::int64_t Count;
  int Exponent;
};

/// Decimal digits below the time base's decade kept by the VCD timescale: a
/// division is 10000, 20000 or 50000 units, so a sample is 333 units or more.
inline constexpr int VcdExtraDigits = 4;
/// Digits below the time per division kept by the CSV time column.
inline constexpr int CsvExtraDigits = 7;

/// Time of sample N (N periods after the first) in units of 10^-ExtraDigits
/// of the time base's decade, rounded to the nearest unit. A period is the
/// time per division over 30, which has no finite decimal form; each time is
/// off by at most a third of a unit and the error never accumulates.
TScaledTime SampleTime(const TTimeBase& Base, std::int64_t N, int ExtraDigits);

/// Samples per second at a time base: 30 per division, a whole number at
/// every time base (30 MHz at 1 µs per division, 60 Hz at 500 ms).
std::int64_t SampleRateHz(const TTimeBase& Base);

/// The VCD $timescale text for units of 10^Exponent seconds ("100 ps", "1 us").
std::string VcdTimescale(int Exponent);

/// Writes Samples as a VCD: 16 one-bit wires in1 to in16, every input's value
/// at time 0, then only the changes, and a last timestamp at the end of the
/// last sample. Returns false if the stream reported a write error.
bool WriteVcd(std::ostream& Out, std::span<const TSample> Samples, const TExportInfo& Info);

/// Writes Samples as CSV: a header row "sample,time_s,in1,...,in16", then one
/// row per sample with its memory index, its time in seconds from the first
/// sample written and the 16 inputs as 0 or 1. Returns false on a write error.
bool WriteCsv(std::ostream& Out, std::span<const TSample> Samples, const TExportInfo& Info);

/// The formats samples are written in.
enum class TExportFormat { Vcd, Csv, Sigrok };

/// The format Text names ("vcd", "csv" or "sr", in any case), or nothing.
std::optional<TExportFormat> ExportFormatNamed(std::string_view Text);

/// The format the extension of the file name Name stands for (the text after
/// its last dot; a name's leading dot starts no extension), or nothing.
std::optional<TExportFormat> ExportFormatOfName(std::string_view Name);

/// Writes Samples to Out in Format. Returns false if the file could not be
/// built or the stream reported a write error.
bool WriteSamples(std::ostream& Out, TExportFormat Format, std::span<const TSample> Samples,
                  const TExportInfo& Info);
