// SPDX-License-Identifier: GPL-3.0-or-later
// The 18 time bases of the trace picture, 1 µs to 500 ms per division.
#pragma once

#include <array>
#include <cstdint>

/// One row of the time-base table.
struct TTimeBase {
  int Index;                  ///< TimeBaseIndex, 4 to 21
  const char* ButtonName;     ///< designer name of its button
  const char* Caption;        ///< button caption, UTF-8
  const char* Label;          ///< text on the picture and button hint, UTF-8
  double SecondsPerDivision;  ///< time of one tile (30 samples)
  std::uint8_t Code;          ///< TimeBaseCode, p1 of cmdTimeBase
};

/// Samples per division: a tile is 60 pixels wide and a sample 2.
inline constexpr int SamplesPerDivision = 30;

/// Index of the start-up time base, 1 ms per division.
inline constexpr int DefaultTimeBaseIndex = 13;

/// The table, in the order of the time bases (index 4 first).
extern const std::array<TTimeBase, 18> TimeBaseTable;

/// The row of TimeBaseIndex Index, or nullptr when there is none.
const TTimeBase* FindTimeBase(int Index);

/// The row whose TimeBaseCode is Code, or nullptr.
const TTimeBase* FindTimeBaseByCode(std::uint8_t Code);

/// The row whose caption is Caption, or nullptr.
const TTimeBase* FindTimeBaseByCaption(const char* Caption);

/// Time between two samples at a time base.
inline double SecondsPerSample(const TTimeBase& Base) {
  return Base.SecondsPerDivision / SamplesPerDivision;
}
