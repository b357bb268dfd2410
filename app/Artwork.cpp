// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <vector>

namespace Artwork {
namespace {
const QColor DarkBlue(0, 0, 128);
const QColor PlayGreen(0, 176, 0);

// A transparent picture with a painter ready to draw on it, antialiased.
struct TCanvas {
  QPixmap Pixmap;
  QPainter Painter;
  TCanvas(int Width, int Height) : Pixmap(Width, Height) {
    Pixmap.fill(Qt::transparent);
    Painter.begin(&Pixmap);
    Painter.setRenderHint(QPainter::Antialiasing);
  }
  QPixmap Take() {
    Painter.end();
    return Pixmap;
  }
};

void Triangle(QPainter& Painter, QPointF A, QPointF B, QPointF C, const QColor& Fill,
              const QColor& Outline) {
  Painter.setPen(Outline == Qt::transparent ? QPen(Qt::NoPen) : QPen(Outline, 1));
  Painter.setBrush(Fill);
  Painter.drawPolygon(QPolygonF({A, B, C}));
}

void PlayTriangle(QPainter& Painter, QRectF Box) {
  Triangle(Painter, Box.topLeft(), QPointF(Box.right(), Box.center().y()), Box.bottomLeft(),
           PlayGreen, DarkBlue);
}

void Disc(QPainter& Painter, QRectF Box, const QColor& Fill, const QColor& Rim) {
  QRadialGradient Shade(Box.center() - QPointF(Box.width() / 5, Box.height() / 5), Box.width());
  Shade.setColorAt(0, Fill.lighter(160));
  Shade.setColorAt(0.6, Fill);
  Painter.setPen(QPen(Rim, 1));
  Painter.setBrush(Shade);
  Painter.drawEllipse(Box);
}

void Letter(QPainter& Painter, QRectF Box, const QString& Text) {
  QFont Font(QStringLiteral("Sans Serif"));
  Font.setPixelSize(12);
  Font.setBold(true);
  Painter.setFont(Font);
  Painter.setPen(Qt::white);
  Painter.drawText(Box, Qt::AlignCenter, Text);
}

void DrawMenuPicture(QPainter& P, TMenuPicture Picture) {
  switch (Picture) {
    case TMenuPicture::PcSpeed: {  // a gauge with its needle
      P.setPen(QPen(DarkBlue, 1.5));
      P.setBrush(QColor(255, 255, 220));
      P.drawPie(QRectF(1, 3, 14, 14), 0, 180 * 16);
      P.setPen(QPen(Qt::red, 1.5));
      P.drawLine(QPointF(8, 10), QPointF(12.5, 5));
      P.setPen(QPen(PlayGreen, 1.5));
      P.drawArc(QRectF(3, 5, 10, 10), 120 * 16, 60 * 16);
      break;
    }
    case TMenuPicture::Print:
      P.setPen(QPen(Qt::black, 1));
      P.setBrush(Qt::white);
      P.drawRect(QRectF(4.5, 1.5, 7, 6));
      P.setBrush(QColor(150, 150, 150));
      P.drawRect(QRectF(1.5, 6.5, 13, 6));
      P.setBrush(Qt::white);
      P.drawRect(QRectF(4.5, 10.5, 7, 4));
      P.setPen(PlayGreen);
      P.drawPoint(QPointF(12.5, 8.5));
      break;
    case TMenuPicture::Save:
      P.setPen(QPen(DarkBlue, 1));
      P.setBrush(QColor(40, 80, 200));
      P.drawRect(QRectF(1.5, 1.5, 13, 13));
      P.setBrush(Qt::white);
      P.drawRect(QRectF(4.5, 1.5, 7, 5));
      P.setBrush(QColor(200, 200, 200));
      P.drawRect(QRectF(4.5, 9.5, 7, 5));
      break;
    case TMenuPicture::Quit:
      P.setPen(QPen(QColor(120, 70, 20), 1));
      P.setBrush(QColor(190, 130, 60));
      P.drawRect(QRectF(6.5, 1.5, 8, 13));
      P.setPen(QPen(Qt::red, 2));
      P.drawLine(QPointF(1, 8), QPointF(9, 8));
      Triangle(P, QPointF(0.5, 8), QPointF(4.5, 4.5), QPointF(4.5, 11.5), Qt::red, Qt::red);
      break;
    case TMenuPicture::Copy:
      P.setPen(QPen(Qt::black, 1));
      for (const QPointF At : {QPointF(1.5, 1.5), QPointF(6.5, 5.5)}) {
        P.setBrush(Qt::white);
        P.drawRect(QRectF(At, QSizeF(8, 10)));
        P.setPen(QPen(QColor(0, 0, 160), 1));
        P.drawLine(At + QPointF(2, 3), At + QPointF(6, 3));
        P.drawLine(At + QPointF(2, 6), At + QPointF(6, 6));
        P.setPen(QPen(Qt::black, 1));
      }
      break;
    case TMenuPicture::Help:
      Disc(P, QRectF(0.5, 0.5, 15, 15), QColor(30, 90, 220), DarkBlue);
      Letter(P, QRectF(0, 0, 16, 16), QStringLiteral("?"));
      break;
    case TMenuPicture::About:
      Disc(P, QRectF(0.5, 0.5, 15, 15), QColor(0, 140, 160), DarkBlue);
      Letter(P, QRectF(0, 0, 16, 16), QStringLiteral("i"));
      break;
  }
}
}  // namespace

QPixmap MenuPicture(TMenuPicture Picture) {
  TCanvas Canvas(16, 16);
  DrawMenuPicture(Canvas.Painter, Picture);
  return Canvas.Take();
}

QPixmap OpenPicture() {
  TCanvas Canvas(16, 16);
  QPainter& P = Canvas.Painter;
  P.setPen(QPen(QColor(150, 110, 20), 1));
  P.setBrush(QColor(240, 200, 90));
  P.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6.5, 3.5), QPointF(7.5, 5.5),
                           QPointF(13.5, 5.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
  P.setBrush(QColor(255, 225, 130));
  P.drawPolygon(
      QPolygonF({QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
  return Canvas.Take();
}

QPixmap ExportPicture() {
  TCanvas Canvas(16, 16);
  QPainter& P = Canvas.Painter;
  P.setPen(QPen(Qt::black, 1));
  P.setBrush(Qt::white);
  P.drawRect(QRectF(1.5, 1.5, 9, 13));
  P.setPen(QPen(Qt::red, 1));  // a trace of samples on the sheet
  P.drawPolyline(QPolygonF({QPointF(3, 6.5), QPointF(5, 6.5), QPointF(5, 3.5), QPointF(7, 3.5),
                            QPointF(7, 6.5), QPointF(9, 6.5)}));
  P.setPen(QPen(Qt::blue, 1));
  P.drawPolyline(QPolygonF({QPointF(3, 9.5), QPointF(4, 9.5), QPointF(4, 12.5), QPointF(7, 12.5),
                            QPointF(7, 9.5), QPointF(9, 9.5)}));
  P.setPen(QPen(PlayGreen, 2));
  P.drawLine(QPointF(8, 11), QPointF(13, 11));
  Triangle(P, QPointF(15.5, 11), QPointF(12, 7.5), QPointF(12, 14.5), PlayGreen, PlayGreen);
  return Canvas.Take();
}

QPixmap LoopGlyph() {
  TCanvas Canvas(19, 19);
  QPainter& P = Canvas.Painter;
  P.setPen(QPen(DarkBlue, 1.6));
  P.setBrush(Qt::NoBrush);
  P.drawArc(QRectF(1.5, 1.5, 16, 16), 60 * 16, 300 * 16);
  Triangle(P, QPointF(12, 0.5), QPointF(16.5, 3), QPointF(12, 6), DarkBlue, DarkBlue);
  PlayTriangle(P, QRectF(7, 5.5, 7, 8));
  return Canvas.Take();
}

QPixmap SingleGlyph() {
  TCanvas Canvas(13, 15);
  PlayTriangle(Canvas.Painter, QRectF(1.5, 1.5, 10, 12));
  return Canvas.Take();
}

QPixmap HaltGlyph() {
  TCanvas Canvas(16, 16);
  Canvas.Painter.setPen(QPen(QColor(128, 0, 0), 1));
  Canvas.Painter.setBrush(Qt::red);
  Canvas.Painter.drawRect(QRectF(3.5, 2.5, 3, 11));
  Canvas.Painter.drawRect(QRectF(9.5, 2.5, 3, 11));
  return Canvas.Take();
}

QPixmap ArrowGlyph(TArrowGlyph Glyph) {
  TCanvas Canvas(9, 9);
  const bool Two = Glyph == TArrowGlyph::TwoLeft || Glyph == TArrowGlyph::TwoRight;
  const bool Left = Glyph == TArrowGlyph::TwoLeft || Glyph == TArrowGlyph::OneLeft;
  const QColor Colour = Two ? QColor(Qt::red) : QColor(Qt::magenta);
  const std::vector<double> Tips = Two ? std::vector<double>{0.5, 4.5} : std::vector<double>{2.5};
  for (const double Tip : Tips) {
    const double Base = Tip + 4;
    if (Left) {
      Triangle(Canvas.Painter, QPointF(Tip, 4.5), QPointF(Base, 0.5), QPointF(Base, 8.5), Colour,
               Qt::transparent);
    } else {
      Triangle(Canvas.Painter, QPointF(9 - Tip, 4.5), QPointF(9 - Base, 0.5),
               QPointF(9 - Base, 8.5), Colour, Qt::transparent);
    }
  }
  return Canvas.Take();
}

QPixmap AllGlyph() {
  TCanvas Canvas(13, 13);
  Disc(Canvas.Painter, QRectF(0.5, 0.5, 12, 12), QColor(120, 140, 170), QColor(60, 70, 90));
  Canvas.Painter.setPen(QPen(QColor(20, 20, 40), 1.8));
  Canvas.Painter.drawPolyline(QPolygonF({QPointF(3.5, 6.5), QPointF(5.5, 9), QPointF(9.5, 3.5)}));
  return Canvas.Take();
}

QPixmap NoneGlyph() {
  TCanvas Canvas(13, 13);
  Disc(Canvas.Painter, QRectF(0.5, 0.5, 12, 12), QColor(120, 140, 170), QColor(60, 70, 90));
  return Canvas.Take();
}

QPixmap MarkerGlyph() {
  TCanvas Canvas(19, 17);
  QPainter& P = Canvas.Painter;
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(0, 128, 0));
  P.drawRect(QRectF(1, 1, 2, 15));
  P.drawRect(QRectF(16, 1, 2, 15));
  P.setPen(QPen(Qt::red, 1));
  P.drawLine(QPointF(4, 8.5), QPointF(15, 8.5));
  Triangle(P, QPointF(3.5, 8.5), QPointF(7, 5.5), QPointF(7, 11.5), Qt::red, Qt::transparent);
  Triangle(P, QPointF(15.5, 8.5), QPointF(12, 5.5), QPointF(12, 11.5), Qt::red, Qt::transparent);
  return Canvas.Take();
}

QPixmap TriggerModePicture(int Mode) {
  QPixmap Pixmap(30, 20);
  Pixmap.fill(Qt::transparent);
  QPainter P(&Pixmap);
  // A 28 x 18 black picture with a blue border, centred in the control.
  P.fillRect(1, 1, 28, 18, Qt::black);
  P.setPen(QColor(0, 0, 255));
  P.drawRect(1, 1, 27, 17);
  const QColor Green(0, 220, 0);
  switch (Mode) {
    case 0:  // no trigger: a red cross
      P.setPen(QPen(Qt::red, 2));
      P.drawLine(9, 5, 21, 15);
      P.drawLine(21, 5, 9, 15);
      break;
    case 1:  // equal to the pattern
      P.fillRect(8, 6, 14, 2, Green);
      P.fillRect(8, 12, 14, 2, Green);
      break;
    case 2:  // high level: a positive pulse, its high part red
      P.setPen(Green);
      P.drawLine(4, 14, 10, 14);
      P.drawLine(10, 14, 10, 5);
      P.drawLine(20, 5, 20, 14);
      P.drawLine(20, 14, 26, 14);
      P.setPen(Qt::red);
      P.drawLine(11, 5, 19, 5);
      break;
    case 3:  // low level: a negative pulse, its low part red
      P.setPen(Green);
      P.drawLine(4, 5, 10, 5);
      P.drawLine(10, 5, 10, 14);
      P.drawLine(20, 14, 20, 5);
      P.drawLine(20, 5, 26, 5);
      P.setPen(Qt::red);
      P.drawLine(11, 14, 19, 14);
      break;
    default:
      break;
  }
  return Pixmap;
}

QPixmap Lamp(bool Lit) {
  TCanvas Canvas(16, 16);
  const QColor Fill = Lit ? QColor(255, 230, 0) : QColor(150, 150, 150);
  Disc(Canvas.Painter, QRectF(1.5, 1.5, 13, 13), Fill, QColor(80, 80, 80));
  return Canvas.Take();
}

}  // namespace Artwork
