// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <tuple>

#include "app/Settings.h"

namespace {
std::string FileBytes(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

void PutFile(const QString& Path, const std::string& Bytes) {
  QFile File(Path);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  File.write(Bytes.data(), static_cast<qint64>(Bytes.size()));
}

class SettingsFile : public testing::Test {
 protected:
  QString PathOf(const QString& Name) const { return Dir.path() + QStringLiteral("/") + Name; }
  QTemporaryDir Dir;
};

TEST_F(SettingsFile, MissingFileReadsAsEightyEmptyLines) {
  EXPECT_EQ(ReadSettingsFile(PathOf(QStringLiteral("parametres.inf"))), TSettings{});
}

TEST_F(SettingsFile, FolderInPlaceOfTheFileReadsAsEmpty) {
  ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("parametres.inf")));
  EXPECT_EQ(ReadSettingsFile(PathOf(QStringLiteral("parametres.inf"))), TSettings{});
}

TEST_F(SettingsFile, ReadsWhatTheFileHolds) {
  PutFile(PathOf(QStringLiteral("parametres.inf")), "a\nb\r\nc");
  const TSettings Settings = ReadSettingsFile(PathOf(QStringLiteral("parametres.inf")));
  EXPECT_EQ(Settings.Line(1), "a");
  EXPECT_EQ(Settings.Line(2), "b");
  EXPECT_EQ(Settings.Line(3), "c");
  EXPECT_EQ(Settings.Line(4), "");
}

TEST_F(SettingsFile, WritesTheEightyLinesByteForByte) {
  TSettings Settings;
  Settings.Line(1) = "comment \xE9";
  Settings.PcSpeedSetting() = "300";
  const QString Path = PathOf(QStringLiteral("parametres.inf"));
  WriteSettingsFile(Path, Settings);
  EXPECT_EQ(FileBytes(Path), SerialiseSettings(Settings));
  EXPECT_EQ(ReadSettingsFile(Path), Settings);
}

TEST_F(SettingsFile, ReplacesTheOldFileWholeAndLeavesNoTemporaryFile) {
  const QString Path = PathOf(QStringLiteral("parametres.inf"));
  PutFile(Path, "old\r\n");
  // A second name for the old file: a rewrite in place would change it too,
  // a complete new file renamed over the old one does not.
  const QString Link = PathOf(QStringLiteral("old-link"));
  std::error_code Error;
  std::filesystem::create_hard_link(Path.toStdU16String(), Link.toStdU16String(), Error);
  ASSERT_FALSE(Error) << Error.message();
  TSettings Settings;
  Settings.Line(1) = "new";
  WriteSettingsFile(Path, Settings);
  EXPECT_EQ(FileBytes(Path), SerialiseSettings(Settings));
  EXPECT_EQ(FileBytes(Link), "old\r\n");
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(SettingsFile, UnwritableFolderThrowsAnInputOutputErrorNamingTheFile) {
  PutFile(PathOf(QStringLiteral("not-a-folder")), "x");
  const QString Path = PathOf(QStringLiteral("not-a-folder/parametres.inf"));
  try {
    WriteSettingsFile(Path, TSettings{});
    FAIL() << "no error";
  } catch (const TSettingsWriteError& Error) {
    const QString Message = QString::fromUtf8(Error.what());
    EXPECT_TRUE(Message.startsWith(QStringLiteral("Erreur d'entrée/sortie"))) << Error.what();
    EXPECT_TRUE(Message.contains(QDir::toNativeSeparators(Path))) << Error.what();
    EXPECT_TRUE(Message.endsWith(QStringLiteral("(Aucun fichier ou dossier de ce nom).")))
        << Error.what();
  }
}

// A line the file cannot keep (a folder name with a line break, or the bytes
// the fuzzer first found) is refused before anything is written: the old file
// stays whole instead of reading back with every later line shifted.
class UnwritableSettingsLine
    : public testing::TestWithParam<std::tuple<const char*, int, std::string>> {
 protected:
  QTemporaryDir Dir;
};

TEST_P(UnwritableSettingsLine, IsRefusedAndTheOldFileStays) {
  const auto& [Name, Line, Value] = GetParam();
  const QString Path = Dir.path() + QStringLiteral("/parametres.inf");
  TSettings Old;
  Old.Line(1) = "comment";
  Old.PcSpeedSetting() = "300";
  WriteSettingsFile(Path, Old);
  TSettings New = Old;
  New.Line(Line) = Value;
  try {
    WriteSettingsFile(Path, New);
    FAIL() << "no error";
  } catch (const TSettingsWriteError& Error) {
    EXPECT_TRUE(QString::fromUtf8(Error.what()).contains(QStringLiteral("ligne %1").arg(Line)))
        << Error.what();
  }
  EXPECT_EQ(FileBytes(Path), SerialiseSettings(Old));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnwritableSettingsLine,
    testing::Values(std::make_tuple("FolderWithLineBreak", SaveFolderLine, "/home/u/a\nb/"),
                    std::make_tuple("ProgramFolderWithCr", ProgramFolderLine, "/opt/la16\r/"),
                    std::make_tuple("CtrlZInLastLine", 80, "end\x1A"),
                    std::make_tuple("FirstFuzzerFinding", IndicatorSettingLine,
                                    std::string("\xE9t\xE9\n\xC2\xA9\0x\x0E\0", 10))),
    [](const auto& Info) { return std::string(std::get<0>(Info.param)); });

class ProgramFolderChoice : public testing::Test {
 protected:
  QString Own() const { return Dir.path() + QStringLiteral("/own"); }
  QString UserData() const { return Dir.path() + QStringLiteral("/data/deep/la16"); }
  // A folder that cannot exist, even for root: its parent is a file.
  QString Impossible(const char* Name) const {
    PutFile(Dir.path() + QStringLiteral("/file"), "x");
    return Dir.path() + QStringLiteral("/file/") + QString::fromUtf8(Name);
  }
  QTemporaryDir Dir;
};

TEST_F(ProgramFolderChoice, OwnFolderWhenAFileCanBeCreatedThere) {
  ASSERT_TRUE(QDir().mkpath(Own()));
  const TProgramFolder Choice = ChooseProgramFolder(Own(), UserData());
  EXPECT_EQ(Choice.Path, Own() + QStringLiteral("/"));
  EXPECT_TRUE(Choice.Writable);
  EXPECT_FALSE(QDir(UserData()).exists());
  EXPECT_TRUE(QDir(Own()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(ProgramFolderChoice, UserDataFolderCreatedWhenTheOwnOneCannotBeWritten) {
  const TProgramFolder Choice = ChooseProgramFolder(Impossible("own"), UserData() + "/");
  EXPECT_EQ(Choice.Path, UserData() + QStringLiteral("/"));
  EXPECT_TRUE(Choice.Writable);
  EXPECT_TRUE(QDir(UserData()).exists());
}

TEST_F(ProgramFolderChoice, OwnFolderMarkedUnwritableWhenNeitherCanBeWritten) {
  const TProgramFolder Choice = ChooseProgramFolder(Impossible("own"), Impossible("data"));
  EXPECT_EQ(Choice.Path, Impossible("own") + QStringLiteral("/"));
  EXPECT_FALSE(Choice.Writable);
}

// Installed, the program's folder is a system folder: root could write
// there, but nothing goes there, not even the probe file.
TEST_F(ProgramFolderChoice, InstalledProgramTakesTheUserDataFolderAndNeverTouchesItsOwn) {
  ASSERT_TRUE(QDir().mkpath(Own()));
  const TProgramFolder Choice = ChooseProgramFolder(Own(), UserData(), true);
  EXPECT_EQ(Choice.Path, UserData() + QStringLiteral("/"));
  EXPECT_TRUE(Choice.Writable);
  EXPECT_TRUE(QDir(UserData()).exists());

  const TProgramFolder Blocked = ChooseProgramFolder(Own(), Impossible("data"), true);
  EXPECT_EQ(Blocked.Path, Impossible("data") + QStringLiteral("/"));
  EXPECT_FALSE(Blocked.Writable);
  EXPECT_TRUE(QDir(Own()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(SameFolder, OneFolderUnderEveryNameAndNothingElse) {
  QTemporaryDir Dir;
  const QString Bin = Dir.path() + QStringLiteral("/usr/bin");
  ASSERT_TRUE(QDir().mkpath(Bin));
  ASSERT_TRUE(QDir().mkpath(Dir.path() + QStringLiteral("/usr/local/bin")));
  PutFile(Bin + QStringLiteral("/la16"), "x");
#ifdef _WIN32
  // Windows names a folder in any case, with either separator.
  EXPECT_TRUE(IsSameFolder(QDir::toNativeSeparators(Bin).toUpper(), Bin));
  EXPECT_TRUE(IsSameFolder(Dir.path() + QStringLiteral("\\Usr\\BIN\\"), Bin));
#else
  // A merged system's /bin is a link to /usr/bin.
  ASSERT_TRUE(QFile::link(QStringLiteral("usr/bin"), Dir.path() + QStringLiteral("/bin")));
  EXPECT_TRUE(IsSameFolder(Dir.path() + QStringLiteral("/bin/"), Bin));
#endif

  EXPECT_TRUE(IsSameFolder(Bin, Bin + QStringLiteral("/")));
  EXPECT_TRUE(IsSameFolder(Dir.path() + QStringLiteral("/usr/local/../bin"), Bin));
  EXPECT_FALSE(IsSameFolder(Dir.path() + QStringLiteral("/usr/local/bin"), Bin));
  EXPECT_FALSE(IsSameFolder(Dir.path() + QStringLiteral("/usr"), Bin));
  EXPECT_FALSE(IsSameFolder(Bin + QStringLiteral("/la16"), Bin + QStringLiteral("/la16")));
  EXPECT_FALSE(
      IsSameFolder(Dir.path() + QStringLiteral("/gone"), Dir.path() + QStringLiteral("/gone")));
  EXPECT_FALSE(IsSameFolder(QString(), QString()));
  EXPECT_FALSE(IsSameFolder(Bin, QString()));
}
}  // namespace
