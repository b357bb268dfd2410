// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces that several of the program's pictures draw alike.
#pragma once

#include <QFont>
#include <QRectF>

class QPainter;

namespace Artwork {

/// The pictures' sans font, at a size in pixels.
QFont PictureFont(int PixelSize, bool Bold, bool Italic = false);

/// The analyser: a dark box with its name, a power lamp and 16 probe pins of
/// PinLength pixels under it (red for inputs 1 to 8, blue for 9 to 16).
void DrawAnalyser(QPainter& P, QRectF Box, double PinLength);

}  // namespace Artwork
