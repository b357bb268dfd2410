// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/PcSpeedSetting.h"

#include <algorithm>
#include <climits>

std::optional<int> ParsePcSpeedSetting(std::string_view Text) {
  bool Negative = false;
  if (!Text.empty() && (Text.front() == '+' || Text.front() == '-')) {
    Negative = Text.front() == '-';
    Text.remove_prefix(1);
  }
  if (Text.empty()) {
    return std::nullopt;
  }
  long long Value = 0;
  for (const char Digit : Text) {
    if (Digit < '0' || Digit > '9') {
      return std::nullopt;
    }
    Value = std::min<long long>(Value * 10 + (Digit - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (Negative) {
    Value = -Value;
  }
  return static_cast<int>(std::clamp<long long>(Value, INT_MIN, INT_MAX));
}

int ClampPcSpeed(int Value) {
  return std::clamp(Value, PcSpeedMinimum, PcSpeedMaximum);
}
