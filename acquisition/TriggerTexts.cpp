// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/TriggerTexts.h"

#include "acquisition/TextConversions.h"

namespace {
std::string PatternNumbers(std::uint8_t Pattern) {
  return std::to_string(Pattern) + "   Hex: " + HexText(Pattern) + "   Bin: " + BinaryText(Pattern);
}
}  // namespace

std::string BlankPatternText() {
  return std::string(59, ' ');
}

std::string ModeButtonPatternText(std::uint8_t Pattern) {
  return "Trigger Interne Egal -> Dec: " + PatternNumbers(Pattern);
}

std::string PatternBoxPatternText(std::uint8_t Pattern) {
  return "Trigger Interne Egal (Entrées) -> Dec: " + PatternNumbers(Pattern);
}
