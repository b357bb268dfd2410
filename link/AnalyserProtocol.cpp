// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/AnalyserProtocol.h"

#include <algorithm>

void TCommandReport::SetCommand(TAnalyserCommand Code) {
  Buffer[0] = 0;
  Buffer[1] = Code;
}

void TCommandReport::SetCommand(TAnalyserCommand Code, std::uint8_t P1) {
  SetCommand(Code);
  Buffer[2] = P1;
}

void TCommandReport::SetCommand(TAnalyserCommand Code, std::uint8_t P1, std::uint8_t P2) {
  SetCommand(Code, P1);
  Buffer[3] = P2;
}

void TCommandReport::SetCommand16(TAnalyserCommand Code, std::uint16_t Value) {
  SetCommand(Code, static_cast<std::uint8_t>((Value >> 8) & 0xFF),
             static_cast<std::uint8_t>(Value & 0xFF));
}

std::vector<std::uint8_t> TCommandReport::OutputReport(std::size_t Length) const {
  std::vector<std::uint8_t> Report(Length, 0);
  std::copy_n(Buffer.begin(), std::min(Length, Buffer.size()), Report.begin());
  return Report;
}
