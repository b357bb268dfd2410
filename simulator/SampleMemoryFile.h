// SPDX-License-Identifier: GPL-3.0-or-later
// The analyser's memory as a text file: one sample per line, four hexadecimal
// digits, bit k - 1 being input k, MemorySamples lines. la16-uhid-analyser
// reads a fixed memory from it and writes what the firmware recorded to it.
// Qt-free.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "simulator/AnalyserFirmware.h"

/// Longest memory file read; a valid one is about 10 kB.
inline constexpr std::size_t MaxSampleMemoryFileBytes = 1 << 20;

/// Parses the text of a memory file. Each line holds exactly four hexadecimal
/// digits (either case), ended by a line feed (a carriage return before it is
/// taken too); the last line may lack it. Returns the memory, or a one-line
/// French message naming the first line at fault.
std::variant<TSampleMemory, std::string> ParseSampleMemory(std::string_view Text);

/// The text of a memory file: one line per sample, four lower-case digits.
std::string FormatSampleMemory(const TSampleMemory& Memory);

/// Reads and parses the file at Path; the message names the file.
std::variant<TSampleMemory, std::string> ReadSampleMemoryFile(const std::string& Path);

/// Writes Memory to Path under a temporary name in the same folder, then
/// renames it over Path, so a reader never sees half a file. False with a
/// French message when it cannot; no temporary file is left behind.
bool WriteSampleMemoryFile(const std::string& Path, const TSampleMemory& Memory,
                           std::string& Error);
