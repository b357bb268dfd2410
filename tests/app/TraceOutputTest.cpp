// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TraceOutput.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "display/SnapshotFile.h"

namespace {

// ---- Proposed name of a saved trace ----

struct TNameCase {
  const char* Label;
  QDateTime When;
  const char* Name;
};

void PrintTo(const TNameCase& Case, std::ostream* Out) {
  *Out << Case.Label;
}

class ProposedName : public testing::TestWithParam<TNameCase> {};

TEST_P(ProposedName, FollowsTheClockStamp) {
  EXPECT_EQ(ProposedTraceName(MakeClockStamp(GetParam().When)), QString::fromUtf8(GetParam().Name));
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ProposedName,
    testing::Values(
        TNameCase{
            "OneDigitDayMonthHour", {QDate(2026, 3, 1), QTime(9, 7, 5)}, "Trace_1_3_2026__9_07_05"},
        TNameCase{"LastSecondOfTheYear",
                  {QDate(2026, 12, 31), QTime(23, 59, 59)},
                  "Trace_31_12_2026__23_59_59"},
        TNameCase{"EarlyMorning", {QDate(2026, 12, 8), QTime(4, 5, 9)}, "Trace_8_12_2026__4_05_09"},
        TNameCase{"Midnight", {QDate(2027, 1, 1), QTime(0, 0, 0)}, "Trace_1_1_2027__0_00_00"},
        TNameCase{"TenMinutesTenSeconds",
                  {QDate(2026, 10, 10), QTime(10, 10, 10, 999)},
                  "Trace_10_10_2026__10_10_10"}),
    [](const testing::TestParamInfo<TNameCase>& Info) { return std::string(Info.param.Label); });

// ---- Extension of a chosen name ----

class BmpExtension : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(BmpExtension, IsAddedOnlyToANameWithoutOne) {
  EXPECT_EQ(WithBmpExtension(QString::fromUtf8(GetParam().first)),
            QString::fromUtf8(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(Names, BmpExtension,
                         testing::Values(std::pair{"/tmp/Trace_1_3_2026__9_07_05",
                                                   "/tmp/Trace_1_3_2026__9_07_05.bmp"},
                                         std::pair{"/tmp/essai.bmp", "/tmp/essai.bmp"},
                                         std::pair{"/tmp/ESSAI.BMP", "/tmp/ESSAI.BMP"},
                                         std::pair{"/tmp/essai.txt", "/tmp/essai.txt"},
                                         std::pair{"/tmp/v1.2/mesure", "/tmp/v1.2/mesure.bmp"},
                                         std::pair{"/tmp/été/mesure", "/tmp/été/mesure.bmp"}));

// ---- Place of the picture on the printed page ----

struct TPlaceCase {
  const char* Label;
  QSize Printable;
  QRect Expected;
};

void PrintTo(const TPlaceCase& Case, std::ostream* Out) {
  *Out << Case.Label;
}

class PrintPlace : public testing::TestWithParam<TPlaceCase> {};

TEST_P(PrintPlace, KeepsSevenTimesWhereItFitsAndScalesDownElsewhere) {
  EXPECT_EQ(PrintTarget(QSize(940, 520), GetParam().Printable), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PrintPlace,
    testing::Values(
        // 1200 dpi A4 landscape with Qt's default margins.
        TPlaceCase{"A4At1200Dpi", {13699, 9583}, {10, 10, 6580, 3640}},
        // Just room for the picture and the margin on every side.
        TPlaceCase{"ExactFit", {6600, 3660}, {10, 10, 6580, 3640}},
        // One pixel short in width: the width fills the room, the height follows.
        TPlaceCase{"OnePixelNarrow", {6599, 9000}, {10, 10, 6579, 3639}},
        // One pixel short in height: the height fills the room.
        TPlaceCase{"OnePixelLow", {9000, 3659}, {10, 10, 6578, 3639}},
        // 300 dpi A4 landscape: the width limits.
        TPlaceCase{"A4At300Dpi", {3425, 2396}, {10, 10, 3405, 1883}},
        // A wide strip of paper: the height limits.
        TPlaceCase{"WideStrip", {5000, 540}, {10, 10, 940, 520}},
        TPlaceCase{"NoRoomLeft", {20, 3000}, {}}, TPlaceCase{"NothingPrintable", {0, 0}, {}}),
    [](const testing::TestParamInfo<TPlaceCase>& Info) { return std::string(Info.param.Label); });

TEST(PrintPlace, ScaledPictureKeepsItsProportionsAndStaysInsideTheMargin) {
  const QSize Picture(940, 520);
  for (int Width = 200; Width <= 7000; Width += 37) {
    for (int Height : {150, 1000, 2480, 3659, 5100}) {
      const QRect Place = PrintTarget(Picture, QSize(Width, Height));
      ASSERT_FALSE(Place.isEmpty()) << Width << "x" << Height;
      EXPECT_EQ(Place.topLeft(), QPoint(10, 10));
      EXPECT_LE(Place.right() + 1 + 10, Width) << Width << "x" << Height;
      EXPECT_LE(Place.bottom() + 1 + 10, Height) << Width << "x" << Height;
      // Rounded down on one side only: within one pixel of the proportions.
      EXPECT_NEAR(Place.width() * 520.0 / 940.0, Place.height(), 1.0) << Width << "x" << Height;
      // Never larger than seven times, and filling the room on one side.
      EXPECT_LE(Place.width(), 6580);
      EXPECT_TRUE(Place.width() == 6580 || Place.width() == Width - 20 ||
                  Place.height() == Height - 20)
          << Width << "x" << Height;
    }
  }
}

TEST(PrintPlace, OtherPictureSizesAndAnEmptyPicture) {
  EXPECT_EQ(PrintTarget(QSize(100, 50), QSize(2000, 2000)), QRect(10, 10, 700, 350));
  EXPECT_EQ(PrintTarget(QSize(100, 50), QSize(420, 2000)), QRect(10, 10, 400, 200));
  EXPECT_TRUE(PrintTarget(QSize(0, 50), QSize(2000, 2000)).isEmpty());
  // A huge picture does not overflow the computation.
  EXPECT_EQ(PrintTarget(QSize(400000000, 200000000), QSize(4020, 4020)), QRect(10, 10, 4000, 2000));
}

// ---- Reading a bitmap back ----

class BitmapFile : public testing::Test {
 protected:
  QString PathOf(const char* Name) const { return Folder.filePath(QString::fromUtf8(Name)); }
  void WriteBytes(const QString& Path, const QByteArray& Bytes) const {
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    ASSERT_EQ(File.write(Bytes), Bytes.size());
  }
  static std::string MessageOf(const QString& Path) {
    try {
      ReadBitmapFile(Path);
    } catch (const std::runtime_error& Error) {
      return Error.what();
    }
    return "(no error)";
  }
  QTemporaryDir Folder;
};

TEST_F(BitmapFile, ReadsBackWhatTheSnapshotWriterWrote) {
  QImage Picture(940, 520, QImage::Format_RGB32);
  for (int Y = 0; Y < 520; ++Y) {
    for (int X = 0; X < 940; ++X) {
      Picture.setPixel(X, Y, qRgb(X % 256, Y % 256, (X * Y) % 256));
    }
  }
  WriteBmpFile(Picture, PathOf("1.bmp"));
  EXPECT_EQ(ReadBitmapFile(PathOf("1.bmp")).convertToFormat(QImage::Format_RGB32), Picture);
}

TEST_F(BitmapFile, MissingFileNamesThePathAndTheSystemsReason) {
  const QString Path = PathOf("1.bmp");
  const std::string Message = MessageOf(Path);
  EXPECT_NE(Message.find(QDir::toNativeSeparators(Path).toStdString()), std::string::npos)
      << Message;
  // In French whatever the system's language.
  EXPECT_NE(Message.find(". Aucun fichier ou dossier de ce nom"), std::string::npos) << Message;
  ASSERT_TRUE(QDir().mkdir(Path));
  const std::string Folder = MessageOf(Path);
  EXPECT_NE(Folder.find(". C'est un dossier"), std::string::npos) << Folder;
}

TEST_F(BitmapFile, FilesThatAreNoBitmapsAreRefused) {
  QImage Picture(940, 520, QImage::Format_RGB32);
  Picture.fill(Qt::blue);
  const QByteArray Whole = EncodeBmp24(Picture);
  const std::pair<const char*, QByteArray> Cases[] = {
      {"empty.bmp", QByteArray()},
      {"text.bmp", QByteArray("parametres\r\n")},
      {"header-only.bmp", Whole.left(54)},
      {"half-header.bmp", Whole.left(20)},
  };
  for (const auto& [Name, Bytes] : Cases) {
    WriteBytes(PathOf(Name), Bytes);
    const std::string Message = MessageOf(PathOf(Name));
    EXPECT_NE(Message.find("n'est pas une image bitmap valide"), std::string::npos)
        << Name << ": " << Message;
  }
}

TEST_F(BitmapFile, AFolderInPlaceOfTheFileIsReported) {
  ASSERT_TRUE(QDir(Folder.path()).mkdir(QStringLiteral("1.bmp")));
  EXPECT_NE(MessageOf(PathOf("1.bmp")), "(no error)");
}

TEST_F(BitmapFile, AHugeFileIsNotRead) {
  QFile File(PathOf("1.bmp"));
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  ASSERT_TRUE(File.resize(qint64{65} * 1024 * 1024));  // sparse
  File.close();
  EXPECT_NE(MessageOf(PathOf("1.bmp")).find("trop grand"), std::string::npos);
}

}  // namespace
