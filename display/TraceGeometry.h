// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel geometry and colours of the trace picture. Everything that draws on
// the picture or measures on it (renderer, markers, readout, navigation)
// takes its numbers from here.
#pragma once

#include <array>
#include <cstdint>

#include "acquisition/SampleView.h"

/// A pixel position, x to the right and y downwards from the top-left corner.
struct TPixelPoint {
  int X;
  int Y;
  friend constexpr bool operator==(const TPixelPoint&, const TPixelPoint&) = default;
};

/// A line from From up to but excluding To.
struct TPixelLine {
  TPixelPoint From;
  TPixelPoint To;
  friend constexpr bool operator==(const TPixelLine&, const TPixelLine&) = default;
};

/// A colour as 0xAARRGGBB, the layout of an RGB32 pixel in memory.
using TRgb = std::uint32_t;

inline constexpr TRgb ColourBlack = 0xFF000000;
inline constexpr TRgb ColourRed = 0xFFFF0000;
inline constexpr TRgb ColourBlue = 0xFF0000FF;
inline constexpr TRgb ColourGreen = 0xFF008000;
inline constexpr TRgb ColourMagenta = 0xFFFF00FF;
inline constexpr TRgb ColourWhite = 0xFFFFFFFF;

// ---- Picture and grid ----------------------------------------------------

inline constexpr int PictureWidth = 940;
inline constexpr int PictureHeight = 520;
inline constexpr int PictureMargin = 20;
inline constexpr int GridColumns = 15;
inline constexpr int GridRows = 16;
inline constexpr int TileWidth = (PictureWidth - 2 * PictureMargin) / GridColumns;  // 60
inline constexpr int TileHeight = (PictureHeight - 2 * PictureMargin) / GridRows;   // 30

// The grid's far ends are fixed values, not derived from the tile size.
inline constexpr int GridLeft = 20;
inline constexpr int GridTop = 20;
inline constexpr int GridRight = 920;
inline constexpr int GridBottom = 500;

/// Number of vertical grid lines (k = 0..15) and of horizontal ones (k = 0..16).
inline constexpr int VerticalGridLines = GridColumns + 1;
inline constexpr int HorizontalGridLines = GridRows + 1;

/// x of vertical grid line k.
constexpr int VerticalGridX(int K) {
  return GridLeft + TileWidth * K;
}

/// y of horizontal grid line k.
constexpr int HorizontalGridY(int K) {
  return GridTop + TileHeight * K;
}

/// The frame one pixel outside the grid: top, bottom, left, right.
inline constexpr std::array<TPixelLine, 4> FrameLines = {{
    {{GridLeft - 1, GridTop - 1}, {GridRight + 1, GridTop - 1}},
    {{GridLeft - 1, GridBottom + 1}, {GridRight + 1, GridBottom + 1}},
    {{GridLeft - 1, GridTop - 1}, {GridLeft - 1, GridBottom + 1}},
    {{GridRight + 1, GridTop - 1}, {GridRight + 1, GridBottom + 1}},
}};

// ---- Inputs and samples --------------------------------------------------

inline constexpr int InputCount = 16;
inline constexpr int InputsPerGroup = 8;

/// y of the high level of input k (1..16).
constexpr int HighLevelY(int Input) {
  return 30 + TileHeight * (Input - 1);
}

/// y of the low level of input k (1..16).
constexpr int LowLevelY(int Input) {
  return 49 + TileHeight * (Input - 1);
}

/// Row base of a group (1 for inputs 1-8, 2 for inputs 9-16); bit j of a
/// sample of the group is drawn at base + 30j - 20 (high) or base + 30j - 1 (low).
constexpr int GroupRowBase(int Group) {
  return Group == 1 ? 50 : 290;
}

/// Left x of sample n (1..450); the sample covers x .. x + 2.
constexpr int SampleX(int N) {
  return 2 * N + 18;
}

/// Sample under picture column x; outside 1..450 when x misses the samples.
constexpr int SampleAtX(int X) {
  return X / 2 - 10;
}

/// x of the readout line that marks sample n.
constexpr int ReadoutLineX(int N) {
  return 2 * N + 20;
}

/// Colour of the trace, label and readout of a group (1 or 2).
constexpr TRgb GroupColour(int Group) {
  return Group == 1 ? ColourRed : ColourBlue;
}

/// Colour of input k (1..16).
constexpr TRgb InputColour(int Input) {
  return GroupColour(Input <= InputsPerGroup ? 1 : 2);
}

// ---- Markers -------------------------------------------------------------

/// Vertical markers and the readout line run from the grid's top to its bottom.
inline constexpr int MarkerTop = GridTop;
inline constexpr int MarkerBottom = GridBottom;
inline constexpr int MarkerLeftStart = 170;
inline constexpr int MarkerRightStart = 770;

/// Dash pattern of the dashed pen, in pixels along the line.
inline constexpr int DashOn = 18;
inline constexpr int DashOff = 6;

// ---- Texts ---------------------------------------------------------------

/// Height of every text box; texts are drawn from their top-left corner.
inline constexpr int TextHeight = 11;

inline constexpr TPixelPoint ClockTimePosition{20, 4};
inline constexpr TPixelPoint ClockDatePosition{80, 4};
inline constexpr TPixelPoint ReadoutGroup1Position{180, 4};
inline constexpr TPixelPoint ReadoutGroup2Position{470, 4};
inline constexpr TPixelPoint TimeBaseTextPosition{740, 4};
inline constexpr TPixelPoint TriggerTextPosition{50, 505};
inline constexpr TPixelPoint DtTextPosition{400, 505};
inline constexpr TPixelPoint FrequencyTextPosition{480, 505};
inline constexpr TPixelPoint PullTextPosition{740, 505};

/// Where the label of input k (1..16) stands. Number labels "1".."9" sit two
/// pixels right of the two-character ones; with the internal-equal trigger the
/// left margin holds the pattern symbols and the labels move to the right margin.
constexpr TPixelPoint ChannelLabelPosition(int Input, bool NumberLabels, bool InternalEqual) {
  const bool OneCharacter = NumberLabels && Input <= 9;
  const int X = (InternalEqual ? 926 : 2) + (OneCharacter ? 2 : 0);
  return {X, HighLevelY(Input)};
}

/// The five lines of the trigger symbol beside input k (1..8): a falling or a
/// rising step with its arrow head.
constexpr std::array<TPixelLine, 5> TriggerSymbolLines(int Input, bool Rising) {
  const int B = 30 * Input;
  if (Rising) {
    return {{{{3, B + 10}, {8, B + 10}},
             {{8, B + 10}, {8, B}},
             {{8, B}, {13, B}},
             {{8, B + 2}, {12, B + 8}},
             {{8, B + 2}, {4, B + 8}}}};
  }
  return {{{{3, B}, {8, B}},
           {{8, B}, {8, B + 10}},
           {{8, B + 10}, {13, B + 10}},
           {{8, B + 8}, {12, B + 2}},
           {{8, B + 8}, {4, B + 2}}}};
}
