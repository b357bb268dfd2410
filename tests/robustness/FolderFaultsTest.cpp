// SPDX-License-Identifier: GPL-3.0-or-later
// The program folder going read-only and the disk filling up while the window
// runs with the simulated analyser: each failed write of the settings file or
// of a picture is one clear message, the old file stays whole, nothing is
// left half written beside it, and the setting stays in effect.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/Application.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "tests/robustness/FaultRig.h"
#include "tests/support/AnalyserRig.h"

namespace {
using namespace Robustness;
using Robustness::PrintTo;
using TBoxKind = TFakeEnvironment::TBoxKind;
using namespace std::chrono_literals;

const QString Paused = QStringLiteral("Pause de l'acquisition");

// The window looping with the simulated analyser; errors escaping a handler
// show in the fake environment's boxes, as in the program. A box stays open
// for a while, as a modal one does, with the window's events running under it.
class RunningWindow : public testing::Test {
 protected:
  void SetUp() override {
    Application()->SetEnvironment(&Environment());
    Form = &Rig.Start("300", "1");
    Device = &Rig.PlugAnswering();
    Environment().BoxShown = [](const TFakeEnvironment::TBox&) { TAnalyserRig::Idle(150ms); };
    Form->SpeedButton24->click();
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form->State.RestitutionCount >= 2; }));
  }

  void TearDown() override {
    Environment().BoxShown = nullptr;
    Application()->SetEnvironment(nullptr);
  }

  static TApplication* Application() {
    return static_cast<TApplication*>(QCoreApplication::instance());
  }
  TFakeEnvironment& Environment() { return Rig.Harness.Environment; }
  QString Folder() const { return Rig.Harness.ProgramDir.path(); }
  QString Snapshot() const { return Form->FileInProgramFolder(QStringLiteral("1.bmp")); }

  // Waits until the analyser has nothing more to send and the window has
  // taken what reached it (reports beyond the reader's queue are lost, as on
  // the device node).
  void Settle() {
    ASSERT_TRUE(Device->Analyser()->WaitIdle(10s));
    TAnalyserRig::Idle(300ms);
    // A loaded machine (the sanitizers) may still hold reports in the
    // reader's queue: a restitution ending later would write the snapshot in
    // the middle of the next fault.
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] {
      return Form->AnalyserDevice == nullptr || !Form->AnalyserDevice->ReportsWaiting();
    }));
  }

  // Halted, with a snapshot written.
  void Halt() {
    Form->SpeedButton23->click();
    Settle();
    ASSERT_TRUE(QFile::exists(Snapshot()));
    Environment().Boxes.clear();
  }

  void ExpectOneError(const char* FileName) {
    const auto Errors = Environment().Messages(TBoxKind::Error);
    ASSERT_EQ(Environment().Boxes.size(), 1U)
        << (Environment().Boxes.empty() ? std::string()
                                        : Environment().Boxes.back().Message.toStdString());
    ASSERT_EQ(Errors.size(), 1U);
    EXPECT_TRUE(Errors[0].contains(QString::fromUtf8(FileName))) << Errors[0].toStdString();
  }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  TSimulatedAnalyserDevice* Device = nullptr;
};

// ---- Settings ----------------------------------------------------------------

struct TSettingCase {
  const char* Name;
  void (*Change)(TForm1&, TFakeEnvironment&);
  int Line;
  std::string (*Value)(const TFakeEnvironment&);
  int Command;  // sent with the change, 0 for none
  std::uint8_t P1;
};

std::string DataFolder(const TFakeEnvironment& Environment) {
  return QFile::encodeName(QDir(Environment.UserDataFolderPath).absolutePath()).toStdString();
}

const auto SettingCases = testing::Values(
    TSettingCase{"PullDown", [](TForm1& F, TFakeEnvironment&) { F.RadioButton6->click(); },
                 PullSettingLine, [](const TFakeEnvironment&) { return std::string("0"); }, cmdPull,
                 0},
    // The speed goes to the analyser before the save that fails.
    TSettingCase{"PcSpeed", [](TForm1& F, TFakeEnvironment&) { F.TrackBar1->setValue(500); },
                 PcSpeedSettingLine, [](const TFakeEnvironment&) { return std::string("500"); },
                 cmdPcSpeed, 1},
    TSettingCase{
        "Indicators", [](TForm1& F, TFakeEnvironment&) { F.Indicateurs116ouD0D151->trigger(); },
        IndicatorSettingLine, [](const TFakeEnvironment&) { return std::string("1"); }, 0, 0},
    TSettingCase{"SaveFolder",
                 [](TForm1& F, TFakeEnvironment& E) {
                   E.SaveDialogVisits = {QDir(E.UserDataFolderPath).absolutePath()};
                   F.Sauvegarder1Click();
                 },
                 SaveFolderLine, DataFolder, 0, 0});

class ReadOnlyFolderSettings : public RunningWindow,
                               public testing::WithParamInterface<TSettingCase> {};

TEST_P(ReadOnlyFolderSettings, OneMessageTheOldFileWholeAndTheNewValueInEffect) {
  const TSettingCase& Case = GetParam();
  const std::string Old = FileBytes(Rig.Harness.SettingsFilePath());
  const auto Entries = FolderEntries(Folder());
  const std::size_t Written = Device->HidInterface().WrittenReports().size();
  {
    TReadOnlyFolder ReadOnly(Folder());
    Case.Change(*Form, Environment());
  }
  ExpectOneError("parametres.inf");
  EXPECT_TRUE(Environment().Messages(TBoxKind::Error)[0].startsWith(
      QStringLiteral("Erreur d'entrée/sortie")));
  EXPECT_EQ(FileBytes(Rig.Harness.SettingsFilePath()), Old);
  EXPECT_EQ(FolderEntries(Folder()), Entries);
  EXPECT_EQ(Form->Settings.Line(Case.Line), Case.Value(Environment()));
  const auto Heads = TAnalyserRig::Heads(Device->HidInterface());
  if (Case.Command != 0) {
    ASSERT_EQ(Heads.size(), Written + 1);
    EXPECT_EQ(Heads.back()[1], Case.Command);
    EXPECT_EQ(Heads.back()[2], Case.P1);
  } else {
    EXPECT_EQ(Heads.size(), Written);
  }
  // The next save that can be made carries the value.
  Form->SaveSettings();
  EXPECT_EQ(ReadSettingsFile(Rig.Harness.SettingsFilePath()).Line(Case.Line),
            Case.Value(Environment()));
}

INSTANTIATE_TEST_SUITE_P(Settings, ReadOnlyFolderSettings, SettingCases,
                         CaseName<testing::TestParamInfo<TSettingCase>>);

class FullDiskSettings : public RunningWindow, public testing::WithParamInterface<TSettingCase> {};

TEST_P(FullDiskSettings, OneMessageAndTheOldFileWhole) {
  const TSettingCase& Case = GetParam();
  const std::string Old = FileBytes(Rig.Harness.SettingsFilePath());
  const auto Entries = FolderEntries(Folder());
  {
    TFileSizeLimit Full(100);  // fewer bytes than the 80 line ends alone
    Case.Change(*Form, Environment());
  }
  ExpectOneError("parametres.inf");
  EXPECT_EQ(FileBytes(Rig.Harness.SettingsFilePath()), Old);
  EXPECT_EQ(FolderEntries(Folder()), Entries);
  EXPECT_EQ(Form->Settings.Line(Case.Line), Case.Value(Environment()));
}

INSTANTIATE_TEST_SUITE_P(Settings, FullDiskSettings, SettingCases,
                         CaseName<testing::TestParamInfo<TSettingCase>>);

TEST(FullDiskAtStartUp, TheStartUpSaveIsReportedOnceAndTheOldFileStays) {
  TFormHarness Harness;
  const std::string Old = SettingsBytes({"kept", "", "", "", "", "1", "", "300"});
  Harness.WriteSettingsFile(Old);
  {
    TFileSizeLimit Full(100);
    Harness.Start();
  }
  const auto Errors = Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].startsWith(QStringLiteral("Erreur d'entrée/sortie")));
  EXPECT_EQ(Harness.SettingsFileBytes(), Old);
  EXPECT_EQ(FolderEntries(Harness.ProgramDir.path()), std::vector<std::string>{"parametres.inf"});
  EXPECT_FALSE(Harness.Form->Panel3->isHidden());
  EXPECT_EQ(Harness.Form->TrackBar1->value(), 300);
}

// ---- Pictures ----------------------------------------------------------------

struct TPictureCase {
  const char* Name;
  bool Halted;  // halted first, or still looping
  void (*Act)(TForm1&);
  int Command;  // the command the action still sends, 0 for none
};

const auto PictureCases = testing::Values(
    TPictureCase{"Halt", false, [](TForm1& F) { F.SpeedButton23->click(); }, cmdHalt},
    TPictureCase{"MouseRelease", true, [](TForm1& F) { F.Image2MouseUp(300, 200); }, 0},
    TPictureCase{"Scroll", true, [](TForm1& F) { F.ScrollBar1->setValue(300); }, cmdViewPosition},
    TPictureCase{"SingleAcquisition", true, [](TForm1& F) { F.SpeedButton25->click(); },
                 cmdSingle});

class PictureFaults : public RunningWindow, public testing::WithParamInterface<TPictureCase> {
 protected:
  // The case's action with the fault TFault(Argument) in place: one message,
  // the old snapshot whole and nothing beside it, and the action otherwise
  // carried out.
  template <typename TFault, typename TArgument>
  void ActUnder(TArgument Argument) {
    const TPictureCase& Case = GetParam();
    Halt();
    if (!Case.Halted) {
      Form->SpeedButton24->click();
    }
    const std::string Old = FileBytes(Snapshot());
    const auto Entries = FolderEntries(Folder());
    {
      TFault Fault(Argument);
      Case.Act(*Form);
      Settle();  // the restitution the action brings, if any
    }
    ExpectOneError("1.bmp");
    EXPECT_EQ(FileBytes(Snapshot()), Old);
    EXPECT_EQ(FolderEntries(Folder()), Entries);
    if (Case.Command != 0) {
      EXPECT_EQ(TAnalyserRig::Heads(Device->HidInterface()).back()[1], Case.Command);
    }
    EXPECT_EQ(Form->State.AcquisitionStopped, 1);
  }
};

TEST_P(PictureFaults, ReadOnlyFolderGivesOneMessageAndLeavesTheOldSnapshotWhole) {
  ActUnder<TReadOnlyFolder>(Folder());
}

TEST_P(PictureFaults, FullDiskGivesOneMessageAndLeavesTheOldSnapshotWhole) {
  ActUnder<TFileSizeLimit>(rlim_t{64 * 1024});  // a whole snapshot needs 1.4 MB
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFaults, PictureCases,
                         CaseName<testing::TestParamInfo<TPictureCase>>);

TEST_F(RunningWindow, FullDiskWhenSavingATraceLeavesNoFileAndSaysWhy) {
  Halt();
  const QString Trace = Rig.Harness.DataDir.filePath(QStringLiteral("trace.bmp"));
  Environment().SaveDialogAccepts = true;
  Environment().SaveDialogTypedName = Trace;
  {
    TFileSizeLimit Full(64 * 1024);
    Form->Sauvegarder1->trigger();
  }
  ExpectOneError("trace.bmp");
  EXPECT_FALSE(QFile::exists(Trace));
  EXPECT_EQ(FolderEntries(Rig.Harness.DataDir.path()), std::vector<std::string>{});
}

// ---- The analyser pulled out while a message is open -----------------------

TEST_F(RunningWindow, PulledOutWhileTheSnapshotMessageIsOpenTheAnalyserIsStillReleased) {
  Halt();
  // Should the window wait for ever, fail the test instead of hanging it.
  std::atomic<bool> Ended{false};
  std::thread Watchdog([&] {
    for (int Tick = 0; Tick < 3000 && !Ended; ++Tick) {
      std::this_thread::sleep_for(10ms);
    }
    if (!Ended) {
      std::fprintf(stderr, "the window hangs releasing the analyser under an open message\n");
      std::abort();
    }
  });
  bool Pulled = false;
  Environment().BoxShown = [&](const TFakeEnvironment::TBox&) {
    if (!Pulled) {
      Pulled = true;
      Device->Unplug();
    }
    TAnalyserRig::RunUntil([&] { return Form->AnalyserDevice == nullptr; });
  };
  {
    TReadOnlyFolder ReadOnly(Folder());
    Form->SpeedButton25->click();  // a single acquisition, whose end cannot be kept
    TAnalyserRig::RunUntil([&] { return Pulled && Form->AnalyserDevice == nullptr; }, 20s);
  }
  Ended = true;
  Watchdog.join();
  EXPECT_TRUE(Pulled);
  EXPECT_EQ(Environment().TerminateRequests, 0);
  EXPECT_EQ(Form->AnalyserDevice, nullptr);
  EXPECT_EQ(Device->HidInterface().ReaderCount(), 0U);
  ExpectOneError("1.bmp");
}

}  // namespace
