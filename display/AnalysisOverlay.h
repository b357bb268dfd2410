// SPDX-License-Identifier: GPL-3.0-or-later
// The layer above the visible picture where analysis draws: decoded values
// over their input's row, the mark of the chosen annotation and the figures
// at the pointer. It never touches the picture's bitmap, so nothing of it is
// saved, copied or printed, and it lets every mouse event through.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "display/TraceGeometry.h"

class TPictureBox;

/// A span of window cells (1..450; either end may lie outside) over the row
/// of an input, with the text drawn in it.
struct TOverlaySpan {
  int Input = 1;
  int FirstCell = 1;
  int LastCell = 1;
  QString Text;
  friend bool operator==(const TOverlaySpan&, const TOverlaySpan&) = default;
};

/// Colours of the layer: the mark has its own, neither the readout's magenta
/// nor the markers' green.
inline constexpr TRgb ColourAnnotationMark = 0xFFFF8C00;
inline constexpr TRgb ColourAnnotation = 0xFF505050;

class TAnalysisOverlay : public QWidget {
  Q_OBJECT
 public:
  /// A layer the size of Picture, just above it among its siblings.
  explicit TAnalysisOverlay(TPictureBox& Picture);

  /// Each setter repaints only when what it sets changed.
  void SetSpans(std::vector<TOverlaySpan> Spans);
  void SetMark(std::optional<TOverlaySpan> Mark);
  /// Lines written in a box beside the pointer at At; no lines: no box.
  void SetPointerFigures(TPixelPoint At, QStringList Lines);

  const std::vector<TOverlaySpan>& Spans() const { return ShownSpans; }
  const std::optional<TOverlaySpan>& Mark() const { return ShownMark; }
  const QStringList& PointerFigures() const { return FigureLines; }
  /// The rectangle of the pointer figures' box (empty without one).
  QRect PointerFiguresBox() const;

  /// The layer alone, as painted, transparent where it draws nothing.
  QImage Render() const;

  /// Columns the layer leaves uncovered on Picture: those holding a pixel of
  /// the readout line or of a marker (magenta or green) within the grid.
  static std::vector<int> ProtectedColumns(const QImage& Picture);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  void Draw(QImage& Layer) const;

  const TPictureBox& Picture;
  std::vector<TOverlaySpan> ShownSpans;
  std::optional<TOverlaySpan> ShownMark;
  TPixelPoint FigureAt{0, 0};
  QStringList FigureLines;
};
