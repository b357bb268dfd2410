// SPDX-License-Identifier: GPL-3.0-or-later
// The commands la16-capture sends, in the program's own encoding, so the
// analyser cannot tell the tool from the program.
#pragma once

#include <cstdint>
#include <vector>

#include "link/AnalyserProtocol.h"
#include "tools/CaptureOptions.h"

/// One command: its code and the parameters it writes (0, 1 or 2 of them).
struct TCaptureCommand {
  TAnalyserCommand Code;
  int ParameterCount = 0;
  std::uint8_t P1 = 0;
  std::uint8_t P2 = 0;

  bool operator==(const TCaptureCommand&) const = default;
};

/// The commands that open a capture, in order: the program's attach sequence
/// (cmdAttach, cmdPcSpeed, cmdPull when a pull was chosen), then cmdTimeBase,
/// cmdTriggerPattern (pattern trigger only), cmdTriggerMode, and cmdSingle last.
std::vector<TCaptureCommand> CaptureStartCommands(const TCaptureOptions& Options);

/// cmdViewPosition for a view offset (0..1597), high byte first.
TCaptureCommand ViewPositionCommand(int Offset);

/// Writes Command into Report as the program's SendCommand does: parameters
/// the command does not have leave bytes 2 and 3 as they were.
void LoadCommand(TCommandReport& Report, const TCaptureCommand& Command);
