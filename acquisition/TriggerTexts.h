// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the trigger configuration shown in the status bar: the pattern
// readout, and the trigger mode and pull as types. The mode's name on the
// trace picture is in display/TraceTexts.
#pragma once

#include <cstdint>
#include <string>

/// The checked trigger mode button; the values are those the analyser is sent.
/// None stands for no button checked yet (the first screens of start-up) or
/// for a capture that records no mode.
enum class TTriggerMode {
  None = -1,
  SynchOff = 0,
  InternalEqual = 1,
  ExternalHigh = 2,
  ExternalLow = 3
};

/// The checked pull button, if any.
enum class TPull { None, Up, Down };

/// Trigger modes as sent with cmdTriggerMode.
inline constexpr int TriggerModeOff = 0;
inline constexpr int TriggerModeInternalEqual = 1;
inline constexpr int TriggerModeExternalHigh = 2;
inline constexpr int TriggerModeExternalLow = 3;
inline constexpr int TriggerModeCount = 4;

/// What the pattern panel shows outside the internal mode: 59 blanks.
std::string BlankPatternText();

/// The pattern text written when the internal mode is chosen:
/// "Trigger Interne Egal -> Dec: 5   Hex: 05   Bin: 101".
std::string ModeButtonPatternText(std::uint8_t Pattern);

/// The pattern text written when a pattern box changes:
/// "Trigger Interne Egal (Entrées) -> Dec: 5   Hex: 05   Bin: 101".
std::string PatternBoxPatternText(std::uint8_t Pattern);
