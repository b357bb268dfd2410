// SPDX-License-Identifier: GPL-3.0-or-later
// The analyser misbehaving on the USB side while the whole window runs on the
// simulated platform: pulled out in the middle of a transfer, reads or writes
// that fail, opens that are refused. Nothing may hang, spin or crash, and the
// window ends or goes on as it does with a well-behaved analyser.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <cerrno>

#include "app/StatusBar.h"
#include "tests/robustness/FaultRig.h"
#include "tests/support/AnalyserRig.h"

namespace {
using namespace Robustness;
using Robustness::PrintTo;

const QString Disconnected = QStringLiteral("Analyseur logique USB déconnecté");
const QString Connected = QStringLiteral("Analyseur logique USB connecté et opérationnel...");
const QString Looping = QStringLiteral("Acquisistion et restitution en boucle...");
const QString Paused = QStringLiteral("Pause de l'acquisition");

// The window with a bare analyser interface attached, whose reports the test
// delivers one by one.
class AttachedWindow {
 public:
  AttachedWindow() {
    Form = &Rig.Start("300", "1");
    Analyser = Rig.Plug(AnalyserInterface());
    Rig.CountReports();
  }

  void Restitute(const TWindow& Window) {
    for (const auto& Block : BuildRestitution(Window)) {
      Rig.Deliver(*Analyser, BlockReport(Block));
    }
  }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  std::shared_ptr<TSimulatedHidInterface> Analyser;
};

// ---- Pulled out in the middle of a transfer --------------------------------

struct TCutCase {
  const char* Name;
  int BlocksBefore;  // blocks of the second restitution that arrive first
};

class UnpluggedMidRestitution : public testing::TestWithParam<TCutCase> {};

TEST_P(UnpluggedMidRestitution, WaitsForTheAnalyserShowingTheLastWholePicture) {
  AttachedWindow W;
  W.Form->SpeedButton24->click();
  W.Restitute(Pattern(1));
  const QImage Shown = Visible(*W.Form);
  const auto Second = BuildRestitution(Pattern(2));
  for (int I = 0; I < GetParam().BlocksBefore; ++I) {
    W.Rig.Deliver(*W.Analyser, BlockReport(Second[static_cast<std::size_t>(I)]));
  }
  // Sample blocks still on their way when the cable goes are lost with it
  // (one may already be in the reader's hands); the end never comes.
  for (std::size_t I = static_cast<std::size_t>(GetParam().BlocksBefore); I + 1 < Second.size();
       ++I) {
    W.Analyser->InjectReport(BlockReport(Second[I]));
  }

  W.Rig.Unplug(*W.Analyser);
  EXPECT_EQ(W.Rig.Harness.Environment.TerminateRequests, 0);
  EXPECT_EQ(W.Form->StatusBar1->PanelText(0), Disconnected);
  EXPECT_EQ(W.Form->AnalyserDevice, nullptr);
  EXPECT_EQ(W.Analyser->ReaderCount(), 0U);
  EXPECT_TRUE(Visible(*W.Form) == Shown) << "a restitution cut short was shown";
  EXPECT_TRUE(W.Rig.Harness.Environment.Boxes.empty());
  // The window closed after it: nothing is left to wait for.
  W.Rig.Harness.Form.reset();
}

INSTANTIATE_TEST_SUITE_P(Cuts, UnpluggedMidRestitution,
                         testing::Values(TCutCase{"RightAfterItsStart", 1},
                                         TCutCase{"InInputsOneToEight", 5},
                                         TCutCase{"BetweenTheGroups", 9},
                                         TCutCase{"InInputsNineToSixteen", 13},
                                         TCutCase{"JustBeforeItsEnd", 17}),
                         CaseName<testing::TestParamInfo<TCutCase>>);

struct TFloodCase {
  const char* Name;
  bool FromTheHandler;  // or from the event loop, with the reader's next report waiting
};

class UnpluggedWhileLooping : public testing::TestWithParam<TFloodCase> {};

TEST_P(UnpluggedWhileLooping, TheFloodingAnalyserGoesAndTheWindowWaitsForIt) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "");
  TSimulatedAnalyserDevice& Device = Rig.PlugAnswering();
  bool Asked = false;
  bool Pulled = false;
  int HandledAfter = 0;
  const auto Pull = [&] {
    Pulled = true;
    Device.Unplug();
  };
  // The cable goes while the window draws the fourth restitution, as fast as
  // the analyser sends.
  WatchReports(Form, [&](int Code, std::uint16_t) {
    if (Pulled) {
      ++HandledAfter;
    } else if (!Asked && Code == 5 && Form.State.RestitutionCount >= 4) {
      Asked = true;
      if (GetParam().FromTheHandler) {
        Pull();
      } else {
        QTimer::singleShot(0, &Form, Pull);
      }
    }
  });
  Form.SpeedButton24->click();
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.StatusBar1->PanelText(0) == Disconnected; },
                                     std::chrono::seconds(30)));
  EXPECT_EQ(Form.AnalyserDevice, nullptr);
  EXPECT_EQ(Device.HidInterface().ReaderCount(), 0U);
  // Reports the reader took before the cable went may still be handled up
  // to the removal; none after it.
  const int HandledAtRemoval = HandledAfter;
  TAnalyserRig::Idle(std::chrono::milliseconds(200));
  EXPECT_EQ(HandledAfter, HandledAtRemoval);
  EXPECT_EQ(Rig.Harness.Environment.TerminateRequests, 0);
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
  Rig.Harness.Form.reset();
}

INSTANTIATE_TEST_SUITE_P(Moments, UnpluggedWhileLooping,
                         testing::Values(TFloodCase{"FromTheReportHandler", true},
                                         TFloodCase{"BetweenTwoReports", false}),
                         CaseName<testing::TestParamInfo<TFloodCase>>);

// ---- Reads that fail ---------------------------------------------------------

struct TErrorCase {
  const char* Name;
  int Code;
};

const auto ErrorCases =
    testing::Values(TErrorCase{"InputOutputError", EIO}, TErrorCase{"BrokenPipe", EPIPE},
                    TErrorCase{"DeviceGoneButListed", ENODEV}, TErrorCase{"TimedOut", ETIMEDOUT});

class ReadsFailing : public testing::TestWithParam<TErrorCase> {};

TEST_P(ReadsFailing, TheReaderRetriesWithoutSpinningAndRecovers) {
  AttachedWindow W;
  W.Restitute(Pattern(1));
  const QImage Shown = Visible(*W.Form);
  const std::size_t Before = W.Analyser->ReadAttempts();
  W.Analyser->FailReads(GetParam().Code);
  TAnalyserRig::Idle(std::chrono::milliseconds(1000));
  const std::size_t Attempts = W.Analyser->ReadAttempts() - Before;
  // A reader retrying at once would make hundreds of thousands of attempts;
  // one that waits its 100 ms between them makes about ten.
  EXPECT_GE(Attempts, 2U);
  EXPECT_LE(Attempts, 40U);

  // The window goes on meanwhile: commands still reach the analyser.
  const std::size_t Written = W.Analyser->WrittenReports().size();
  W.Form->SpeedButton24->click();
  EXPECT_EQ(W.Analyser->WrittenReports().size(), Written + 1);
  EXPECT_EQ(W.Form->StatusBar1->PanelText(1), Looping);
  EXPECT_TRUE(Visible(*W.Form) == Shown);
  EXPECT_EQ(W.Rig.Harness.Environment.TerminateRequests, 0);
  EXPECT_TRUE(W.Rig.Harness.Environment.Boxes.empty());

  W.Analyser->FailReads(0);
  W.Restitute(Pattern(2));
  EXPECT_EQ(Held(W.Form->State.SampleBuffer), Pattern(2));
  EXPECT_FALSE(Visible(*W.Form) == Shown);
}

INSTANTIATE_TEST_SUITE_P(Errors, ReadsFailing, ErrorCases,
                         CaseName<testing::TestParamInfo<TErrorCase>>);

// ---- Writes that fail ------------------------------------------------------

class WritesFailing : public testing::TestWithParam<TErrorCase> {};

TEST_P(WritesFailing, CommandsAreDroppedSilentlyAndTheWindowSwitchesAsUsual) {
  AttachedWindow W;
  TForm1& Form = *W.Form;
  W.Analyser->FailWrites(GetParam().Code);
  const std::size_t Written = W.Analyser->WrittenReports().size();

  Form.SpeedButton24->click();
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Looping);
  EXPECT_TRUE(Form.GroupBox1->isEnabled());
  Form.TimeBaseButton(8)->click();
  Form.TrackBar1->setValue(500);
  EXPECT_EQ(Form.Settings.PcSpeedSetting(), "500");
  Form.SpeedButton23->click();
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Paused);
  EXPECT_EQ(Form.State.AcquisitionStopped, 1);
  EXPECT_TRUE(QFile::exists(Form.FileInProgramFolder(QStringLiteral("1.bmp"))));

  EXPECT_EQ(W.Analyser->WrittenReports().size(), Written);
  EXPECT_TRUE(W.Rig.Harness.Environment.Boxes.empty());
  EXPECT_EQ(W.Rig.Harness.Environment.TerminateRequests, 0);
  // The buffer was filled all along; the next command that can go out
  // carries what the dropped ones left in it.
  W.Analyser->FailWrites(0);
  Form.SpeedButton24->click();
  EXPECT_EQ(TAnalyserRig::Heads(*W.Analyser).back(), (TReportHead{0, cmdLoop, 0x01, 0xF4}));
}

INSTANTIATE_TEST_SUITE_P(Errors, WritesFailing, ErrorCases,
                         CaseName<testing::TestParamInfo<TErrorCase>>);

// ---- Opens that are refused --------------------------------------------------

TEST(NoWriteAccess, AttachedWithoutReaderSendingAndReadingNothing) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto Analyser = std::make_shared<TSimulatedHidInterface>(AnalyserInterface());
  Analyser->RefuseWriteAccess(true);
  Rig.Harness.Environment.Hid.Plug(Analyser);
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Rig.Listed(*Analyser); }));
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.GroupBox2->isEnabled(); }));

  Form.SpeedButton24->click();
  Form.TimeBaseButton(9)->click();
  Form.SpeedButton23->click();
  Form.SpeedButton25->click();
  Analyser->InjectReport(BlockOf(Pattern(1), BlockRestitutionStart));
  TAnalyserRig::Idle(std::chrono::milliseconds(300));
  EXPECT_TRUE(Analyser->WrittenReports().empty());
  EXPECT_EQ(Analyser->ReadAttempts(), 0U);
  EXPECT_EQ(Form.State.RestitutionCount, 0);
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());

  Rig.Unplug(*Analyser);
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Disconnected);
}

struct TOpenCase {
  const char* Name;
  std::function<void(TSimulatedHidInterface&, bool Fault)> Break;
};

class UnopenableAnalyser : public testing::TestWithParam<TOpenCase> {};

TEST_P(UnopenableAnalyser, IsPassedOverSilentlyThenTakenAtTheNextChange) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  auto Analyser = std::make_shared<TSimulatedHidInterface>(AnalyserInterface());
  GetParam().Break(*Analyser, true);
  Rig.Harness.Environment.Hid.Plug(Analyser);
  TAnalyserRig::Idle(std::chrono::milliseconds(300));
  EXPECT_EQ(Form.AnalyserDevice, nullptr);
  EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_FALSE(Form.GroupBox2->isEnabled());
  EXPECT_TRUE(Form.StatusBar1->PanelText(0).isEmpty());
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());

  // Any later change looks at it again.
  GetParam().Break(*Analyser, false);
  auto Other = Rig.Plug({0x1234, 0x0001, 0, 9, 2});
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.AnalyserDevice != nullptr; }));
  EXPECT_EQ(Form.StatusBar1->PanelText(0), Connected);
  EXPECT_EQ(TAnalyserRig::Heads(*Analyser).size(), 3U);
  EXPECT_EQ(Rig.Harness.Environment.TerminateRequests, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnopenableAnalyser,
    testing::Values(TOpenCase{"OpenRefused", [](TSimulatedHidInterface& I,
                                                bool F) { I.RefuseOpen(F ? EACCES : 0); }},
                    TOpenCase{"OpenBusy", [](TSimulatedHidInterface& I,
                                             bool F) { I.RefuseOpen(F ? EBUSY : 0); }},
                    TOpenCase{"NotIdentified", [](TSimulatedHidInterface& I,
                                                  bool F) { I.FailIdentify(F ? EIO : 0); }}),
    CaseName<testing::TestParamInfo<TOpenCase>>);

}  // namespace
