// SPDX-License-Identifier: GPL-3.0-or-later
// Reads back what the program's printing wrote to a PDF printer: the pages,
// their size, and every picture drawn with the place it was drawn at. Made
// for Qt's PDF writer, whose page content begins with the matrix from
// printer pixels to points, so the matrices after it give printer pixels.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

struct TPdfPicture {
  /// Where the picture lies, in printer pixels from the printable area's
  /// top-left corner.
  QRectF Place;
  /// The picture's pixels as stored in the file.
  QImage Pixels;
};

struct TPdfPages {
  int PageCount = 0;
  /// Size of the first page in points.
  QSizeF PageSize;
  /// Pictures of the first page, in drawing order.
  std::vector<TPdfPicture> Pictures;
};

/// Reads the PDF file at Path; throws std::runtime_error when it is not one
/// this reader understands.
TPdfPages ReadPdfPages(const QString& Path);
