// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing primitives of the trace picture: one-pixel lines that stop before
// their end point, solid or dashed, and text on an opaque white box.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include "display/TraceGeometry.h"

/// Pen styles of the canvas; dashed is DashOn pixels drawn, DashOff skipped,
/// counted from the line's start point.
enum class TPenStyle { Solid, Dashed };

/// A canvas over a 32-bit QImage. It keeps a pen (colour and style), a font
/// colour and a current position like the platform's drawing context did, so
/// drawing code reads as a sequence of pen changes and lines. Pixels outside
/// the image are dropped. A canvas is meant to live for one drawing
/// operation: the image must not be copied, resized or replaced meanwhile.
class TPixelCanvas {
 public:
  /// Draws into Image, which is converted to RGB32 first if it has another format.
  explicit TPixelCanvas(QImage& Image);

  void SetPen(TRgb Colour, TPenStyle Style = TPenStyle::Solid);
  void SetFontColour(TRgb Colour) { FontColour = Colour; }
  TRgb PenColour() const { return Colour; }
  TRgb CurrentFontColour() const { return FontColour; }

  /// Moves the current position without drawing.
  void MoveTo(int X, int Y);

  /// Draws from the current position to (X, Y), excluding (X, Y), which then
  /// becomes the current position.
  void LineTo(int X, int Y);

  /// Draws From .. To, excluding To; To becomes the current position.
  void Line(const TPixelLine& Line);

  /// Writes Text with its top-left corner at At in the font colour, on a white
  /// box TextHeight pixels high and as wide as the text. Returns the pixels
  /// written (the box within the image; empty when nothing was).
  QRect TextOut(TPixelPoint At, const QString& Text);

  /// The text font: an 8-point regular sans serif, TextHeight pixels high,
  /// without anti-aliasing so every text pixel is the font colour or white.
  static const QFont& TextFont();

  /// Width in pixels of the box TextOut draws for Text.
  static int TextWidth(const QString& Text);

 private:
  void Plot(int X, int Y);
  // Solid runs along a row or a column, both ends drawn, clipped to the image.
  void HorizontalRun(int Y, int FromX, int ToX);
  void VerticalRun(int X, int FromY, int ToY);

  QImage* Image;
  TRgb* Pixels = nullptr;
  qsizetype Stride = 0;  // pixels per row in memory
  int Width = 0;
  int Height = 0;
  TRgb Colour = ColourBlack;
  TPenStyle Style = TPenStyle::Solid;
  TRgb FontColour = ColourBlack;
  TPixelPoint Position{0, 0};
};
