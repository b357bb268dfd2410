// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the trace picture to disk as a 24-bit Windows bitmap, atomically.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <stdexcept>
#include <string>

/// A bitmap file that could not be written. what() is the message for the
/// error box: the file's path and the system's reason.
class TFileWriteError : public std::runtime_error {
 public:
  TFileWriteError(const QString& Path, const std::string& Reason);
  const QString& Path() const { return FilePath; }
  const std::string& Reason() const { return SystemReason; }

 private:
  QString FilePath;
  std::string SystemReason;
};

/// The picture as a BMP file: file header, 40-byte information header and
/// uncompressed 24-bit rows, bottom row first, each padded to 4 bytes.
QByteArray EncodeBmp24(const QImage& Picture);

/// Writes Picture as a 24-bit BMP file at Path, completely or not at all: the
/// bytes go to a temporary file in the same folder that then replaces Path.
/// On failure the file at Path is untouched and TFileWriteError is thrown.
void WriteBmpFile(const QImage& Picture, const QString& Path);

/// Path of the snapshot file: ProgramFolder (ending with a separator) + "1.bmp".
QString SnapshotFilePath(const QString& ProgramFolder);

/// Writes Picture to the snapshot file of ProgramFolder; throws TFileWriteError.
void WriteSnapshotFile(const QImage& Picture, const QString& ProgramFolder);
