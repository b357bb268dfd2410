// SPDX-License-Identifier: GPL-3.0-or-later
// The trace picture on its way out: the name proposed for a saved trace, the
// extension of a chosen name, the snapshot read back for printing and its
// place on the printed page.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include "display/ClockStamp.h"

class QPrinter;

/// "Trace_" day "_" month "_" year "__" hour "_" minute "_" second: numbers
/// without leading zeros, but minute and second always on two digits.
QString ProposedTraceName(const TClockStamp& Stamp);

/// Path with ".bmp" added when its file name has no extension, as the save
/// dialog does with a name typed without one.
QString WithBmpExtension(const QString& Path);

/// Printer pixels from the edge of the printable area to the picture.
inline constexpr int PrintMargin = 10;
/// Printer pixels per picture pixel when the page is large enough.
inline constexpr int PrintScale = 7;

/// Where a picture of size Picture goes on a printable area of size
/// Printable, in printer pixels from its top-left corner: 7 printer pixels
/// per picture pixel from a 10-pixel margin wherever that fits with the
/// margin kept on every side; otherwise the largest rectangle of the
/// picture's proportions that does. Empty when the area is too small to hold
/// anything, or the picture is empty.
QRect PrintTarget(QSize Picture, QSize Printable);

/// The bitmap file at Path. Throws std::runtime_error with the message for
/// the error box (the path and the system's reason) when it cannot be opened,
/// is larger than any picture of ours, or is not a readable bitmap.
QImage ReadBitmapFile(const QString& Path);

/// One page on Printer with Picture placed by PrintTarget. Throws
/// std::runtime_error when the page is too small or the job cannot start.
void PrintPicture(QPrinter& Printer, const QImage& Picture);
