// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/ViewNavigation.h"

#include <algorithm>

TViewMove PlanViewMove(int Offset, int Step, int Last) {
  TViewMove Move{};
  Move.Target = Offset + Step;
  Move.Position = std::clamp(Move.Target, ViewOffsetMin, std::max(Last, ViewOffsetMin));
  if (Step > 0 && Move.Target > Last) {
    Move.Limit = TViewLimit::End;
  } else if (Step < 0 && Move.Target <= ViewOffsetMin) {
    Move.Limit = TViewLimit::Start;
  } else {
    Move.Limit = TViewLimit::None;
  }
  return Move;
}

int TWheelSteps::Take(int Delta) {
  Pending += Delta;
  const long long Notches = Pending / WheelNotch;  // towards zero: a part stays
  Pending -= Notches * WheelNotch;
  return static_cast<int>(std::clamp(-Notches * SamplesPerDivision,
                                     -static_cast<long long>(ViewOffsetMax) - 1,
                                     static_cast<long long>(ViewOffsetMax) + 1));
}

TViewPositionBytes ViewPositionBytes(int Offset) {
  const int Clipped = std::clamp(Offset, ViewOffsetMin, ViewOffsetMax);
  return {static_cast<std::uint8_t>(Clipped / 256), static_cast<std::uint8_t>(Clipped % 256)};
}

const char* ViewLimitMessage(TViewLimit Limit) {
  switch (Limit) {
    case TViewLimit::End:
      return "Position limite atteinte...";
    case TViewLimit::Start:
      return "Position de départ atteinte...";
    case TViewLimit::None:
      break;
  }
  return "";
}
