// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/PixelCanvas.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPair>
#include <algorithm>
#include <cstdlib>

#include "display/PictureFont.h"

namespace {

// Pixel size of DejaVu Sans whose cell (ascent + descent) is TextHeight high.
constexpr int TextPixelSize = 10;

struct TTextFont {
  QFont Font;
  int Ascent;
};

const TTextFont& SharedTextFont() {
  // Built once, after the application object exists, and kept to the end of
  // the process: fonts must not outlive the font database's teardown order.
  static const TTextFont* const Shared = [] {
    QFont Font(PictureFontFamily());
    Font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
    Font.setHintingPreference(QFont::PreferFullHinting);
    Font.setPixelSize(TextPixelSize);
    Font.setWeight(QFont::Normal);
    return new TTextFont{Font, QFontMetrics(Font).ascent()};
  }();
  return *Shared;
}

// The same few texts (labels, status texts, the clock in two places) are
// written over and over; each is rendered once per colour and then copied.
// Drawing runs on the user-interface thread only.
const QImage& TextBox(const QString& Text, TRgb Colour) {
  constexpr qsizetype MaxCachedTexts = 256;
  static auto* const Cache = new QHash<QPair<QString, TRgb>, QImage>();
  const QPair<QString, TRgb> Key(Text, Colour);
  if (const auto Found = Cache->constFind(Key); Found != Cache->constEnd()) {
    return *Found;
  }
  if (Cache->size() >= MaxCachedTexts) {
    Cache->clear();
  }
  const TTextFont& Font = SharedTextFont();
  QImage Box(std::max(QFontMetrics(Font.Font).horizontalAdvance(Text), 1), TextHeight,
             QImage::Format_RGB32);
  Box.fill(ColourWhite);
  {
    QPainter Painter(&Box);
    Painter.setRenderHint(QPainter::TextAntialiasing, false);
    Painter.setFont(Font.Font);
    Painter.setPen(QColor::fromRgb(Colour));
    Painter.drawText(0, Font.Ascent, Text);
  }
  return *Cache->insert(Key, Box);
}

}  // namespace

TPixelCanvas::TPixelCanvas(QImage& Target) : Image(&Target) {
  if (!Image->isNull() && Image->format() != QImage::Format_RGB32 &&
      Image->format() != QImage::Format_ARGB32) {
    Image->convertTo(QImage::Format_RGB32);
  }
  if (!Image->isNull()) {
    Pixels = reinterpret_cast<TRgb*>(Image->bits());  // detaches a shared image once
    Stride = Image->bytesPerLine() / static_cast<qsizetype>(sizeof(TRgb));
    Width = Image->width();
    Height = Image->height();
  }
}

void TPixelCanvas::SetPen(TRgb NewColour, TPenStyle NewStyle) {
  Colour = NewColour;
  Style = NewStyle;
}

void TPixelCanvas::MoveTo(int X, int Y) {
  Position = {X, Y};
}

void TPixelCanvas::Line(const TPixelLine& Line) {
  MoveTo(Line.From.X, Line.From.Y);
  LineTo(Line.To.X, Line.To.Y);
}

void TPixelCanvas::LineTo(int X, int Y) {
  const TPixelPoint From = Position;
  Position = {X, Y};
  const int Dx = X - From.X;
  const int Dy = Y - From.Y;
  const int Steps = std::max(std::abs(Dx), std::abs(Dy));
  if (Steps == 0) {
    return;
  }
  if (Style == TPenStyle::Solid && Dy == 0) {
    if (Dx > 0) {
      HorizontalRun(Y, From.X, X - 1);
    } else {
      HorizontalRun(Y, X + 1, From.X);
    }
    return;
  }
  if (Style == TPenStyle::Solid && Dx == 0) {
    if (Dy > 0) {
      VerticalRun(X, From.Y, Y - 1);
    } else {
      VerticalRun(X, Y + 1, From.Y);
    }
    return;
  }
  // One pixel per step along the longer axis. The offset on the shorter axis
  // is rounded on its magnitude, so a line and its mirror image get mirrored
  // pixels (the two strokes of an arrow head come out symmetric).
  const bool AlongX = std::abs(Dx) >= std::abs(Dy);
  const int Minor = AlongX ? Dy : Dx;
  const int MinorSign = Minor < 0 ? -1 : 1;
  const long long MinorLength = std::abs(Minor);
  const int MajorSign = (AlongX ? Dx : Dy) < 0 ? -1 : 1;
  for (int I = 0; I < Steps; ++I) {
    if (Style == TPenStyle::Dashed && I % (DashOn + DashOff) >= DashOn) {
      continue;
    }
    const int Offset = static_cast<int>((2 * MinorLength * I + Steps) / (2LL * Steps)) * MinorSign;
    if (AlongX) {
      Plot(From.X + I * MajorSign, From.Y + Offset);
    } else {
      Plot(From.X + Offset, From.Y + I * MajorSign);
    }
  }
}

void TPixelCanvas::Plot(int X, int Y) {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) {
    return;
  }
  Pixels[Stride * Y + X] = Colour;
}

void TPixelCanvas::HorizontalRun(int Y, int FromX, int ToX) {
  if (Y < 0 || Y >= Height) {
    return;
  }
  FromX = std::max(FromX, 0);
  ToX = std::min(ToX, Width - 1);
  if (FromX > ToX) {
    return;
  }
  TRgb* Row = Pixels + Stride * Y;
  std::fill(Row + FromX, Row + ToX + 1, Colour);
}

void TPixelCanvas::VerticalRun(int X, int FromY, int ToY) {
  if (X < 0 || X >= Width) {
    return;
  }
  FromY = std::max(FromY, 0);
  ToY = std::min(ToY, Height - 1);
  for (TRgb* Pixel = Pixels + Stride * FromY + X; FromY <= ToY; ++FromY, Pixel += Stride) {
    *Pixel = Colour;
  }
}

QRect TPixelCanvas::TextOut(TPixelPoint At, const QString& Text) {
  if (Text.isEmpty() || Pixels == nullptr) {
    return {};
  }
  const QImage& Box = TextBox(Text, FontColour);
  const int FromX = std::max(At.X, 0);
  const int ToX = std::min(At.X + Box.width(), Width);  // excluded
  const int FromY = std::max(At.Y, 0);
  const int ToY = std::min(At.Y + Box.height(), Height);  // excluded
  if (FromX >= ToX || FromY >= ToY) {
    return {};
  }
  for (int Y = FromY; Y < ToY; ++Y) {
    const auto* Source = reinterpret_cast<const TRgb*>(Box.constScanLine(Y - At.Y));
    std::copy(Source + (FromX - At.X), Source + (ToX - At.X), Pixels + Stride * Y + FromX);
  }
  return QRect(QPoint(FromX, FromY), QPoint(ToX - 1, ToY - 1));
}

const QFont& TPixelCanvas::TextFont() {
  return SharedTextFont().Font;
}

int TPixelCanvas::TextWidth(const QString& Text) {
  return QFontMetrics(SharedTextFont().Font).horizontalAdvance(Text);
}
