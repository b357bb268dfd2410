// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/SnapshotFile.h"

#include <QDir>
#include <cstdint>

#include "display/SystemFileName.h"
#include "link/SystemFiles.h"

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr std::int32_t PixelsPerMetre = 3780;  // 96 dots per inch

void PutUint16(char* At, std::uint16_t Value) {
  At[0] = static_cast<char>(Value & 0xFF);
  At[1] = static_cast<char>(Value >> 8);
}

void PutUint32(char* At, std::uint32_t Value) {
  for (int I = 0; I < 4; ++I) {
    At[I] = static_cast<char>((Value >> (8 * I)) & 0xFF);
  }
}

}  // namespace

TFileWriteError::TFileWriteError(const QString& Path, const std::string& Reason)
    : std::runtime_error("Impossible de créer le fichier \"" +
                         QDir::toNativeSeparators(Path).toStdString() + "\". " + Reason),
      FilePath(Path),
      SystemReason(Reason) {}

QByteArray EncodeBmp24(const QImage& Picture) {
  const QImage Source =
      Picture.format() == QImage::Format_RGB32 || Picture.format() == QImage::Format_ARGB32
          ? Picture
          : Picture.convertToFormat(QImage::Format_RGB32);
  const int Width = Source.width();
  const int Height = Source.height();
  const qsizetype RowSize = (static_cast<qsizetype>(Width) * 3 + 3) / 4 * 4;
  const qsizetype PixelBytes = RowSize * Height;
  const qsizetype Offset = FileHeaderSize + InfoHeaderSize;
  QByteArray Bytes(Offset + PixelBytes, '\0');
  char* Data = Bytes.data();

  Data[0] = 'B';
  Data[1] = 'M';
  PutUint32(Data + 2, static_cast<std::uint32_t>(Bytes.size()));
  PutUint32(Data + 10, static_cast<std::uint32_t>(Offset));
  char* Info = Data + FileHeaderSize;
  PutUint32(Info, InfoHeaderSize);
  PutUint32(Info + 4, static_cast<std::uint32_t>(Width));
  PutUint32(Info + 8, static_cast<std::uint32_t>(Height));  // positive: bottom-up rows
  PutUint16(Info + 12, 1);                                  // planes
  PutUint16(Info + 14, 24);                                 // bits per pixel
  PutUint32(Info + 16, 0);                                  // no compression
  PutUint32(Info + 20, static_cast<std::uint32_t>(PixelBytes));
  PutUint32(Info + 24, PixelsPerMetre);
  PutUint32(Info + 28, PixelsPerMetre);

  for (int Y = 0; Y < Height; ++Y) {
    const auto* Row = reinterpret_cast<const QRgb*>(Source.constScanLine(Y));
    char* Out = Data + Offset + RowSize * (Height - 1 - Y);
    for (int X = 0; X < Width; ++X) {
      *Out++ = static_cast<char>(qBlue(Row[X]));
      *Out++ = static_cast<char>(qGreen(Row[X]));
      *Out++ = static_cast<char>(qRed(Row[X]));
    }
  }
  return Bytes;
}

void WriteBmpFile(const QImage& Picture, const QString& Path) {
  const QByteArray Bytes = EncodeBmp24(Picture);
  std::string Reason;
  if (!ReplaceFile(SystemFileName(Path), Bytes.constData(), static_cast<std::size_t>(Bytes.size()),
                   Reason)) {
    throw TFileWriteError(Path, Reason);
  }
}

QString SnapshotFilePath(const QString& ProgramFolder) {
  return ProgramFolder + QStringLiteral("1.bmp");
}

void WriteSnapshotFile(const QImage& Picture, const QString& ProgramFolder) {
  WriteBmpFile(Picture, SnapshotFilePath(ProgramFolder));
}
