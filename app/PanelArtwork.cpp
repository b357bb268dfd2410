// SPDX-License-Identifier: GPL-3.0-or-later
// The large pictures: the plug-in panel with its animation, and the start
// prompt.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include "app/Artwork.h"
#include "app/ArtworkParts.h"

namespace Artwork {
namespace {
const QColor Ink(0, 0, 96);
const QColor Cable(40, 40, 40);

// The PC: a monitor on a stand and a tower with two USB ports.
void DrawComputer(QPainter& P, QRectF Screen, QRectF Tower) {
  P.setPen(QPen(Qt::black, 1));
  P.setBrush(QColor(210, 210, 215));
  P.drawRoundedRect(Screen, 4, 4);
  QLinearGradient Glass(Screen.topLeft(), Screen.bottomRight());
  Glass.setColorAt(0, QColor(60, 110, 200));
  Glass.setColorAt(1, QColor(10, 30, 90));
  P.setBrush(Glass);
  P.drawRect(Screen.adjusted(6, 6, -6, -6));
  // A trace on the screen, as the program will show it.
  P.setPen(QPen(QColor(255, 80, 80), 1.5));
  const QRectF Glow = Screen.adjusted(12, 14, -12, -14);
  QPainterPath Trace(QPointF(Glow.left(), Glow.bottom()));
  for (int Edge = 0; Edge < 6; ++Edge) {
    const double X = Glow.left() + Glow.width() * (Edge + 1) / 7;
    const double From = Edge % 2 == 0 ? Glow.bottom() : Glow.top();
    const double To = Edge % 2 == 0 ? Glow.top() : Glow.bottom();
    Trace.lineTo(X, From);
    Trace.lineTo(X, To);
  }
  Trace.lineTo(Glow.right(), Glow.bottom());
  P.setBrush(Qt::NoBrush);
  P.drawPath(Trace);
  P.setPen(QPen(Qt::black, 1));
  P.setBrush(QColor(180, 180, 185));
  P.drawRect(QRectF(Screen.center().x() - 8, Screen.bottom(), 16, 10));
  P.drawRect(QRectF(Screen.center().x() - 30, Screen.bottom() + 10, 60, 5));
  P.setBrush(QColor(200, 200, 205));
  P.drawRoundedRect(Tower, 3, 3);
  P.setBrush(QColor(40, 40, 40));
  for (int Port = 0; Port < 2; ++Port) {
    P.drawRect(QRectF(Tower.left() + 8, Tower.bottom() - 40 + 10 * Port, 14, 5));
  }
}
}  // namespace

QFont PictureFont(int PixelSize, bool Bold, bool Italic) {
  QFont Font;
  Font.setFamilies(
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  Font.setPixelSize(PixelSize);
  Font.setBold(Bold);
  Font.setItalic(Italic);
  return Font;
}

void DrawAnalyser(QPainter& P, QRectF Box, double PinLength) {
  P.setPen(QPen(Qt::black, 1));
  QLinearGradient Shade(Box.topLeft(), Box.bottomLeft());
  Shade.setColorAt(0, QColor(90, 90, 100));
  Shade.setColorAt(1, QColor(40, 40, 48));
  P.setBrush(Shade);
  P.drawRoundedRect(Box, 6, 6);
  P.setFont(PictureFont(15, true));
  P.setPen(Qt::white);
  P.drawText(Box.adjusted(0, 6, 0, -30), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("LA16"));
  P.setFont(PictureFont(9, false));
  P.drawText(Box.adjusted(0, 26, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
             QStringLiteral("16 entrées"));
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(0, 220, 0));
  P.drawEllipse(QPointF(Box.right() - 10, Box.top() + 10), 3, 3);
  const double Step = (Box.width() - 16) / 15;
  for (int Pin = 0; Pin < 16; ++Pin) {
    const double X = Box.left() + 8 + Step * Pin;
    P.setBrush(Pin < 8 ? QColor(220, 0, 0) : QColor(0, 0, 220));
    P.drawRect(QRectF(X - 1.5, Box.bottom(), 3, PinLength));
  }
}

QPixmap PlugInPicture() {
  QPixmap Pixmap(322, 404);
  QPainter P(&Pixmap);
  P.setRenderHint(QPainter::Antialiasing);
  QLinearGradient Sky(0, 0, 0, 404);
  Sky.setColorAt(0, QColor(200, 220, 245));
  Sky.setColorAt(0.55, QColor(245, 248, 255));
  Sky.setColorAt(1, QColor(225, 235, 250));
  P.fillRect(Pixmap.rect(), Sky);

  DrawComputer(P, QRectF(150, 20, 120, 90), QRectF(280, 40, 34, 110));
  const QRectF Analyser(22, 120, 110, 62);
  DrawAnalyser(P, Analyser, 12);
  // The USB cable from the analyser to the tower.
  QPainterPath Wire(QPointF(Analyser.right(), Analyser.center().y()));
  Wire.cubicTo(QPointF(200, 170), QPointF(250, 190), QPointF(286, 120));
  P.setPen(QPen(Cable, 3, Qt::SolidLine, Qt::RoundCap));
  P.setBrush(Qt::NoBrush);
  P.drawPath(Wire);
  P.setPen(QPen(Ink, 1));
  P.setFont(PictureFont(11, true));
  P.drawText(QRectF(150, 196, 150, 20), Qt::AlignCenter, QStringLiteral("USB"));

  // Light bands behind the two texts and the animation.
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(255, 255, 255, 150));
  P.drawRoundedRect(QRectF(8, 232, 306, 44), 8, 8);
  P.drawRoundedRect(QRectF(8, 352, 306, 44), 8, 8);
  return Pixmap;
}

void DrawPlugAnimationFrame(QPainter& P, int Frame) {
  P.setRenderHint(QPainter::Antialiasing);
  P.fillRect(QRectF(0, 0, 235, 67), QColor(235, 242, 252));
  // The socket on the right.
  P.setPen(QPen(Qt::black, 1));
  P.setBrush(QColor(200, 200, 205));
  P.drawRect(QRectF(190, 18, 40, 31));
  P.setBrush(QColor(30, 30, 30));
  P.drawRect(QRectF(190, 26, 14, 15));
  // The plug slides in, stays plugged a moment, then starts again.
  const int Travel = PlugAnimationFrames * 2 / 3;
  const int Step = Frame % PlugAnimationFrames;
  const double Reach = 190 - 30;
  const double PlugX = Step < Travel ? 20 + (Reach - 20) * Step / (Travel - 1) : Reach;
  P.setPen(QPen(Cable, 4, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(0, 33.5), QPointF(PlugX, 33.5));
  P.setPen(QPen(Qt::black, 1));
  P.setBrush(QColor(60, 60, 70));
  P.drawRoundedRect(QRectF(PlugX, 24, 26, 19), 3, 3);
  P.setBrush(QColor(210, 210, 215));
  P.drawRect(QRectF(PlugX + 26, 27, 14, 13));
  if (Step >= Travel) {
    // Plugged: a green light on the socket.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0, 220, 0));
    P.drawEllipse(QPointF(220, 33.5), 4, 4);
  } else {
    P.setPen(QPen(QColor(0, 0, 160), 2));
    const double Arrow = PlugX + 48;
    if (Arrow + 8 < 188) {
      P.drawLine(QPointF(Arrow, 33.5), QPointF(Arrow + 8, 33.5));
      P.drawLine(QPointF(Arrow + 4, 29.5), QPointF(Arrow + 8, 33.5));
      P.drawLine(QPointF(Arrow + 4, 37.5), QPointF(Arrow + 8, 33.5));
    }
  }
}

QPixmap StartPromptPicture() {
  QPixmap Pixmap(325, 143);
  QPainter P(&Pixmap);
  P.setRenderHint(QPainter::Antialiasing);
  QLinearGradient Shade(0, 0, 0, 143);
  Shade.setColorAt(0, QColor(255, 252, 225));
  Shade.setColorAt(1, QColor(245, 230, 170));
  P.fillRect(Pixmap.rect(), Shade);
  // A large loop glyph, the text, and an arrow down to the acquisition group.
  P.drawPixmap(QRectF(18, 22, 76, 76), LoopGlyph(), QRectF(0, 0, 19, 19));
  P.setPen(Ink);
  P.setFont(PictureFont(17, true));
  P.drawText(QRectF(104, 18, 215, 50), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
             QStringLiteral("Lancez l'acquisition"));
  P.setFont(PictureFont(12, false));
  P.drawText(QRectF(104, 62, 215, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
             QStringLiteral("avec un des boutons ci-dessous"));
  P.setPen(QPen(QColor(0, 140, 0), 5, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(162, 104), QPointF(162, 128));
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(0, 140, 0));
  P.drawPolygon(QPolygonF({QPointF(150, 124), QPointF(174, 124), QPointF(162, 140)}));
  return Pixmap;
}

}  // namespace Artwork

void TStillPicture::paintEvent(QPaintEvent* /*Event*/) {
  QPainter Painter(this);
  Painter.drawPixmap(0, 0, pixmap());
}

TPlugAnimation::TPlugAnimation(QWidget* Parent) : QWidget(Parent) {}

void TPlugAnimation::paintEvent(QPaintEvent* /*Event*/) {
  QPainter Painter(this);
  Painter.scale(width() / 235.0, height() / 67.0);
  Artwork::DrawPlugAnimationFrame(Painter, CurrentFrame);
}

void TPlugAnimation::showEvent(QShowEvent* /*Event*/) {
  Timer.start(120, this);
}

void TPlugAnimation::hideEvent(QHideEvent* /*Event*/) {
  Timer.stop();
}

void TPlugAnimation::timerEvent(QTimerEvent* Event) {
  if (Event->timerId() != Timer.timerId()) {
    QWidget::timerEvent(Event);
    return;
  }
  CurrentFrame = (CurrentFrame + 1) % Artwork::PlugAnimationFrames;
  update();
}
