// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/TraceTexts.h"

#include <array>

const char* TriggerPictureText(TTriggerMode Mode) {
  switch (Mode) {
    case TTriggerMode::SynchOff:
      return "Trigger: Synch OFF";
    case TTriggerMode::InternalEqual:
      return "Trigger: Interne Egal";
    case TTriggerMode::ExternalHigh:
      return "Trigger: Externe Niveau Haut";
    case TTriggerMode::ExternalLow:
      return "Trigger: Externe Niveau Bas";
    case TTriggerMode::None:
      break;
  }
  return nullptr;
}

const char* PullPictureText(TPull Pull) {
  switch (Pull) {
    case TPull::Up:
      return "Entrées Pull Up";
    case TPull::Down:
      return "Entrées Pull Down";
    case TPull::None:
      break;
  }
  return nullptr;
}

const char* ChannelLabelText(int Input, bool NumberLabels) {
  static constexpr std::array<const char*, 16> Numbers = {
      "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"};
  static constexpr std::array<const char*, 8> Bits = {"D0", "D1", "D2", "D3",
                                                      "D4", "D5", "D6", "D7"};
  if (Input < 1 || Input > 16) {
    return nullptr;
  }
  return NumberLabels ? Numbers[static_cast<std::size_t>(Input - 1)]
                      : Bits[static_cast<std::size_t>((Input - 1) % 8)];
}
