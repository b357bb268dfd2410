// SPDX-License-Identifier: GPL-3.0-or-later
// Which window of the analyser's memory the picture shows: the view offset's
// range, the steps of the four move buttons and of the mouse wheel, the bytes
// of the view position command and when a move has reached an end. Qt-free.
#pragma once

#include <cstdint>

#include "acquisition/TimeBase.h"

/// Range of the view offset: the first shown sample of the analyser's memory.
inline constexpr int ViewOffsetMin = 0;
inline constexpr int ViewOffsetMax = 1597;

/// Steps of the move buttons, in samples: 5 and 10 tiles.
inline constexpr int ShortViewStep = 5 * SamplesPerDivision;  // 150
inline constexpr int LongViewStep = 10 * SamplesPerDivision;  // 300

/// Angle units of one notch of a mouse wheel (eighths of a degree).
inline constexpr int WheelNotch = 120;

/// The mouse wheel's turns gathered into whole notches, one tile each:
/// touchpads send parts of a notch, which add up.
class TWheelSteps {
 public:
  /// Takes Delta angle units (positive: turned up, away from the user) and
  /// returns the offset change of the notches they complete: 30 samples
  /// towards later ones per notch turned down, earlier ones per notch up;
  /// within ±(ViewOffsetMax + 1), however large the turn.
  int Take(int Delta);

 private:
  long long Pending = 0;  // angle units of a notch not yet complete
};

/// The end a move ran into, if any.
enum class TViewLimit { None, End, Start };

/// What a move button does from one offset.
struct TViewMove {
  int Target;        ///< offset + step, before the scroll bar clips it
  int Position;      ///< the offset afterwards, clipped to the range
  TViewLimit Limit;  ///< announced after the move
};

/// The move by Step (±150 or ±300) from Offset. A forward move whose target
/// passes the last offset (Last: 1597 for the analyser's memory, the length
/// of a capture opened from a file less 450) meets the end; a backward move
/// whose target reaches offset 0 or below meets the start (also when it lands
/// exactly on 0).
TViewMove PlanViewMove(int Offset, int Step, int Last = ViewOffsetMax);

/// The two parameter bytes of the view position command, high byte first.
struct TViewPositionBytes {
  std::uint8_t High;
  std::uint8_t Low;
  friend constexpr bool operator==(const TViewPositionBytes&, const TViewPositionBytes&) = default;
};

/// Offset (clipped to the range) as the command carries it.
TViewPositionBytes ViewPositionBytes(int Offset);

/// The information text for a limit ("" for none), UTF-8.
const char* ViewLimitMessage(TViewLimit Limit);
