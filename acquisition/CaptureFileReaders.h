// SPDX-License-Identifier: GPL-3.0-or-later
// Readers of VCD and CSV captures (la16's own exports and other writers'),
// and the one entry point that picks the reader by the file name's
// extension. Qt-free: the bytes come from the caller, who refuses a file
// larger than MaxCaptureFileBytes first.
#pragma once

#include <string_view>
#include <variant>

#include "acquisition/SigrokSessionReader.h"

/// A VCD: one-bit wires in1..in16 (la16's) or, for another writer, its first
/// 16 one-bit wires in declaration order. The rate comes from la16's comment,
/// sigrok's ("at 30 kHz"), or else the finest step between timestamps.
std::variant<TOpenedCapture, TCaptureFileFailure> ReadVcdCapture(
    std::string_view Bytes, std::string_view Name,
    TSampleRates Rates = TSampleRates::TimeBasesOnly);

/// A CSV of 0/1 columns: la16's "sample,time_s,in1,...,in16" or another
/// writer's, with an optional header row, ';' or '#' comment lines (sigrok's
/// "; Samplerate: 30 kHz") and an optional time column (time_s, seconds,
/// milliseconds, microseconds or nanoseconds) giving the rate.
std::variant<TOpenedCapture, TCaptureFileFailure> ReadCsvCapture(
    std::string_view Bytes, std::string_view Name,
    TSampleRates Rates = TSampleRates::TimeBasesOnly);

/// The reader of Name's extension (.sr, .vcd, .csv, any case), or
/// UnknownFormat.
std::variant<TOpenedCapture, TCaptureFileFailure> ReadCaptureFile(
    std::string_view Bytes, std::string_view Name,
    TSampleRates Rates = TSampleRates::TimeBasesOnly);
