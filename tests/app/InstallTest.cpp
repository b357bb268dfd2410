// SPDX-License-Identifier: GPL-3.0-or-later
// The install rules put every file where the installed programs, udev and
// the desktop look for it: installed into a staging folder (DESTDIR), as a
// package build does.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/HelpAddresses.h"
#include "app/SystemFolders.h"

namespace {

QByteArray Contents(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

class Installed : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Stage = new QTemporaryDir;
    QProcess Install;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("DESTDIR"), Stage->path());
    Install.setProcessEnvironment(Environment);
    Install.start(QStringLiteral(LA16_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(LA16_BUILD_DIR)});
    Succeeded = Install.waitForFinished(120000) && Install.exitStatus() == QProcess::NormalExit &&
                Install.exitCode() == 0;
    Output = Install.readAllStandardOutput() + Install.readAllStandardError();
  }
  static void TearDownTestSuite() {
    delete Stage;
    Stage = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(Succeeded) << Output.toStdString(); }

  /// Path under the staging folder of an absolute installed path.
  static QString Staged(const QString& Path) { return Stage->path() + Path; }
  static QString Prefixed(const QString& Relative) {
    return Staged(QStringLiteral(LA16_INSTALL_PREFIX "/") + Relative);
  }

  static inline QTemporaryDir* Stage = nullptr;
  static inline bool Succeeded = false;
  static inline QByteArray Output;
};

TEST_F(Installed, ProgramsInTheFolderTheProgramTakesForItsInstallFolder) {
  for (const char* Name : {"la16", "la16-capture"}) {
    const QFileInfo Program(Staged(QStringLiteral(LA16_INSTALL_BINDIR "/") + QLatin1String(Name)));
    EXPECT_TRUE(Program.isFile() && Program.isExecutable()) << Name;
  }
}

TEST_F(Installed, GuideWhereTheInstalledProgramOpensIt) {
  const QString Folder = Staged(SystemInstalledGuideFolder({}));
  const QString Html = QString::fromUtf8(Contents(Folder + QStringLiteral("index.html")));
  ASSERT_TRUE(Html.contains(QStringLiteral("<html lang=\"fr\">"))) << Folder.toStdString();
  static const QRegularExpression Source(QStringLiteral("(?:src|href)=\"([^\"#:]+)\""));
  int Files = 0;
  for (const QRegularExpressionMatch& Match : Source.globalMatch(Html)) {
    ++Files;
    EXPECT_TRUE(QFile::exists(Folder + Match.captured(1))) << Match.captured(1).toStdString();
  }
  EXPECT_GE(Files, 4);
}

TEST_F(Installed, UdevRuleDesktopEntryMetadataAndManualPages) {
  EXPECT_EQ(Contents(Prefixed(QStringLiteral("lib/udev/rules.d/70-la16.rules"))),
            Contents(QStringLiteral(LA16_SOURCE_DIR "/packaging/linux/70-la16.rules")));
  const QString Desktop =
      QString::fromUtf8(Contents(Prefixed(QStringLiteral("share/applications/la16.desktop"))));
  EXPECT_TRUE(Desktop.contains(QStringLiteral("\nExec=la16 %f\n")));
  EXPECT_TRUE(Desktop.contains(QStringLiteral("\nMimeType=application/vnd.sigrok.session;\n")));
  EXPECT_TRUE(Desktop.contains(QStringLiteral("\nIcon=la16\n")));
  const QString Metainfo = QString::fromUtf8(
      Contents(Prefixed(QStringLiteral("share/metainfo/org.example.la16.metainfo.xml"))));
  EXPECT_TRUE(Metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">la16.desktop<")));
  EXPECT_TRUE(Metainfo.contains(QStringLiteral("<modalias>usb:v04D8p0005d*</modalias>")));
  for (const char* Page : {"la16.1", "la16-capture.1"}) {
    EXPECT_TRUE(Contents(Prefixed(QStringLiteral("share/man/man1/") + QLatin1String(Page)))
                    .startsWith(".TH "))
        << Page;
  }
}

TEST_F(Installed, IconAtEverySizeOfItsFolder) {
  const QString Theme = Prefixed(QStringLiteral("share/icons/hicolor/"));
  EXPECT_TRUE(Contents(Theme + QStringLiteral("scalable/apps/la16.svg")).contains("<svg"));
  const QStringList Sizes = QDir(Theme).entryList({QStringLiteral("*x*")}, QDir::Dirs);
  EXPECT_GE(Sizes.size(), 6);
  for (const QString& Size : Sizes) {
    const QImage Icon(Theme + Size + QStringLiteral("/apps/la16.png"));
    const int Side = Size.section(QLatin1Char('x'), 0, 0).toInt();
    EXPECT_EQ(Icon.size(), QSize(Side, Side)) << Size.toStdString();
    // Drawn, not blank: the middle of the analyser is opaque.
    EXPECT_EQ(qAlpha(Icon.pixel(Side / 2, Side / 2)), 255) << Size.toStdString();
  }
}

}  // namespace
