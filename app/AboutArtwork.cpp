// SPDX-License-Identifier: GPL-3.0-or-later
// The About window's picture: the program's name over a screen of timing
// traces, the analyser, and light bands where the labels sit.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/Artwork.h"
#include "app/ArtworkParts.h"

namespace Artwork {
namespace {

constexpr int Width = 572;
constexpr int Height = 516;

// Levels of one input along the screen: a few edges, different for each row.
QPainterPath TraceRow(QRectF Row, int Input) {
  const double Low = Row.bottom();
  const double High = Row.top();
  QPainterPath Path(QPointF(Row.left(), Low));
  bool Up = false;
  const double Step = Row.width() / 24;
  for (int Slot = 1; Slot <= 24; ++Slot) {
    const double X = Row.left() + Step * Slot;
    // Input n toggles every n-th slot, shifted, so that rows differ.
    const bool Toggle = ((Slot + Input) % (Input % 5 + 1)) == 0;
    Path.lineTo(X, Up ? High : Low);
    if (Toggle && Slot < 24) {
      Up = !Up;
      Path.lineTo(X, Up ? High : Low);
    }
  }
  return Path;
}

void DrawTraceScreen(QPainter& P, QRectF Screen) {
  P.setPen(QPen(QColor(30, 30, 40), 2));
  P.setBrush(QColor(12, 18, 30));
  P.drawRoundedRect(Screen, 8, 8);
  const QRectF Inner = Screen.adjusted(14, 12, -14, -12);
  P.setPen(QPen(QColor(40, 70, 60), 1, Qt::DotLine));
  for (int Column = 1; Column < 12; ++Column) {
    const double X = Inner.left() + Inner.width() * Column / 12;
    P.drawLine(QPointF(X, Inner.top()), QPointF(X, Inner.bottom()));
  }
  const QColor Colours[] = {QColor(255, 90, 90), QColor(255, 200, 60), QColor(90, 230, 120),
                            QColor(90, 190, 255)};
  const int Rows = 8;
  const double RowHeight = Inner.height() / Rows;
  P.setBrush(Qt::NoBrush);
  for (int Input = 0; Input < Rows; ++Input) {
    const QRectF Row(Inner.left(), Inner.top() + RowHeight * Input + 4, Inner.width(),
                     RowHeight - 8);
    P.setPen(QPen(Colours[Input % 4], 1.6));
    P.drawPath(TraceRow(Row, Input + 1));
  }
}

void DrawAnalyserWithCable(QPainter& P, QRectF Box) {
  DrawAnalyser(P, Box, 10);
  // The USB cable, leaving the picture on the left towards the PC.
  P.setPen(QPen(QColor(40, 40, 40), 4, Qt::SolidLine, Qt::RoundCap));
  P.setBrush(Qt::NoBrush);
  QPainterPath Cable(QPointF(Box.left(), Box.center().y()));
  Cable.cubicTo(Box.left() - 20, Box.center().y(), Box.left() - 8, Box.top() - 24, 0,
                Box.top() - 30);
  P.drawPath(Cable);
}

}  // namespace

QPixmap AboutPicture() {
  QPixmap Pixmap(Width, Height);
  QPainter P(&Pixmap);
  P.setRenderHint(QPainter::Antialiasing);

  QLinearGradient Sky(0, 0, 0, Height);
  Sky.setColorAt(0, QColor(250, 251, 255));
  Sky.setColorAt(1, QColor(214, 224, 240));
  P.fillRect(0, 0, Width, Height, Sky);

  // Title band; the link sits at its right end.
  P.setPen(QColor(0, 0, 96));
  P.setFont(PictureFont(40, true, true));
  P.drawText(QRectF(24, 8, 300, 52), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("la16"));
  P.setFont(PictureFont(13, false));
  P.drawText(QRectF(130, 14, 290, 44), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Analyseur logique USB\n16 entrées"));

  DrawTraceScreen(P, QRectF(24, 72, Width - 48, 262));

  // The analyser in the lower left, beside the title lines of the window.
  DrawAnalyserWithCable(P, QRectF(34, 384, 104, 52));

  // A thin rule above the notice, and a frame: the window has no border.
  P.setPen(QPen(QColor(150, 160, 185), 1));
  P.drawLine(QPointF(24, 462.5), QPointF(Width - 24, 462.5));
  P.setPen(QPen(QColor(60, 70, 100), 2));
  P.setBrush(Qt::NoBrush);
  P.drawRect(QRectF(1, 1, Width - 2, Height - 2));
  P.end();
  return Pixmap;
}

}  // namespace Artwork
