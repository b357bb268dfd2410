// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/AnalysisOverlay.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "display/PictureBox.h"
#include "display/PixelCanvas.h"

namespace {
// Inside the frame: the margins hold the readout, dt and 1/dt texts.
const QRect GridArea(GridLeft, GridTop, GridRight - GridLeft + 1, GridBottom - GridTop + 1);

// Between the high and the low level of a row, so the trace stays visible.
constexpr int SpanTop = 12;
constexpr int SpanHeight = 15;
constexpr int FigureOffset = 14;
constexpr int FigurePadding = 3;

QColor Colour(TRgb Rgb, int Alpha = 255) {
  QColor C = QColor::fromRgb(Rgb);
  C.setAlpha(Alpha);
  return C;
}

int RowTop(int Input) {
  return GridTop + TileHeight * (Input - 1);
}

// The columns of a span's cells within the window; empty when it misses it.
std::optional<std::pair<int, int>> SpanColumns(const TOverlaySpan& Span) {
  const int First = std::max(Span.FirstCell, 1);
  const int Last = std::min(Span.LastCell, SamplesPerWindow);
  if (First > Last || Span.Input < 1 || Span.Input > InputCount) {
    return std::nullopt;
  }
  return std::pair(SampleX(First), SampleX(Last) + 1);
}
}  // namespace

TAnalysisOverlay::TAnalysisOverlay(TPictureBox& Picture)
    : QWidget(Picture.parentWidget()), Picture(Picture) {
  setObjectName(QStringLiteral("AnalysisOverlay"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(Picture.geometry());
  stackUnder(&Picture);
  Picture.stackUnder(this);
  show();
}

void TAnalysisOverlay::SetSpans(std::vector<TOverlaySpan> Spans) {
  if (Spans != ShownSpans) {
    ShownSpans = std::move(Spans);
    update();
  }
}

void TAnalysisOverlay::SetMark(std::optional<TOverlaySpan> Mark) {
  if (Mark != ShownMark) {
    ShownMark = std::move(Mark);
    update();
  }
}

void TAnalysisOverlay::SetPointerFigures(TPixelPoint At, QStringList Lines) {
  if (Lines != FigureLines || (!Lines.isEmpty() && !(At == FigureAt))) {
    FigureAt = At;
    FigureLines = std::move(Lines);
    update();
  }
}

QRect TAnalysisOverlay::PointerFiguresBox() const {
  if (FigureLines.isEmpty()) {
    return {};
  }
  const QFontMetrics Metrics(TPixelCanvas::TextFont());
  int Width = 0;
  for (const QString& Line : FigureLines) {
    Width = std::max(Width, Metrics.horizontalAdvance(Line));
  }
  const QSize Size(Width + 2 * FigurePadding,
                   static_cast<int>(FigureLines.size()) * Metrics.height() + 2 * FigurePadding);
  // Below right of the pointer, flipped when that leaves the grid.
  int X = FigureAt.X + FigureOffset;
  int Y = FigureAt.Y + FigureOffset;
  if (X + Size.width() > GridRight) {
    X = FigureAt.X - FigureOffset - Size.width();
  }
  if (Y + Size.height() > GridBottom) {
    Y = FigureAt.Y - FigureOffset - Size.height();
  }
  X = std::clamp(X, GridLeft, std::max(GridLeft, GridRight - Size.width()));
  Y = std::clamp(Y, GridTop, std::max(GridTop, GridBottom - Size.height()));
  return {QPoint(X, Y), Size};
}

std::vector<int> TAnalysisOverlay::ProtectedColumns(const QImage& Picture) {
  std::vector<int> Columns;
  if (Picture.width() < PictureWidth || Picture.height() < PictureHeight) {
    return Columns;
  }
  const QImage Rgb = Picture.format() == QImage::Format_RGB32
                         ? Picture
                         : Picture.convertToFormat(QImage::Format_RGB32);
  // A dashed line has a pixel in any DashOn + DashOff rows of the grid.
  for (int X = GridLeft; X <= GridRight; ++X) {
    for (int Y = GridTop; Y < GridTop + DashOn + DashOff; ++Y) {
      const TRgb Pixel = reinterpret_cast<const TRgb*>(Rgb.constScanLine(Y))[X] | 0xFF000000U;
      if (Pixel == ColourMagenta || Pixel == ColourGreen) {
        Columns.push_back(X);
        break;
      }
    }
  }
  return Columns;
}

QImage TAnalysisOverlay::Render() const {
  QImage Layer(PictureWidth, PictureHeight, QImage::Format_ARGB32_Premultiplied);
  Layer.fill(Qt::transparent);
  Draw(Layer);
  return Layer;
}

void TAnalysisOverlay::Draw(QImage& Layer) const {
  QPainter Painter(&Layer);
  Painter.setClipRect(GridArea);
  Painter.setFont(TPixelCanvas::TextFont());
  const QFontMetrics Metrics(Painter.font());

  for (const TOverlaySpan& Span : ShownSpans) {
    const auto Columns = SpanColumns(Span);
    if (!Columns) {
      continue;
    }
    const QRect Box(Columns->first, RowTop(Span.Input) + SpanTop,
                    Columns->second - Columns->first + 1, SpanHeight);
    Painter.setPen(Colour(ColourAnnotation));
    Painter.setBrush(Colour(0xFFFFFFE0, 200));
    Painter.drawRect(Box.adjusted(0, 0, -1, -1));
    // The text only where it fits whole, elided otherwise.
    const QString Text = Metrics.elidedText(Span.Text, Qt::ElideRight, Box.width() - 4);
    if (!Text.isEmpty() && Text != QStringLiteral("…")) {
      Painter.setPen(Colour(ColourBlack));
      Painter.drawText(Box, Qt::AlignCenter, Text);
    }
  }

  if (ShownMark) {
    if (const auto Columns = SpanColumns(*ShownMark)) {
      const QRect Box(Columns->first - 1, RowTop(ShownMark->Input) + 1,
                      Columns->second - Columns->first + 3, TileHeight - 1);
      Painter.setPen(QPen(Colour(ColourAnnotationMark), 2));
      Painter.setBrush(Colour(ColourAnnotationMark, 70));
      Painter.drawRect(Box.adjusted(1, 1, -1, -1));
    }
  }

  const QRect FigureBox = PointerFiguresBox();
  if (!FigureBox.isEmpty()) {
    Painter.setPen(Colour(ColourAnnotation));
    Painter.setBrush(Colour(0xFFFFFFF0, 235));
    Painter.drawRect(FigureBox.adjusted(0, 0, -1, -1));
    Painter.setPen(Colour(ColourBlack));
    int Y = FigureBox.top() + FigurePadding;
    for (const QString& Line : FigureLines) {
      Painter.drawText(
          QRect(FigureBox.left() + FigurePadding, Y, FigureBox.width(), Metrics.height()),
          Qt::AlignLeft | Qt::AlignVCenter, Line);
      Y += Metrics.height();
    }
  }

  // The readout line and the markers show through whatever lies on them.
  Painter.setClipping(false);
  Painter.setCompositionMode(QPainter::CompositionMode_Clear);
  for (const int X : ProtectedColumns(Picture.Picture())) {
    Painter.fillRect(X, 0, 1, PictureHeight, Qt::transparent);
  }
}

void TAnalysisOverlay::paintEvent(QPaintEvent* Event) {
  if (ShownSpans.empty() && !ShownMark && FigureLines.isEmpty()) {
    return;
  }
  const QImage Layer = Render();
  QPainter Painter(this);
  Painter.drawImage(Event->rect(), Layer, Event->rect());
}
