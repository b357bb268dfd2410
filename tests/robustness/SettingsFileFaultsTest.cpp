// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up on a settings file the program did not write: garbage, huge,
// unreadable, a folder or a pipe in its place. Start-up always completes, the
// file becomes the 80 lines the window holds (or stays as it was when it
// cannot be replaced, with one clear message), and nothing blocks or reads
// without end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QSlider>
#include <QTemporaryDir>
#include <atomic>
#include <random>
#include <thread>

#include "app/Settings.h"
#include "tests/robustness/FaultRig.h"
#include "tests/support/FormHarness.h"

namespace {
using namespace Robustness;
using Robustness::PrintTo;
using TBoxKind = TFakeEnvironment::TBoxKind;

constexpr std::size_t TenMegabytes = 10U << 20;

// What every start-up leaves, whatever the file was: the waiting window, and
// a settings file of exactly 80 lines that reads back as the window's lines.
void ExpectStartedWithEightyLines(TFormHarness& Harness) {
  const TForm1& Form = *Harness.Form;
  EXPECT_FALSE(Form.Panel3->isHidden());
  EXPECT_FALSE(Form.GroupBox2->isEnabled());
  EXPECT_GE(Form.TrackBar1->value(), 100);
  EXPECT_LE(Form.TrackBar1->value(), 1000);
  EXPECT_EQ(Form.Settings.Line(ProgramFolderLine),
            QFile::encodeName(Harness.ProgramDir.path()).toStdString() + "/");
  const std::string Bytes = Harness.SettingsFileBytes();
  std::size_t Ends = 0;
  for (std::size_t At = Bytes.find("\r\n"); At != std::string::npos;
       At = Bytes.find("\r\n", At + 2)) {
    ++Ends;
  }
  EXPECT_EQ(Ends, static_cast<std::size_t>(SettingsLineCount));
  EXPECT_EQ(Bytes, SerialiseSettings(Form.Settings));
  EXPECT_EQ(ReadSettingsFile(Harness.SettingsFilePath()), Form.Settings);
}

// A window opened and closed first, so that what the toolkit reads once per
// process (fonts, styles) does not count against the settings file.
void WarmUp() {
  TFormHarness Harness;
  Harness.Start();
}

struct TContentCase {
  const char* Name;
  std::string (*Bytes)();
};

class StrangeSettingsFile : public testing::TestWithParam<TContentCase> {};

TEST_P(StrangeSettingsFile, StartUpCompletesWithEightyLinesReadingLittleOfIt) {
  WarmUp();
  TFormHarness Harness;
  const std::string Bytes = GetParam().Bytes();
  Harness.WriteSettingsFile(Bytes);
  const auto ReadBefore = BytesReadByProcess();
  Harness.Start();
  const auto ReadAfter = BytesReadByProcess();

  EXPECT_TRUE(Harness.Environment.Boxes.empty());
  ExpectStartedWithEightyLines(Harness);
  // Never more than a settings file can sensibly hold, however long the
  // file: the lines kept and what is read to find them stay small.
  EXPECT_LE(Harness.SettingsFileBytes().size(), 2U << 20);
  if (ReadBefore && ReadAfter) {
    EXPECT_LT(*ReadAfter - *ReadBefore, 4U << 20) << "bytes read at start-up";
  }
}

std::string Garbage() {
  std::mt19937 Random(7);
  std::string Bytes(1U << 16, '\0');
  for (char& Byte : Bytes) {
    Byte = static_cast<char>(Random());
  }
  return Bytes;
}

std::string GarbageWithoutCtrlZ() {
  std::string Bytes = Garbage();
  std::replace(Bytes.begin(), Bytes.end(), '\x1A', '\x1B');
  return Bytes;
}

std::string TenMegabytesOfLines() {
  std::string Bytes;
  Bytes.reserve(TenMegabytes);
  while (Bytes.size() < TenMegabytes) {
    Bytes += std::string(98, 'x') + "\r\n";
  }
  return Bytes;
}

std::string TenMegabytesOnOneLine() {
  return std::string(TenMegabytes, 'x');
}

std::string TenMegabytesOfNul() {
  return std::string(TenMegabytes, '\0');
}

std::string TenMegabytesOfCarriageReturns() {
  return std::string(TenMegabytes, '\r');
}

std::string HugeNumberOnLineEight() {
  return SettingsBytes({"", "", "", "", "", "1", "", std::string(100000, '9'), "", "1"});
}

INSTANTIATE_TEST_SUITE_P(
    Files, StrangeSettingsFile,
    testing::Values(TContentCase{"BinaryGarbage", Garbage},
                    TContentCase{"BinaryGarbageWithoutCtrlZ", GarbageWithoutCtrlZ},
                    TContentCase{"TenMegabytesOfLines", TenMegabytesOfLines},
                    TContentCase{"TenMegabytesOnOneLine", TenMegabytesOnOneLine},
                    TContentCase{"TenMegabytesOfNul", TenMegabytesOfNul},
                    TContentCase{"TenMegabytesOfCarriageReturns", TenMegabytesOfCarriageReturns},
                    TContentCase{"HugeNumberOnLineEight", HugeNumberOnLineEight}),
    CaseName<testing::TestParamInfo<TContentCase>>);

class SettingsFileRead : public testing::Test {
 protected:
  TSettings Read(const std::string& Bytes) {
    QFile File(Path);
    EXPECT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Bytes.data(), static_cast<qint64>(Bytes.size()));
    File.close();
    return ReadSettingsFile(Path);
  }
  QTemporaryDir Dir;
  QString Path = Dir.filePath(QStringLiteral("parametres.inf"));
};

TEST_F(SettingsFileRead, ALongLineKeepsItsBeginningAndTheNextLinesFollow) {
  const TSettings Settings = Read("a\r\n" + std::string(20000, 'x') + "\r\nc\r\n");
  EXPECT_EQ(Settings.Line(1), "a");
  EXPECT_EQ(Settings.Line(2), std::string(SettingsLineLimit, 'x'));
  EXPECT_EQ(Settings.Line(3), "c");
}

TEST_F(SettingsFileRead, StopsAtTheLimitAsIfTheFileEndedThere) {
  const TSettings Settings = Read(std::string(2 * SettingsFileReadLimit, '\r') + "a\r\nb\r\n");
  EXPECT_EQ(Settings, TSettings{});
}

TEST_F(SettingsFileRead, EveryLineAtItsLimitIsReadWhole) {
  TSettings Longest;
  for (int N = 1; N <= SettingsLineCount; ++N) {
    Longest.Line(N) = std::string(SettingsLineLimit, static_cast<char>('0' + N % 10));
  }
  EXPECT_EQ(Read(SerialiseSettings(Longest)), Longest);
}

TEST(SettingsFileInPlace, AFolderIsReportedOnceAndStartUpCompletes) {
  TFormHarness Harness;
  ASSERT_TRUE(QDir(Harness.ProgramDir.path()).mkdir(QStringLiteral("parametres.inf")));
  TForm1& Form = Harness.Start();
  const auto Errors = Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].startsWith(QStringLiteral("Erreur d'entrée/sortie")))
      << Errors[0].toStdString();
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("parametres.inf"))) << Errors[0].toStdString();
  EXPECT_EQ(Harness.Environment.Boxes.size(), 1U);
  EXPECT_TRUE(QFileInfo(Harness.SettingsFilePath()).isDir());
  EXPECT_FALSE(Form.Panel3->isHidden());
  EXPECT_EQ(Form.Settings.ProgramFolder(),
            QFile::encodeName(Harness.ProgramDir.path()).toStdString() + "/");
  // Only the folder and nothing half written beside it.
  EXPECT_EQ(FolderEntries(Harness.ProgramDir.path()), std::vector<std::string>{"parametres.inf"});
}

TEST(SettingsFileInPlace, AnUnreadableFileReadsAsEmptyAndIsReplaced) {
  TFormHarness Harness;
  Harness.WriteSettingsFile(SettingsBytes({"secret", "", "", "", "", "1", "", "700"}));
  const QByteArray File = QFile::encodeName(Harness.SettingsFilePath());
  ASSERT_EQ(::chmod(File.constData(), 0), 0);
  // The folder itself stays open to the user the test runs as.
  ASSERT_EQ(::chmod(QFile::encodeName(Harness.ProgramDir.path()).constData(), 0777), 0);
  {
    TUnprivilegedThread AsAUser;
    Harness.Start();
  }
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
  ExpectStartedWithEightyLines(Harness);
  EXPECT_EQ(Harness.Form->Settings.Line(1), "");
  EXPECT_EQ(Harness.Form->Settings.PullSetting(), "");
  EXPECT_EQ(Harness.Form->TrackBar1->value(), 100);
  // The new file is one the next start-up can read.
  TUnprivilegedThread AsAUser;
  EXPECT_EQ(ReadSettingsFile(Harness.SettingsFilePath()), Harness.Form->Settings);
}

TEST(SettingsFileInPlace, APipeIsNotWaitedOnAndIsReplacedByAFile) {
  TFormHarness Harness;
  const QByteArray Fifo = QFile::encodeName(Harness.SettingsFilePath());
  ASSERT_EQ(::mkfifo(Fifo.constData(), 0644), 0);
  // Should start-up wait for a writer, this one comes after a while, so the
  // test fails instead of hanging.
  std::atomic<bool> Done{false};
  std::atomic<bool> Released{false};
  std::thread Writer([&] {
    for (int Tick = 0; Tick < 1000 && !Done; ++Tick) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!Done) {
      const int Fd = ::open(Fifo.constData(), O_WRONLY | O_NONBLOCK);
      if (Fd >= 0) {
        Released = true;
        ::close(Fd);
      }
    }
  });
  Harness.Start();
  Done = true;
  Writer.join();
  EXPECT_FALSE(Released) << "start-up waited on the pipe";
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
  EXPECT_TRUE(QFileInfo(Harness.SettingsFilePath()).isFile());
  ExpectStartedWithEightyLines(Harness);
}

}  // namespace
