// SPDX-License-Identifier: GPL-3.0-or-later
// Moving through the analyser's memory from the main window: what the scroll
// bar and the four move buttons send, the snapshot, the limit messages, and
// the window the analyser sends back, with the markers kept on it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <utility>

#include "PictureTestHelpers.h"
#include "display/Measurement.h"
#include "display/PictureBox.h"
#include "tests/support/AnalyserRig.h"
#include "tests/support/CaseNames.h"

namespace {
using TBoxKind = TFakeEnvironment::TBoxKind;

using CaseNames::PrintTo;

const QString LimitReached = QStringLiteral("Position limite atteinte...");
const QString StartReached = QStringLiteral("Position de départ atteinte...");

QImage Visible(const TForm1& Form) {
  return std::as_const(*Form.Image2).Picture();
}

/// Unlocks navigation as a looped acquisition does.
void EnableNavigation(TForm1& Form) {
  for (QWidget* Control :
       std::initializer_list<QWidget*>{Form.ScrollBar1, Form.SpeedButton1, Form.SpeedButton2,
                                       Form.SpeedButton3, Form.SpeedButton4}) {
    Control->setEnabled(true);
  }
}

class Navigation : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Rig.Start("100", "");
    Analyser = Rig.Plug(AnalyserInterface());
    EnableNavigation(*Form);
  }

  std::vector<TReportHead> SentSince(std::size_t Before) const {
    auto Heads = TAnalyserRig::Heads(*Analyser);
    return {Heads.begin() + static_cast<std::ptrdiff_t>(Before), Heads.end()};
  }

  TFakeEnvironment& Environment() { return Rig.Harness.Environment; }
  QString SnapshotPath() const { return Rig.Harness.ProgramDir.filePath(QStringLiteral("1.bmp")); }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  std::shared_ptr<TSimulatedHidInterface> Analyser;
};

// ---- The scroll bar ---------------------------------------------------------------

TEST_F(Navigation, EveryChangeSendsTheOffsetHighByteFirstThenSnapshots) {
  Form->ShowReadout(100);  // an overlay the snapshot must hold
  const QImage Shown = Visible(*Form);
  const std::size_t Before = Analyser->WrittenReports().size();
  Form->ScrollBar1->setValue(300);
  Form->ScrollBar1->setValue(301);
  Form->ScrollBar1->setValue(301);  // no change: no command
  EXPECT_EQ(SentSince(Before),
            (std::vector<TReportHead>{{0, cmdViewPosition, 1, 44}, {0, cmdViewPosition, 1, 45}}));
  const QImage Written(SnapshotPath());
  ASSERT_FALSE(Written.isNull());
  EXPECT_EQ(Written.convertToFormat(QImage::Format_RGB32), Shown);
  // The picture waits for the analyser's answer.
  EXPECT_EQ(Visible(*Form), Shown);
}

TEST_F(Navigation, TheBarHoldsTheWholeMemoryAndNoMore) {
  const std::size_t Before = Analyser->WrittenReports().size();
  Form->ScrollBar1->setValue(5000);
  EXPECT_EQ(Form->ScrollBar1->value(), 1597);
  Form->ScrollBar1->setValue(-5);
  EXPECT_EQ(Form->ScrollBar1->value(), 0);
  EXPECT_EQ(SentSince(Before),
            (std::vector<TReportHead>{{0, cmdViewPosition, 6, 61}, {0, cmdViewPosition, 0, 0}}));
  // Arrows and track move one sample.
  Form->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  Form->ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Form->ScrollBar1->value(), 2);
}

TEST_F(Navigation, TheWheelOverThePictureMovesATileANotchAndStopsSilentlyAtTheEnd) {
  const auto Turn = [this](int Delta, Qt::MouseButtons Buttons = Qt::NoButton) {
    QWheelEvent Event({300, 200}, Form->Image2->mapToGlobal(QPointF(300, 200)), {}, {0, Delta},
                      Buttons, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Form->Image2, &Event);
  };
  Form->ScrollBar1->setValue(1560);
  const std::size_t Before = Analyser->WrittenReports().size();
  Turn(-120), Turn(-120), Turn(-120);  // down: 1590, 1597 clipped, then the end
  Turn(120, Qt::LeftButton);           // a button held: nothing
  Turn(120);                           // up: 1567
  Form->ScrollBar1->setEnabled(false);
  Turn(120);
  EXPECT_EQ(SentSince(Before), (std::vector<TReportHead>{{0, cmdViewPosition, 6, 54},
                                                         {0, cmdViewPosition, 6, 61},
                                                         {0, cmdViewPosition, 6, 31}}));
  EXPECT_EQ(Environment().Beeps, 0);
  EXPECT_TRUE(Environment().Boxes.empty());
}

TEST_F(Navigation, AClickGivesTheBarTheKeysEachMoveSendsOneCommand) {
  Form->show();
  Form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
  Form->ScrollBar1->setValue(100);
  const std::size_t Before = Analyser->WrittenReports().size();
  // On the left arrow: one sample back, and the keyboard.
  QTest::mouseClick(Form->ScrollBar1, Qt::LeftButton, Qt::NoModifier, QPoint(4, 8));
  ASSERT_TRUE(Form->ScrollBar1->hasFocus());
  // Typed on the window: they reach whatever has the focus. Right, Down and
  // Page Down move on, the others back, as on Windows.
  for (const Qt::Key Key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown,
                            Qt::Key_PageUp, Qt::Key_End, Qt::Key_Home}) {
    QTest::keyClick(Form->windowHandle(), Key);
  }
  std::vector<TReportHead> Expected;
  for (const int Offset : {99, 100, 99, 100, 99, 100, 99, 1597, 0}) {
    Expected.push_back({0, cmdViewPosition, static_cast<std::uint8_t>(Offset / 256),
                        static_cast<std::uint8_t>(Offset % 256)});
  }
  EXPECT_EQ(SentSince(Before), Expected);
}

TEST(NavigationAlone, WithoutAnalyserTheOffsetAndTheSnapshotStillChange) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  Form.ScrollBar1->setValue(300);
  const auto& Bytes = Form.State.CommandReport.Bytes();
  EXPECT_EQ((TReportHead{Bytes[0], Bytes[1], Bytes[2], Bytes[3]}),
            (TReportHead{0, cmdViewPosition, 1, 44}));
  EXPECT_TRUE(QFile::exists(Harness.ProgramDir.filePath(QStringLiteral("1.bmp"))));
}

// ---- The move buttons ---------------------------------------------------------------

struct TMoveCase {
  const char* Name;
  int Offset;
  QToolButton* TForm1::*Button;
  std::optional<TReportHead> Sent;
  int Final;
  const QString* Message;  // nullptr: no beep, no box
};

class MoveButton : public Navigation, public testing::WithParamInterface<TMoveCase> {};

TEST_P(MoveButton, MovesClipsAndAnnouncesTheEndAfterTheCommand) {
  const TMoveCase& Case = GetParam();
  Form->ScrollBar1->setValue(Case.Offset);
  ASSERT_EQ(Form->ScrollBar1->value(), Case.Offset);
  const std::size_t Before = Analyser->WrittenReports().size();
  std::optional<std::size_t> SentAtBox;
  int BeepsAtBox = -1;
  Environment().BoxShown = [&](const TFakeEnvironment::TBox&) {
    SentAtBox = Analyser->WrittenReports().size();
    BeepsAtBox = Environment().Beeps;
  };
  const int Beeps = Environment().Beeps;

  (Form->*Case.Button)->click();

  EXPECT_EQ(Form->ScrollBar1->value(), Case.Final);
  const std::vector<TReportHead> Sent = SentSince(Before);
  if (Case.Sent) {
    EXPECT_EQ(Sent, std::vector<TReportHead>{*Case.Sent});
  } else {
    EXPECT_TRUE(Sent.empty());
  }
  const auto Information = Environment().Messages(TBoxKind::Information);
  if (Case.Message != nullptr) {
    EXPECT_EQ(Environment().Beeps, Beeps + 1);
    ASSERT_EQ(Information, std::vector<QString>{*Case.Message});
    // Beep, then the box, both after the command.
    EXPECT_EQ(SentAtBox, Before + Sent.size());
    EXPECT_EQ(BeepsAtBox, Beeps + 1);
  } else {
    EXPECT_EQ(Environment().Beeps, Beeps);
    EXPECT_TRUE(Information.empty());
  }
  EXPECT_TRUE(Environment().Messages(TBoxKind::Error).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, MoveButton,
    testing::Values(TMoveCase{"FiveTilesRightAtTheStart", 0, &TForm1::SpeedButton3, std::nullopt, 0,
                              &StartReached},
                    TMoveCase{"FiveTilesRightOntoTheStart", 150, &TForm1::SpeedButton3,
                              TReportHead{0, cmdViewPosition, 0, 0}, 0, &StartReached},
                    TMoveCase{"FiveTilesRightInside", 151, &TForm1::SpeedButton3,
                              TReportHead{0, cmdViewPosition, 0, 1}, 1, nullptr},
                    TMoveCase{"TenTilesRightOntoTheStart", 300, &TForm1::SpeedButton4,
                              TReportHead{0, cmdViewPosition, 0, 0}, 0, &StartReached},
                    TMoveCase{"TenTilesRightInside", 600, &TForm1::SpeedButton4,
                              TReportHead{0, cmdViewPosition, 1, 44}, 300, nullptr},
                    TMoveCase{"FiveTilesLeftOntoTheEnd", 1447, &TForm1::SpeedButton1,
                              TReportHead{0, cmdViewPosition, 6, 61}, 1597, nullptr},
                    TMoveCase{"FiveTilesLeftFromTheStart", 0, &TForm1::SpeedButton1,
                              TReportHead{0, cmdViewPosition, 0, 150}, 150, nullptr},
                    TMoveCase{"TenTilesLeftClipped", 1500, &TForm1::SpeedButton2,
                              TReportHead{0, cmdViewPosition, 6, 61}, 1597, &LimitReached},
                    TMoveCase{"TenTilesLeftAtTheEnd", 1597, &TForm1::SpeedButton2, std::nullopt,
                              1597, &LimitReached},
                    TMoveCase{"FiveTilesLeftAtTheEnd", 1597, &TForm1::SpeedButton1, std::nullopt,
                              1597, &LimitReached}),
    [](const testing::TestParamInfo<TMoveCase>& Info) { return std::string(Info.param.Name); });

TEST_F(Navigation, MoveWhoseSnapshotFailsEndsWithTheErrorAlone) {
  ASSERT_TRUE(QDir(Rig.Harness.ProgramDir.path()).mkdir(QStringLiteral("1.bmp")));
  Form->ScrollBar1->setValue(1500);
  Environment().Boxes.clear();
  const std::size_t Before = Analyser->WrittenReports().size();
  const int Beeps = Environment().Beeps;
  Form->SpeedButton2->click();
  EXPECT_EQ(Form->ScrollBar1->value(), 1597);
  EXPECT_EQ(SentSince(Before), (std::vector<TReportHead>{{0, cmdViewPosition, 6, 61}}));
  const auto Errors = Environment().Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("1.bmp"))) << Errors[0].toStdString();
  EXPECT_TRUE(Environment().Messages(TBoxKind::Information).empty());
  EXPECT_EQ(Environment().Beeps, Beeps);

  // The next move that meets the end without a change announces it again.
  Form->SpeedButton2->click();
  EXPECT_EQ(Environment().Messages(TBoxKind::Information), std::vector<QString>{LimitReached});
}

// ---- The end of a window -------------------------------------------------------------

class WindowEnd : public Navigation {
 protected:
  void SetUp() override {
    Navigation::SetUp();
    Rig.CountReports();
    Form->State.AcquisitionStopped = 1;
    Form->SpeedButton26->setEnabled(true);
  }

  void Replay() {
    Rig.Deliver(*Analyser, BlockReport(BlockRestitutionStart));
    Rig.Deliver(*Analyser, BlockReport(1, {0xFF, 0x00, 0xFF}));
    Rig.Deliver(*Analyser, BlockReport(BlockRestitutionEnd));
  }
};

TEST_F(WindowEnd, ErasesTheReadoutAndRedrawsTheMarkersWhenHalted) {
  Form->ShowReadout(300);
  Replay();
  EXPECT_EQ(Visible(*Form), Form->Renderer.BackBuffer());

  Form->SpeedButton26->click();
  Form->MarkerLeft = 200;  // where a drag left them
  Form->MarkerRight = 230;
  Replay();
  const QImage Shown = Visible(*Form);
  EXPECT_TRUE(ShowsDashedColumn(Shown, Form->Renderer.BackBuffer(), 200, ColourGreen));
  EXPECT_TRUE(ShowsDashedColumn(Shown, Form->Renderer.BackBuffer(), 230, ColourGreen));
  EXPECT_TRUE(ShowsTextAt(Shown, DtTextPosition, QStringLiteral("dt : 0.500ms"), ColourGreen));
  EXPECT_TRUE(
      ShowsTextAt(Shown, FrequencyTextPosition, QStringLiteral("1/dt : 2000.00Hz"), ColourGreen));
}

TEST_F(WindowEnd, MarkersAreNotRedrawnWhileTheHaltButtonIsUp) {
  Form->SpeedButton26->click();
  ASSERT_NE(Visible(*Form), Form->Renderer.BackBuffer());
  Form->SpeedButton25->setChecked(true);  // the single button takes the group's place
  ASSERT_FALSE(Form->SpeedButton23->isChecked());
  Replay();
  EXPECT_EQ(Visible(*Form), Form->Renderer.BackBuffer());
}

// ---- With the simulated analyser ------------------------------------------------------

TWindow WindowAt(const TSampleMemory& Memory, int Offset) {
  TWindow Window{};
  std::copy_n(Memory.begin() + Offset, SamplesPerWindow, Window.begin());
  return Window;
}

TEST(NavigationWithTheAnalyser, ScrollingShowsTheMemoryAtTheNewOffsetWithTheMarkersKept) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "");
  TSimulatedAnalyserDevice& Device = Rig.PlugAnswering();
  EnableNavigation(Form);
  Form.SendCommand(cmdSingle);
  ASSERT_TRUE(Device.Analyser()->WaitIdle(std::chrono::seconds(10)));
  const TSampleMemory Memory = Device.Analyser()->Memory();
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] {
    return Held(Form.State.SampleBuffer) == WindowAt(Memory, 0) &&
           Visible(Form) == Form.Renderer.BackBuffer();
  }));
  ASSERT_NE(WindowAt(Memory, 0), WindowAt(Memory, 300));

  // Halted, with the markers on.
  Form.State.AcquisitionStopped = 1;
  Form.SpeedButton26->setEnabled(true);
  Form.SpeedButton26->click();
  const auto MarkersShown = [&] {
    const QImage Shown = Visible(Form);
    const QImage& Back = Form.Renderer.BackBuffer();
    return ShowsDashedColumn(Shown, Back, 170, ColourGreen) &&
           ShowsDashedColumn(Shown, Back, 770, ColourGreen) &&
           ShowsTextAt(Shown, DtTextPosition, QStringLiteral("dt : 10.000ms"), ColourGreen);
  };
  ASSERT_TRUE(MarkersShown());

  for (const auto& [Move, MovedTo] :
       {std::pair<std::function<void()>, int>{[&] { Form.ScrollBar1->setValue(300); }, 300},
        {[&] { Form.SpeedButton1->click(); }, 450}}) {
    const int Offset = MovedTo;  // a lambda may not capture a structured binding in clang 14
    SCOPED_TRACE(Offset);
    const QImage Before = Visible(Form);
    Move();
    ASSERT_TRUE(Device.Analyser()->WaitIdle(std::chrono::seconds(10)));
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] {
      return Held(Form.State.SampleBuffer) == WindowAt(Memory, Offset) && Visible(Form) != Before &&
             MarkersShown();
    }));
    EXPECT_EQ(Device.Analyser()->Memory(), Memory);  // a move records nothing new
    // The readout reads the new window.
    Form.ShowReadout(22);
    const QString Group1 = QString::fromStdString(
        ReadoutText(1, static_cast<std::uint8_t>(Memory[static_cast<std::size_t>(Offset)])));
    EXPECT_TRUE(ShowsTextAt(Visible(Form), ReadoutGroup1Position, Group1, ColourRed));
    Form.SpeedButton26->click();
    Form.SpeedButton26->click();
  }
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
}

}  // namespace
