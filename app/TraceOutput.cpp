// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TraceOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <stdexcept>
#include <string>

#include "display/SystemFileName.h"
#include "link/SystemFiles.h"

namespace {

// Far above the 1.4 MB of a 940 x 520 bitmap; a larger file is not one of
// ours and is not read into memory.
constexpr qint64 LargestBitmapFile = 64 * 1024 * 1024;

QString TwoDigits(int Value) {
  return QStringLiteral("%1").arg(Value, 2, 10, QLatin1Char('0'));
}

[[noreturn]] void Fail(const QString& Message) {
  throw std::runtime_error(Message.toStdString());
}

}  // namespace

QString ProposedTraceName(const TClockStamp& Stamp) {
  return QStringLiteral("Trace_") + QString::number(Stamp.Day) + QLatin1Char('_') +
         QString::number(Stamp.Month) + QLatin1Char('_') + QString::number(Stamp.Year) +
         QStringLiteral("__") + QString::number(Stamp.Hour) + QLatin1Char('_') +
         TwoDigits(Stamp.Minute) + QLatin1Char('_') + TwoDigits(Stamp.Second);
}

QString WithBmpExtension(const QString& Path) {
  const QString FileName = QFileInfo(Path).fileName();
  if (FileName.isEmpty() || FileName.contains(QLatin1Char('.'))) {
    return Path;
  }
  return Path + QStringLiteral(".bmp");
}

QRect PrintTarget(QSize Picture, QSize Printable) {
  if (Picture.isEmpty()) {
    return {};
  }
  const qint64 Room = 2 * PrintMargin;
  const qint64 FixedWidth = qint64{PrintScale} * Picture.width();
  const qint64 FixedHeight = qint64{PrintScale} * Picture.height();
  if (FixedWidth + Room <= Printable.width() && FixedHeight + Room <= Printable.height()) {
    return {PrintMargin, PrintMargin, static_cast<int>(FixedWidth), static_cast<int>(FixedHeight)};
  }
  const qint64 RoomWidth = Printable.width() - Room;
  const qint64 RoomHeight = Printable.height() - Room;
  if (RoomWidth <= 0 || RoomHeight <= 0) {
    return {};
  }
  // The side that limits the scale fills its room; the other follows the
  // picture's proportions, rounded down so that it stays inside.
  int Width = 0;
  int Height = 0;
  if (RoomWidth * Picture.height() <= RoomHeight * Picture.width()) {
    Width = static_cast<int>(RoomWidth);
    Height = static_cast<int>(RoomWidth * Picture.height() / Picture.width());
  } else {
    Height = static_cast<int>(RoomHeight);
    Width = static_cast<int>(RoomHeight * Picture.width() / Picture.height());
  }
  if (Width <= 0 || Height <= 0) {
    return {};
  }
  return {PrintMargin, PrintMargin, Width, Height};
}

QImage ReadBitmapFile(const QString& Path) {
  std::string Reason;
  const auto File = TPlainFileReader::Open(SystemFileName(Path), &Reason);
  if (!File) {
    Fail(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
             .arg(QDir::toNativeSeparators(Path), QString::fromStdString(Reason)));
  }
  // Read in pieces up to one byte beyond the limit, which tells a file too
  // large from one at the limit without reading it all.
  QByteArray Bytes;
  char Piece[65536];
  while (Bytes.size() <= LargestBitmapFile) {
    const std::size_t Count = File->Read(Piece, sizeof Piece);
    if (Count == 0) {
      break;
    }
    Bytes.append(Piece, static_cast<qsizetype>(Count));
  }
  if (Bytes.size() > LargestBitmapFile) {
    Fail(QStringLiteral("Le fichier \"%1\" est trop grand pour être une trace.")
             .arg(QDir::toNativeSeparators(Path)));
  }
  QImage Picture;
  if (!Picture.loadFromData(Bytes, "BMP")) {
    Fail(QStringLiteral("Le fichier \"%1\" n'est pas une image bitmap valide.")
             .arg(QDir::toNativeSeparators(Path)));
  }
  return Picture;
}

void PrintPicture(QPrinter& Printer, const QImage& Picture) {
  const QRect Printable = Printer.pageLayout().paintRectPixels(Printer.resolution());
  const QRect Target = PrintTarget(Picture.size(), Printable.size());
  if (Target.isEmpty()) {
    Fail(QStringLiteral("La page de l'imprimante est trop petite pour y imprimer la trace."));
  }
  QPainter Painter;
  if (!Painter.begin(&Printer)) {
    Fail(QStringLiteral("Impossible de commencer l'impression sur \"%1\".")
             .arg(Printer.outputFileName().isEmpty() ? Printer.printerName()
                                                     : Printer.outputFileName()));
  }
  // Thin trace lines must not blur: no lossy compression, no smoothing.
  Painter.setRenderHint(QPainter::LosslessImageRendering);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  Painter.drawImage(Target, Picture);
  if (!Painter.end()) {
    Fail(QStringLiteral("L'impression de la trace a échoué."));
  }
}
