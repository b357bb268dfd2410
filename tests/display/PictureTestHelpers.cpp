// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTestHelpers.h"

#include "display/PixelCanvas.h"

unsigned PixelAt(const QImage& Image, int X, int Y) {
  if (!Image.valid(X, Y)) {
    return 0x1000000;
  }
  return Image.pixel(X, Y) & 0xFFFFFF;
}

std::vector<std::string> InkRows(const QImage& Image, int Left, int Top, int Width, int Height,
                                 TRgb Colour) {
  std::vector<std::string> Rows;
  for (int Y = Top; Y < Top + Height; ++Y) {
    std::string Row;
    for (int X = Left; X < Left + Width; ++X) {
      Row += PixelAt(Image, X, Y) == (Colour & 0xFFFFFF) ? '#' : '.';
    }
    Rows.push_back(Row);
  }
  return Rows;
}

int CountPixels(const QImage& Image, TRgb Colour) {
  int Count = 0;
  for (int Y = 0; Y < Image.height(); ++Y) {
    for (int X = 0; X < Image.width(); ++X) {
      Count += PixelAt(Image, X, Y) == (Colour & 0xFFFFFF) ? 1 : 0;
    }
  }
  return Count;
}

QImage TextAlone(const QString& Text, TRgb Colour) {
  QImage Image(TPixelCanvas::TextWidth(Text), TextHeight, QImage::Format_RGB32);
  Image.fill(ColourWhite);
  TPixelCanvas Canvas(Image);
  Canvas.SetFontColour(Colour);
  Canvas.TextOut({0, 0}, Text);
  return Image;
}

bool ShowsTextAt(const QImage& Image, TPixelPoint At, const QString& Text, TRgb Colour) {
  const QImage Expected = TextAlone(Text, Colour);
  return Image.copy(At.X, At.Y, Expected.width(), Expected.height()) == Expected;
}

bool ShowsDashedColumn(const QImage& Picture, const QImage& Under, int X, TRgb Colour) {
  // From the frame line above the grid to the one below; the texts above and
  // below may cross the column and are looked at by themselves.
  for (int Y = GridTop - 1; Y <= GridBottom + 1; ++Y) {
    const bool Dash = Y >= GridTop && Y < GridBottom && (Y - GridTop) % (DashOn + DashOff) < DashOn;
    const unsigned Expected = Dash ? (Colour & 0xFFFFFF) : PixelAt(Under, X, Y);
    if (PixelAt(Picture, X, Y) != Expected) {
      return false;
    }
  }
  return true;
}
