// SPDX-License-Identifier: GPL-3.0-or-later
// Attach and detach of the analyser, end to end: the window on the simulated
// platform, its controller and devices, and what reaches the wire.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <ostream>
#include <utility>

#include "app/Settings.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"
#include "tests/support/CaseNames.h"

namespace {
using TBoxKind = TFakeEnvironment::TBoxKind;
using THeads = std::vector<TReportHead>;

using CaseNames::PrintTo;

const QString Connected = QStringLiteral("Analyseur logique USB connecté et opérationnel...");
const QString Disconnected = QStringLiteral("Analyseur logique USB déconnecté");

struct TAttachCase {
  const char* Name;
  const char* PcSpeed;  // line 8
  const char* Pull;     // line 6
  int Slider;
  THeads Wire;
  const char* Checked;  // "UP", "Down" or ""
};

class AttachSequence : public testing::TestWithParam<TAttachCase> {};

TEST_P(AttachSequence, SendsTheStartUpCommandsAndReadiesTheWindow) {
  const TAttachCase& Case = GetParam();
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start(Case.PcSpeed, Case.Pull);
  EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
  auto Analyser = Rig.Plug(AnalyserInterface());

  EXPECT_EQ(TAnalyserRig::Heads(*Analyser), Case.Wire);
  for (const auto& Report : Analyser->WrittenReports()) {
    ASSERT_EQ(Report.size(), InputReportSize);
    for (std::size_t I = 4; I < Report.size(); ++I) {
      ASSERT_EQ(Report[I], 0) << I;
    }
  }
  EXPECT_EQ(Form.TrackBar1->value(), Case.Slider);
  ASSERT_NE(Form.AnalyserDevice, nullptr);
  EXPECT_TRUE(Form.AnalyserDevice->CheckedOut());
  EXPECT_TRUE(Analyser->WaitForReaders(1, std::chrono::seconds(5)));
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
  EXPECT_TRUE(Form.Panel6->isVisibleTo(&Form));
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_TRUE(Form.GroupBox2->isEnabled());
  EXPECT_FALSE(Form.GroupBox5->isEnabled());
  const std::string Checked = Case.Checked;
  EXPECT_EQ(Form.RadioButton5->isChecked(), Checked == "UP");
  EXPECT_EQ(Form.RadioButton6->isChecked(), Checked == "Down");
  const TSettings OnDisk = ParseSettings(Rig.Harness.SettingsFileBytes());
  EXPECT_EQ(OnDisk.Line(PullSettingLine), Case.Pull);
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
  EXPECT_EQ(Rig.Harness.Environment.TerminateRequests, 0);
}

// Start-up leaves trigger mode 0 (00 09 00 00) or, when it moved the slider,
// the speed command in the buffer; the attach carries those bytes on.
INSTANTIATE_TEST_SUITE_P(
    Settings, AttachSequence,
    testing::Values(TAttachCase{"Speed300PullUp", "300", "1", 300,
                                THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}, {0, 10, 1, 0x2C}}, "UP"},
                    TAttachCase{"Speed100PullDown", "100", "0", 100,
                                THeads{{0, 6, 0, 0}, {0, 11, 0, 0x64}, {0, 10, 0, 0x64}}, "Down"},
                    TAttachCase{"Speed1000PullDown", "1000", "0", 1000,
                                THeads{{0, 6, 3, 0xE8}, {0, 11, 3, 0xE8}, {0, 10, 0, 0xE8}},
                                "Down"},
                    TAttachCase{"EmptyPullSendsNoPull", "300", "", 300,
                                THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}}, ""},
                    TAttachCase{"OtherPullTextSendsNoPull", "300", "up", 300,
                                THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}}, ""},
                    TAttachCase{"SpeedAboveRangeIsClamped", "2000", "1", 1000,
                                THeads{{0, 6, 3, 0xE8}, {0, 11, 3, 0xE8}, {0, 10, 1, 0xE8}}, "UP"},
                    TAttachCase{"SpeedBelowRangeIsClamped", "50", "", 100,
                                THeads{{0, 6, 0, 0}, {0, 11, 0, 0x64}}, ""},
                    // The slider keeps its position and the attach goes on to the end.
                    TAttachCase{"EmptySpeedKeepsTheSlider", "", "1", 100,
                                THeads{{0, 6, 0, 0}, {0, 11, 0, 0x64}, {0, 10, 1, 0x64}}, "UP"},
                    TAttachCase{"NonNumericSpeedKeepsTheSlider", "vite", "0", 100,
                                THeads{{0, 6, 0, 0}, {0, 11, 0, 0x64}, {0, 10, 0, 0x64}}, "Down"}),
    [](const testing::TestParamInfo<TAttachCase>& Info) { return std::string(Info.param.Name); });

TEST(Attach, AnalyserPluggedBeforeStartIsAttachedOnceTheLoopRuns) {
  TAnalyserRig Rig;
  auto Analyser = Rig.Harness.Environment.Hid.PlugNew(AnalyserInterface());
  Rig.Harness.WriteSettingsFile(SettingsBytes({"", "", "", "", "", "1", "", "300"}));
  TForm1& Form = Rig.Harness.Start();
  Rig.Form = &Form;
  // Start-up has finished and nothing went out yet: the controller looks
  // at the machine only once the loop runs.
  EXPECT_TRUE(Analyser->WrittenReports().empty());
  EXPECT_EQ(Form.AnalyserDevice, nullptr);
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.AnalyserDevice != nullptr; }));
  EXPECT_EQ(TAnalyserRig::Heads(*Analyser),
            (THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}, {0, 10, 1, 0x2C}}));
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
}

// A box that start-up opens runs a loop of its own for as long as it stays
// open: the analyser already plugged in still waits for start-up to end, and
// nothing of start-up undoes its attach.
TEST(Attach, StartUpBoxOpenDoesNotLetTheAnalyserAttachBeforeStartUpEnds) {
  TAnalyserRig Rig;
  auto Analyser = Rig.Harness.Environment.Hid.PlugNew(AnalyserInterface());
  ASSERT_TRUE(QDir(Rig.Harness.ProgramDir.path()).mkdir(QStringLiteral("parametres.inf")));
  bool AttachedDuringBox = false;
  Rig.Harness.Environment.BoxShown = [&](const TFakeEnvironment::TBox&) {
    QCoreApplication::processEvents();  // runs what was posted so far
    AttachedDuringBox = !Analyser->WrittenReports().empty();
  };
  TForm1& Form = Rig.Harness.Start();
  Rig.Form = &Form;
  ASSERT_EQ(Rig.Harness.Environment.Messages(TBoxKind::Error).size(), 1U);
  EXPECT_FALSE(AttachedDuringBox);
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.AnalyserDevice != nullptr; }));
  EXPECT_EQ(TAnalyserRig::Heads(*Analyser), (THeads{{0, 6, 0, 0}, {0, 11, 0, 0x64}}))
      << "no trigger mode after the attach";
  EXPECT_TRUE(Form.GroupBox2->isEnabled());
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_TRUE(Form.Panel6->isVisibleTo(&Form));
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
}

TEST(Attach, SecondAnalyserGetsAttachAndSpeedButNoPullAndTheFirstKeepsReporting) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto First = Rig.Plug(AnalyserInterface());
  TJvHidDevice* FirstDevice = Form.AnalyserDevice;
  ASSERT_NE(FirstDevice, nullptr);
  ASSERT_TRUE(First->WaitForReaders(1, std::chrono::seconds(5)));

  auto Second = Rig.Plug(AnalyserInterface());
  EXPECT_EQ(TAnalyserRig::Heads(*Second), (THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}}));
  EXPECT_EQ(First->WrittenReports().size(), 3U);
  ASSERT_NE(Form.AnalyserDevice, nullptr);
  EXPECT_NE(Form.AnalyserDevice, FirstDevice);
  EXPECT_EQ(Form.AnalyserDevice->PnPInfo().InstanceNumber, Second->InstanceNumber());
  EXPECT_TRUE(FirstDevice->CheckedOut());

  // Commands go to the second one only; the first still delivers reports to
  // the same handler.
  Form.SendCommand(cmdHalt);
  EXPECT_EQ(First->WrittenReports().size(), 3U);
  EXPECT_EQ(TAnalyserRig::Heads(*Second).back(), (TReportHead{0, 3, 1, 0x2C}));
  First->InjectReport(BlockReport(1));
  EXPECT_TRUE(TAnalyserRig::RunUntil([&] { return Form.State.RestitutionCount == 1; }));
}

TEST(Attach, DevicesOfOtherIdsAreIgnoredComingAndGoing) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto Decoy = Rig.Plug(DecoyInterfaceOptions());
  // Same vendor, other product: not the analyser either.
  auto Sibling = Rig.Plug({AnalyserVendorId, 0x0006, 0, InputReportSize, InputReportSize});
  EXPECT_EQ(Form.AnalyserDevice, nullptr);
  EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_FALSE(Form.GroupBox2->isEnabled());
  EXPECT_TRUE(Sibling->WrittenReports().empty());
  EXPECT_EQ(Sibling->ReaderCount(), 0U);
  Rig.Unplug(*Decoy);
  Rig.Unplug(*Sibling);
  EXPECT_EQ(Rig.Harness.Environment.TerminateRequests, 0);
  EXPECT_NE(Form.StatusBar1->PanelText(0), Disconnected);
}

TEST(Attach, AnalyserWithoutWriteAccessIsAttachedWithoutReader) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto Analyser = std::make_shared<TSimulatedHidInterface>(AnalyserInterface());
  Analyser->RefuseWriteAccess(true);
  Rig.Harness.Environment.Hid.Plug(Analyser);
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Rig.Listed(*Analyser); }));

  ASSERT_NE(Form.AnalyserDevice, nullptr);
  EXPECT_FALSE(Form.AnalyserDevice->CheckedOut());
  EXPECT_FALSE(Form.AnalyserDevice->ReaderRunning());
  EXPECT_TRUE(Analyser->WrittenReports().empty());
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_TRUE(Form.RadioButton5->isChecked());
  TAnalyserRig::Idle();
  EXPECT_EQ(Analyser->ReaderCount(), 0U);

  // Losing it leaves nothing behind.
  Rig.Unplug(*Analyser);
  EXPECT_EQ(Form.AnalyserDevice, nullptr);
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Disconnected);
}

TEST(Attach, SettingsFileThatCannotBeWrittenStillCompletesTheAttach) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  // From now on the file cannot be replaced: its name is taken by a folder.
  ASSERT_TRUE(QFile::remove(Rig.Harness.SettingsFilePath()));
  ASSERT_TRUE(QDir(Rig.Harness.ProgramDir.path()).mkdir(QStringLiteral("parametres.inf")));
  auto Analyser = Rig.Plug(AnalyserInterface());

  EXPECT_EQ(TAnalyserRig::Heads(*Analyser),
            (THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}, {0, 10, 1, 0x2C}}));
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_FALSE(Form.GroupBox5->isEnabled());
  EXPECT_EQ(Form.Settings.PullSetting(), "1");
  const auto Errors = Rig.Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].startsWith(QStringLiteral("Erreur d'entrée/sortie")))
      << Errors[0].toStdString();
}

struct TRemovalCase {
  const char* Name;
  bool RemoveHeld;  // the analyser in AnalyserDevice, or the one attached before it
};

class Removal : public testing::TestWithParam<TRemovalCase> {};

TEST_P(Removal, OneOfTwoAnalysersGoingReleasesItAndTheOtherCarriesOn) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto First = Rig.Plug(AnalyserInterface());
  auto Second = Rig.Plug(AnalyserInterface());
  const std::size_t FirstWrites = First->WrittenReports().size();
  auto& Gone = GetParam().RemoveHeld ? *Second : *First;
  auto& Kept = GetParam().RemoveHeld ? *First : *Second;

  Rig.Unplug(Gone);
  // Nothing is said to the one that went; its reader has ended.
  EXPECT_EQ(Gone.WrittenReports().size(), GetParam().RemoveHeld ? 2U : FirstWrites);
  EXPECT_TRUE(TAnalyserRig::RunUntil([&] { return Gone.ReaderCount() == 0; }));
  ASSERT_NE(Form.AnalyserDevice, nullptr);
  EXPECT_EQ(Form.AnalyserDevice->PnPInfo().InstanceNumber, Kept.InstanceNumber());
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
  EXPECT_TRUE(Form.GroupBox2->isEnabled());
  const std::size_t KeptWrites = Kept.WrittenReports().size();
  Form.SendCommand(cmdHalt);
  EXPECT_EQ(Kept.WrittenReports().size(), KeptWrites + 1);
  EXPECT_EQ(Rig.Harness.Environment.TerminateRequests, 0);
}

// A cable pulled in the middle of a loop: the window stays, shows what it
// showed and waits for the analyser; plugged in again, it is attached as at
// first.
TEST(Removal, UnplugKeepsWhatIsShownAndAReplugAttachesAsAtFirst) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto Analyser = Rig.Plug(AnalyserInterface());
  ASSERT_TRUE(Analyser->WaitForReaders(1, std::chrono::seconds(5)));
  Rig.CountReports();
  Form.SpeedButton24->click();
  TWindow Window{};
  for (std::size_t N = 0; N < Window.size(); ++N) {
    Window[N] = static_cast<std::uint16_t>(N * 0x0103U);
  }
  Rig.DeliverRestitution(*Analyser, Window);
  const QImage Shown = std::as_const(*Form.Image2).Picture();
  const std::size_t Writes = Analyser->WrittenReports().size();

  Rig.Unplug(*Analyser);
  EXPECT_EQ(Form.AnalyserDevice, nullptr);
  EXPECT_EQ(Analyser->WrittenReports().size(), Writes) << "nothing sent on the way out";
  EXPECT_TRUE(TAnalyserRig::RunUntil([&] { return Analyser->ReaderCount() == 0; }));
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Disconnected);
  EXPECT_EQ(Rig.Harness.Environment.TerminateRequests, 0);
  // The acquisition controls wait as after start-up ...
  for (const QWidget* Group : {Form.GroupBox1, Form.GroupBox2, Form.GroupBox3, Form.GroupBox5}) {
    EXPECT_FALSE(Group->isEnabled()) << Group->objectName().toStdString();
  }
  EXPECT_TRUE(Form.SpeedButton23->isChecked());
  EXPECT_FALSE(Form.ScrollBar1->isEnabled());
  EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_FALSE(Form.Panel6->isVisibleTo(&Form));
  // ... and the last picture is kept, as a halt keeps it.
  EXPECT_TRUE(std::as_const(*Form.Image2).Picture() == Shown);
  EXPECT_EQ(Held(Form.State.SampleBuffer), Window);
  EXPECT_TRUE(Form.Sauvegarder1->isEnabled());
  EXPECT_TRUE(Form.Imprimer1->isEnabled());
  EXPECT_TRUE(Form.Copier1->isEnabled());
  EXPECT_TRUE(Form.SpeedButton26->isEnabled());
  EXPECT_TRUE(TAnalyserRig::RunUntil(
      [&] { return QFile::exists(Form.FileInProgramFolder(QStringLiteral("1.bmp"))); }));
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());

  auto Again = Rig.Plug(AnalyserInterface());
  EXPECT_EQ(TAnalyserRig::Heads(*Again),
            (THeads{{0, 6, 1, 0x2C}, {0, 11, 1, 0x2C}, {0, 10, 1, 0x2C}}));
  EXPECT_TRUE(Again->WaitForReaders(1, std::chrono::seconds(5)));
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
  EXPECT_TRUE(Form.GroupBox2->isEnabled());
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_TRUE(std::as_const(*Form.Image2).Picture() == Shown);
}

INSTANTIATE_TEST_SUITE_P(Analysers, Removal,
                         testing::Values(TRemovalCase{"HeldOne", true},
                                         TRemovalCase{"EarlierOne", false}),
                         [](const testing::TestParamInfo<TRemovalCase>& Info) {
                           return std::string(Info.param.Name);
                         });

TEST(Removal, ClosingTheWindowLaterSendsNothing) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto Analyser = Rig.Plug(AnalyserInterface());
  const std::size_t Writes = Analyser->WrittenReports().size();
  Rig.Unplug(*Analyser);
  Form.close();
  EXPECT_EQ(Analyser->WrittenReports().size(), Writes);
}

struct TLengthCase {
  const char* Name;
  std::uint16_t OutputLength;
};

class CommandLength : public testing::TestWithParam<TLengthCase> {};

TEST_P(CommandLength, EachCommandIsTheDeclaredOutputReportLength) {
  const std::uint16_t Length = GetParam().OutputLength;
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "");
  auto Analyser = Rig.Plug({AnalyserVendorId, AnalyserProductId, 0, InputReportSize, Length});
  Form.SendCommand(cmdTimeBase, TimeBaseCode(2, 1));
  const auto Reports = Analyser->WrittenReports();
  ASSERT_EQ(Reports.size(), 3U);
  const std::vector<std::uint8_t> Head{0, cmdTimeBase, 0x0A, 0x2C};
  for (const auto& Report : Reports) {
    ASSERT_EQ(Report.size(), Length);
  }
  const auto& Last = Reports.back();
  EXPECT_TRUE(
      std::equal(Last.begin(), Last.begin() + std::min<std::size_t>(4, Length), Head.begin()));
  // Bytes beyond the four written ones are zero, also past the buffer's end.
  for (std::size_t I = 4; I < Last.size(); ++I) {
    ASSERT_EQ(Last[I], 0) << I;
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, CommandLength,
                         testing::Values(TLengthCase{"Analyser", 65}, TLengthCase{"Short", 3},
                                         TLengthCase{"ExactlyTheBuffer", 68},
                                         TLengthCase{"LongerThanTheBuffer", 200}),
                         [](const testing::TestParamInfo<TLengthCase>& Info) {
                           return std::string(Info.param.Name);
                         });

TEST(SendCommand, FailedWritesAreIgnoredAndCommandsStillFillTheBuffer) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "");
  auto Analyser = Rig.Plug(AnalyserInterface());
  Analyser->FailWrites(EIO);
  Form.SendCommand(cmdSingle);
  EXPECT_EQ(Analyser->WrittenReports().size(), 2U);
  EXPECT_EQ(Form.State.CommandReport.Bytes()[1], cmdSingle);
  Analyser->FailWrites(0);
  Form.SendCommand(cmdHalt);
  EXPECT_EQ(TAnalyserRig::Heads(*Analyser).back(), (TReportHead{0, 3, 1, 0x2C}));
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
}

TEST(Release, ClosingTheWindowWhileTheAnalyserFloodsItWithReportsEndsCleanly) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "");
  TSimulatedAnalyserDevice& Analyser = Rig.PlugAnswering();
  ASSERT_NE(Form.AnalyserDevice, nullptr);
  Form.SendCommand(cmdLoop);
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.State.RestitutionCount >= 2; }));
  Rig.Harness.Form.reset();
  Rig.Form = nullptr;
  EXPECT_EQ(Analyser.HidInterface().ReaderCount(), 0U);
}

}  // namespace
