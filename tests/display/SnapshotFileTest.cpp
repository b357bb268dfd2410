// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/SnapshotFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <utility>

#include "PictureTestHelpers.h"
#include "display/TraceRenderer.h"

namespace {

std::uint32_t Uint32At(const QByteArray& Bytes, int At) {
  std::uint32_t Value = 0;
  for (int I = 3; I >= 0; --I) {
    Value = (Value << 8) | static_cast<std::uint8_t>(Bytes[At + I]);
  }
  return Value;
}

std::uint16_t Uint16At(const QByteArray& Bytes, int At) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(Bytes[At]) |
                                    (static_cast<std::uint8_t>(Bytes[At + 1]) << 8));
}

QByteArray ReadAll(const QString& Path) {
  QFile File(Path);
  if (!File.open(QIODevice::ReadOnly)) {
    return {};
  }
  return File.readAll();
}

void WriteAll(const QString& Path, const QByteArray& Bytes) {
  QFile File(Path);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  ASSERT_EQ(File.write(Bytes), Bytes.size());
}

/// A drawn trace picture with some colours off the palette as well.
QImage SamplePicture() {
  TTraceRenderer Renderer;
  QImage Visible;
  TScreenState State;
  State.TriggerMode = TTriggerMode::InternalEqual;
  State.PatternBoxes[2] = true;
  Renderer.RedrawScreen(State, Visible, QDateTime(QDate(2025, 12, 31), QTime(12, 0, 0)));
  for (int N = 1; N <= 450; ++N) {
    Renderer.DrawSample(1, N, static_cast<std::uint8_t>(N * 7), true);
    Renderer.DrawSample(2, N, static_cast<std::uint8_t>(N ^ 0x5A), true);
  }
  Renderer.PresentScreen(Visible);
  for (int X = 0; X < 256; ++X) {
    Visible.setPixel(X + 300, 510, qRgb(X, 255 - X, (X * 3) & 0xFF));
  }
  return Visible;
}

/// Files in Folder other than Keep.
QStringList OtherFiles(const QString& Folder, const QString& Keep) {
  QStringList Names = QDir(Folder).entryList(QDir::Files | QDir::Hidden);
  Names.removeAll(Keep);
  return Names;
}

TEST(BmpEncoding, HeadersOfA24BitBottomUpPicture) {
  const QByteArray Bytes = EncodeBmp24(SamplePicture());
  ASSERT_EQ(Bytes.size(), 54 + 940 * 3 * 520);
  EXPECT_EQ(Bytes.left(2), QByteArray("BM"));
  EXPECT_EQ(Uint32At(Bytes, 2), 1466454u);  // file size
  EXPECT_EQ(Uint32At(Bytes, 6), 0u);        // reserved
  EXPECT_EQ(Uint32At(Bytes, 10), 54u);      // pixel offset
  EXPECT_EQ(Uint32At(Bytes, 14), 40u);      // information header size
  EXPECT_EQ(Uint32At(Bytes, 18), 940u);
  EXPECT_EQ(Uint32At(Bytes, 22), 520u);  // positive height: bottom row first
  EXPECT_EQ(Uint16At(Bytes, 26), 1u);    // planes
  EXPECT_EQ(Uint16At(Bytes, 28), 24u);   // bits per pixel
  EXPECT_EQ(Uint32At(Bytes, 30), 0u);    // no compression
  EXPECT_EQ(Uint32At(Bytes, 34), 940u * 3 * 520);
  EXPECT_EQ(Uint32At(Bytes, 46), 0u);  // no palette
}

TEST(BmpEncoding, EveryPixelInBlueGreenRedOrderFromTheBottomRow) {
  const QImage Picture = SamplePicture();
  const QByteArray Bytes = EncodeBmp24(Picture);
  ASSERT_EQ(Bytes.size(), 54 + 940 * 3 * 520);
  for (int Y = 0; Y < 520; ++Y) {
    const int Row = 54 + (519 - Y) * 940 * 3;
    for (int X = 0; X < 940; ++X) {
      const int At = Row + 3 * X;
      const unsigned Stored = static_cast<std::uint8_t>(Bytes[At]) |
                              static_cast<std::uint8_t>(Bytes[At + 1]) << 8 |
                              static_cast<std::uint8_t>(Bytes[At + 2]) << 16;
      ASSERT_EQ(Stored, PixelAt(Picture, X, Y)) << X << "," << Y;
    }
  }
}

TEST(BmpEncoding, RowsArePaddedToFourBytes) {
  QImage Picture(3, 2, QImage::Format_RGB32);
  Picture.fill(ColourWhite);
  Picture.setPixel(0, 0, qRgb(1, 2, 3));     // top left: second row in the file
  Picture.setPixel(2, 1, qRgb(10, 20, 30));  // bottom right: first row
  const QByteArray Bytes = EncodeBmp24(Picture);
  ASSERT_EQ(Bytes.size(), 54 + 2 * 12);
  EXPECT_EQ(Uint32At(Bytes, 34), 24u);
  EXPECT_EQ(Bytes.mid(54, 12), QByteArray::fromHex("ffffff ffffff 1e140a 000000"));
  EXPECT_EQ(Bytes.mid(66, 12), QByteArray::fromHex("030201 ffffff ffffff 000000"));
}

TEST(SnapshotFile, WrittenFileReadsBackAsThePicture) {
  QTemporaryDir Folder;
  ASSERT_TRUE(Folder.isValid());
  const QString ProgramFolder = Folder.path() + QLatin1Char('/');
  const QImage Picture = SamplePicture();
  WriteSnapshotFile(Picture, ProgramFolder);

  const QString Path = ProgramFolder + QStringLiteral("1.bmp");
  EXPECT_EQ(SnapshotFilePath(ProgramFolder), Path);
  EXPECT_EQ(ReadAll(Path), EncodeBmp24(Picture));
  // Another reader agrees on every pixel.
  QImage Loaded(Path, "BMP");
  ASSERT_FALSE(Loaded.isNull());
  EXPECT_EQ(Loaded.size(), QSize(940, 520));
  EXPECT_EQ(Loaded.convertToFormat(QImage::Format_RGB32), Picture);
  EXPECT_TRUE(OtherFiles(Folder.path(), QStringLiteral("1.bmp")).isEmpty());
}

TEST(SnapshotFile, OverwritesTheOldFile) {
  QTemporaryDir Folder;
  const QString Path = Folder.filePath(QStringLiteral("1.bmp"));
  WriteAll(Path, QByteArray(5000000, 'x'));
  QImage Picture(940, 520, QImage::Format_RGB32);
  Picture.fill(ColourBlue);
  WriteBmpFile(Picture, Path);
  EXPECT_EQ(ReadAll(Path), EncodeBmp24(Picture));
}

#ifndef _WIN32
// Read-only folders and file size limits are POSIX faults.
TEST(SnapshotFile, UnwritableFolderReportsTheReasonAndKeepsTheOldFile) {
  QTemporaryDir Folder;
  const QString Path = Folder.filePath(QStringLiteral("1.bmp"));
  const QByteArray Old("old snapshot");
  WriteAll(Path, Old);
  ASSERT_TRUE(QFile::setPermissions(
      Folder.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
  std::string Message;
  std::string Reason;
  {
    TUnprivilegedFiles Unprivileged;
    try {
      WriteBmpFile(SamplePicture(), Path);
    } catch (const TFileWriteError& Error) {
      Message = Error.what();
      Reason = Error.Reason();
      EXPECT_EQ(Error.Path(), Path);
    }
  }
  QFile::setPermissions(Folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // In French whatever the system's language.
  EXPECT_EQ(Reason, "Permission refusée");
  EXPECT_NE(Message.find(QDir::toNativeSeparators(Path).toStdString()), std::string::npos)
      << Message;
  EXPECT_NE(Message.find("Permission refusée"), std::string::npos) << Message;
  EXPECT_EQ(ReadAll(Path), Old);
  EXPECT_TRUE(OtherFiles(Folder.path(), QStringLiteral("1.bmp")).isEmpty());
}

#endif

TEST(SnapshotFile, MissingFolderOrAFolderInItsPlaceReportsTheReasonInFrench) {
  QTemporaryDir Folder;
  const QString Gone = Folder.filePath(QStringLiteral("gone")) + QLatin1Char('/');
  ASSERT_TRUE(QDir(Folder.path()).mkdir(QStringLiteral("1.bmp")));
  const QString Here = Folder.path() + QLatin1Char('/');
  for (const auto& [ProgramFolder, Reason] : {std::pair{Gone, "Aucun fichier ou dossier de ce nom"},
                                              std::pair{Here, "C'est un dossier"}}) {
    try {
      WriteSnapshotFile(SamplePicture(), ProgramFolder);
      ADD_FAILURE() << "no error";
    } catch (const TFileWriteError& Error) {
      EXPECT_EQ(Error.Reason(), Reason);
      EXPECT_EQ(Error.Path(), ProgramFolder + QStringLiteral("1.bmp"));
    }
  }
}

#ifndef _WIN32
/// Limits the size of files this process may write, ignoring the signal.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Saved);
    PreviousHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit Limited = Saved;
    Limited.rlim_cur = Bytes;
    ::setrlimit(RLIMIT_FSIZE, &Limited);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Saved);
    ::signal(SIGXFSZ, PreviousHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit Saved{};
  sighandler_t PreviousHandler;
};

TEST(SnapshotFile, WriteCutShortLeavesTheOldFileWhole) {
  QTemporaryDir Folder;
  const QString Path = Folder.filePath(QStringLiteral("1.bmp"));
  const QByteArray Old = EncodeBmp24(QImage(940, 520, QImage::Format_RGB32));
  WriteAll(Path, Old);
  std::string Reason;
  {
    TFileSizeLimit Limit(100000);
    try {
      WriteBmpFile(SamplePicture(), Path);
    } catch (const TFileWriteError& Error) {
      Reason = Error.Reason();
    }
  }
  EXPECT_EQ(Reason, "Fichier trop volumineux");
  EXPECT_EQ(ReadAll(Path), Old);
  EXPECT_TRUE(OtherFiles(Folder.path(), QStringLiteral("1.bmp")).isEmpty());
}

#endif

}  // namespace
