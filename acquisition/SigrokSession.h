// SPDX-License-Identifier: GPL-3.0-or-later
// Writer of sigrok session files (format version 2), the format PulseView and
// sigrok-cli open natively. Unlike a VCD, whose integer timestamps turn a
// period of a thirtieth of a division into hundreds of thousands of rows, it
// holds the samples as they are and the exact samplerate.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "acquisition/SampleExport.h"

/// Names inside the archive: the format version, the metadata and the one
/// chunk of logic data of device 1.
inline constexpr const char* SigrokVersionEntry = "version";
inline constexpr const char* SigrokMetadataEntry = "metadata";
inline constexpr const char* SigrokLogicEntry = "logic-1-1";

/// A samplerate as sigrok writes it: "30 MHz", "1.5 kHz", "60 Hz".
std::string SigrokSampleRateText(std::int64_t Hertz);

/// The metadata text: sigrok's [global] and [device 1] groups (16 logic
/// probes in1 to in16, unit size 2, the time base's samplerate), then a [la16]
/// group, which sigrok ignores, with the time base, the samples per division,
/// the first memory index, the sample count, the date and the writer.
std::string SigrokMetadata(std::size_t SampleCount, const TExportInfo& Info);

/// The whole archive in memory, or nothing if the zip library fails. The
/// logic data is the samples as little-endian 16-bit words, bit k - 1 being
/// input k.
std::optional<std::string> BuildSigrokSession(std::span<const TSample> Samples,
                                              const TExportInfo& Info);

/// Builds the archive in memory and writes it to Out, which need not seek (a
/// pipe or a terminal will do). Returns false if the archive could not be
/// built or the stream reported a write error.
bool WriteSigrokSession(std::ostream& Out, std::span<const TSample> Samples,
                        const TExportInfo& Info);
