// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel inspection helpers shared by the display suites.
#pragma once

#ifndef _WIN32
#include <sys/fsuid.h>
#include <unistd.h>
#endif

#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "display/TraceGeometry.h"

/// The pixel at (X, Y) without its alpha byte, as 0xRRGGBB; 0x1000000 when
/// the point is outside the image, so it never equals a colour.
unsigned PixelAt(const QImage& Image, int X, int Y);

/// The area Width × Height from (Left, Top) as text rows: '#' where the pixel
/// is Colour, '.' elsewhere.
std::vector<std::string> InkRows(const QImage& Image, int Left, int Top, int Width, int Height,
                                 TRgb Colour);

/// Number of pixels of the image that are Colour.
int CountPixels(const QImage& Image, TRgb Colour);

/// The text box Text would make in Colour, drawn alone on a white picture.
QImage TextAlone(const QString& Text, TRgb Colour);

/// Whether Image shows exactly Text's box in Colour with its top-left at At.
bool ShowsTextAt(const QImage& Image, TPixelPoint At, const QString& Text, TRgb Colour);

/// Whether column X of Picture shows a dashed line in Colour from the grid's
/// top down to (excluding) its bottom, dashes counted from the top, with the
/// pixels of Under in its gaps and on the frame lines just outside it.
bool ShowsDashedColumn(const QImage& Picture, const QImage& Under, int X, TRgb Colour);

#ifndef _WIN32
// Folder permissions stop no write on Windows: these faults are made on
// POSIX systems only.
/// Drops root's right to write anywhere for this thread's file accesses.
class TUnprivilegedFiles {
 public:
  TUnprivilegedFiles() {
    if (::geteuid() == 0) {
      Previous = ::setfsuid(65534);
      Changed = true;
    }
  }
  ~TUnprivilegedFiles() {
    if (Changed) {
      ::setfsuid(static_cast<uid_t>(Previous));
    }
  }
  TUnprivilegedFiles(const TUnprivilegedFiles&) = delete;
  TUnprivilegedFiles& operator=(const TUnprivilegedFiles&) = delete;

 private:
  int Previous = 0;
  bool Changed = false;
};
#endif
