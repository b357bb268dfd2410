// SPDX-License-Identifier: GPL-3.0-or-later
// The trace picture: a hidden back buffer that receives the empty screen and
// the samples of a window, copied at once to the visible picture.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <array>
#include <cstdint>

#include "acquisition/TimeBase.h"
#include "display/ClockStamp.h"
#include "display/TraceTexts.h"

/// What the empty screen shows besides the grid, read from the window's
/// controls at each redraw.
struct TScreenState {
  int TimeBaseIndex = DefaultTimeBaseIndex;
  TTriggerMode TriggerMode = TTriggerMode::None;
  /// Check boxes 1..8 of the trigger pattern (index 0 is input 1).
  std::array<bool, 8> PatternBoxes{};
  TPull Pull = TPull::None;
  /// Labels option: "1".."16" when set, "D0".."D7" for each group otherwise.
  bool NumberLabels = false;

  bool operator==(const TScreenState&) const = default;
};

/// Owns the back buffer and the levels drawn by the previous sample. The
/// visible picture belongs to the window and is handed in where it is drawn on.
class TTraceRenderer {
 public:
  /// Starts with a white back buffer of the picture's size.
  TTraceRenderer();

  /// The back buffer, 940 × 520 RGB32.
  const QImage& BackBuffer() const { return Back; }
  /// The back buffer for the control that holds it (Image1). Replacing it
  /// with a picture of another shape is harmless: the next DrawGrid makes it
  /// whole again.
  QImage& BackBufferForControl() { return Back; }

  /// The stamp taken at the last DrawClockStamp.
  const TClockStamp& ClockStamp() const { return Stamp; }

  /// Level drawn for bit j by the previous sample, true for high; shared by
  /// both groups and kept between transfers.
  const std::array<bool, 8>& PreviousLevels() const { return Levels; }

  /// The empty screen in the back buffer: grid, time-base text, trigger text
  /// and symbols, channel labels, pull text, clock stamp (the clock stamp is
  /// also drawn on Visible, which is otherwise left alone).
  void RedrawScreen(const TScreenState& State, QImage& Visible, const QDateTime& Now);

  /// A new white back buffer with the grid and its frame in black.
  void DrawGrid();

  /// The label of the time base TimeBaseIndex at the top right; nothing for
  /// an index outside the table.
  void DrawTimeBaseLabel(int TimeBaseIndex);

  /// The trigger mode's text at the bottom left and, for the internal-equal
  /// mode, a rising (box checked) or falling (box clear) symbol beside each
  /// of inputs 1..8.
  void DrawTriggerStatus(TTriggerMode Mode, const std::array<bool, 8>& PatternBoxes);

  /// The 16 row labels, on the right when InternalEqual holds.
  void DrawChannelLabels(bool NumberLabels, bool InternalEqual);

  /// The pull text at the bottom right, or nothing.
  void DrawPullLabel(TPull Pull);

  /// Takes Now into the clock stamp and writes time and date on the back
  /// buffer, then on Visible.
  const TClockStamp& DrawClockStamp(QImage& Visible, const QDateTime& Now);

  /// Draws the 8 inputs of sample N (1..450) of Group (1 for inputs 1-8, 2 for
  /// inputs 9-16) into the back buffer. With ShowEdges a change of level from
  /// the previous sample is drawn as a vertical edge. Calls outside those
  /// ranges draw nothing. Only the inputs of Drawn's bits are drawn (a
  /// capture may not carry them all).
  void DrawSample(int Group, int N, std::uint8_t Value, bool ShowEdges, std::uint8_t Drawn = 0xFF);

  /// Makes Visible a copy of the back buffer, erasing every overlay on it.
  /// The pixels are shared until either side is written. Returns where the
  /// picture shown before may differ: the whole picture, unless both were
  /// drawn here alone on the same empty screen; then the rows and edges
  /// where either has samples, and the clock stamps.
  QRegion PresentScreen(QImage& Visible);

  /// Where the last DrawClockStamp changed the visible picture: the boxes
  /// of its two texts, or nothing when it held those pixels already.
  QRect ClockStampArea() const { return StampArea; }

 private:
  // What the renderer drew on a picture: the empty screen of State, then
  // samples and clock stamps over it. It holds while the picture's cacheKey
  // is Key: any other writer changes the key.
  struct TRecord {
    bool Known = false;
    TScreenState State;
    qint64 Key = 0;
    QRect Stamps;
    // Columns of the vertical edges drawn, per trace; none when Left > Right.
    std::array<int, 16> EdgeLeft{};
    std::array<int, 16> EdgeRight{};
  };
  static TRecord EmptyRecord(const TScreenState& State, const QImage& Image);
  static bool Holds(const TRecord& Record, const QImage& Image) {
    return Record.Known && Image.cacheKey() == Record.Key;
  }
  /// Where the record's samples and stamps may have set pixels.
  static QRegion DrawnArea(const TRecord& Record);
  /// Makes the back buffer the empty screen of State again by restoring,
  /// from the empty screen kept, only where samples and stamps were drawn;
  /// false when no buffer at hand is known well enough.
  bool EraseToEmptyScreen(const TScreenState& State);

  QImage Back;
  TRecord BackRecord;
  TRecord ShownRecord;  // of the picture presented last
  TRecord SpareRecord;
  // The empty screen of EmptyState, kept at the last full redraw.
  QImage Empty;
  TScreenState EmptyState;
  // The picture the last present replaced, for the next DrawGrid to reuse.
  QImage Spare;
  std::array<bool, 8> Levels{};
  TClockStamp Stamp;
  QRect StampArea;
};
