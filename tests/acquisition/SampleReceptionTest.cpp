// SPDX-License-Identifier: GPL-3.0-or-later
// Reception of restitutions, end to end: reports go through the simulated
// interface, the window's reader thread and its report handler.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <ostream>

#include "app/PictureControl.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"
#include "tests/support/CaseNames.h"
#include "tests/support/PaintRecorder.h"

namespace {
using TBoxKind = TFakeEnvironment::TBoxKind;

using CaseNames::PrintTo;

const QString Finished = QStringLiteral("Restitution des données terminée.");

// Every sample different from its neighbours in both groups.
TWindow Pattern(int Seed) {
  TWindow Window{};
  for (std::size_t I = 0; I < Window.size(); ++I) {
    const auto N = static_cast<unsigned>(I) + static_cast<unsigned>(Seed);
    Window[I] = static_cast<std::uint16_t>(((N * 7U) & 0xFFU) | (((N * 13U + 5U) & 0xFFU) << 8));
  }
  return Window;
}

class Reception : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Rig.Start("100", "");
    Analyser = Rig.Plug(AnalyserInterface());
    Rig.CountReports();
  }

  void Restitute(const TWindow& Window) { Rig.DeliverRestitution(*Analyser, Window); }

  QImage Visible() const { return std::as_const(*Form->Image2).Picture(); }
  QImage Back() const { return Form->Renderer.BackBuffer(); }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  std::shared_ptr<TSimulatedHidInterface> Analyser;
};

TEST_F(Reception, RestitutionFillsBothPlanesAndChangesThePictureOnlyAtItsEnd) {
  const TWindow Window = Pattern(0);
  std::vector<int> Changed;
  for (const auto& Block : BuildRestitution(Window)) {
    const QImage Before = Visible();
    Rig.Deliver(*Analyser, BlockReport(Block));
    if (Visible() != Before) {
      Changed.push_back(Block[0]);
    }
  }
  EXPECT_EQ(Changed, std::vector<int>{BlockRestitutionEnd});
  EXPECT_EQ(Held(Form->State.SampleBuffer), Window);
  EXPECT_TRUE(Visible() == Back());
}

TEST_F(Reception, LastBlockOfAGroupTakesOnlyItsNineSamples) {
  Restitute(Pattern(3));
  const TWindow Before = Held(Form->State.SampleBuffer);
  std::vector<std::uint8_t> Bytes(63, 0x00);
  std::fill(Bytes.begin(), Bytes.begin() + 9, 0xFF);
  Rig.Deliver(*Analyser, BlockReport(8, Bytes));

  TWindow Expected = Before;
  for (int N = 442; N <= 450; ++N) {
    auto& Cell = Expected[static_cast<std::size_t>(N - 1)];
    Cell = static_cast<std::uint16_t>((Cell & 0xFF00) | 0xFF);
  }
  EXPECT_EQ(Held(Form->State.SampleBuffer), Expected);
}

TEST_F(Reception, BlockThirteenByteFiveLandsInGroupTwoCell131) {
  std::vector<std::uint8_t> Bytes(63, 0);
  Bytes[4] = 0xA5;
  Rig.Deliver(*Analyser, BlockReport(13, Bytes));
  EXPECT_EQ(Form->State.SampleBuffer.Cell(2, 131), 0xA5);
  EXPECT_EQ(Form->State.SampleBuffer.Cell(1, 131), 0);
  EXPECT_EQ(Form->State.SampleBuffer.Cell(2, 130), 0);
}

TEST_F(Reception, LitLampMovesBetweenTheSpotsWithEveryRestitution) {
  // Nothing is lit before the first restitution.
  EXPECT_TRUE(Form->Image9->isHidden());
  EXPECT_TRUE(Form->Image8->isHidden());
  const bool UpperLit[] = {true, false, true};
  for (int Round = 0; Round < 3; ++Round) {
    Restitute(Pattern(Round));
    SCOPED_TRACE(Round);
    EXPECT_EQ(Form->State.RestitutionCount, Round + 1);
    EXPECT_EQ(!Form->Image9->isHidden(), UpperLit[Round]);   // upper, lit
    EXPECT_EQ(!Form->Image7->isHidden(), !UpperLit[Round]);  // upper, unlit
    EXPECT_EQ(!Form->Image8->isHidden(), !UpperLit[Round]);  // lower, lit
    EXPECT_EQ(!Form->Image10->isHidden(), UpperLit[Round]);  // lower, unlit
  }
}

TEST_F(Reception, LampsSwapWithoutRepaintingTheirGroup) {
  Form->show();
  for (int Turn = 0; Turn < 100 && !Form->windowHandle()->isExposed(); ++Turn) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_TRUE(Form->windowHandle()->isExposed());
  QCoreApplication::processEvents();
  TPaintRecorder Group(*Form->GroupBox2);
  TPaintRecorder Lamps(Form->Image9->Layer());
  for (int Round = 0; Round < 2; ++Round) {
    Restitute(Pattern(Round));
    QCoreApplication::processEvents();
  }
  EXPECT_GT(Lamps.Paints, 0);
  EXPECT_EQ(Group.Paints, 0) << "the group box repainted behind its lamps";
}

// What the screen shows after a loop of restitutions, each repainting only
// its trace bands, is the picture itself.
TEST_F(Reception, ScreenShowsThePictureAfterPartialRepaints) {
  Form->Panel6->hide();  // the prompt over the picture, gone once looping
  Form->show();
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form->windowHandle()->isExposed(); }));
  for (int Round = 0; Round < 4; ++Round) {
    Restitute(Pattern(Round));
    QCoreApplication::processEvents();
  }
  const QPoint At = Form->Image2->mapTo(Form, QPoint(0, 0));
  const QImage Shown = Form->screen()
                           ->grabWindow(Form->winId(), At.x(), At.y(), PictureWidth, PictureHeight)
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(Shown, Visible());
}

struct TStatusCase {
  const char* Name;
  std::int32_t SingleShot;
  std::uint8_t Code;
  bool Finishes;
};

class ReceptionStatus : public Reception, public testing::WithParamInterface<TStatusCase> {};

TEST_P(ReceptionStatus, SingleAcquisitionTextComesWithAnyReport) {
  const TStatusCase& Case = GetParam();
  Restitute(Pattern(1));
  const TWindow Samples = Held(Form->State.SampleBuffer);
  const QImage Picture = Visible();
  const QImage Buffer = Back();
  const std::int32_t Count = Form->State.RestitutionCount;
  Form->StatusBar1->SetPanelText(
      1, QStringLiteral("Acqusistion en RAM en cours. Veuillez patienter..."));
  Form->State.SingleShot = Case.SingleShot;

  Rig.Deliver(*Analyser, BlockReport(Case.Code, std::vector<std::uint8_t>(63, 0x3C)));
  EXPECT_EQ(Form->StatusBar1->PanelText(1) == Finished, Case.Finishes);
  if (Case.Code > 21) {  // carries nothing
    EXPECT_EQ(Held(Form->State.SampleBuffer), Samples);
    EXPECT_TRUE(Visible() == Picture);
    EXPECT_TRUE(Back() == Buffer);
    EXPECT_EQ(Form->State.RestitutionCount, Count);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReceptionStatus,
    testing::Values(TStatusCase{"UnknownBlockInSingle", 1, 30, true},
                    TStatusCase{"StartBlockInSingle", 1, BlockRestitutionStart, true},
                    TStatusCase{"FirstSampleBlockInSingle", 1, 1, true},
                    TStatusCase{"UnknownBlockWhileLooping", 0, 30, false},
                    TStatusCase{"StartBlockWhileLooping", 0, BlockRestitutionStart, false}),
    [](const testing::TestParamInfo<TStatusCase>& Info) { return std::string(Info.param.Name); });

TEST_F(Reception, ShortReportsStoreOnlyWhatTheyCarry) {
  Restitute(Pattern(2));
  const TWindow Before = Held(Form->State.SampleBuffer);
  const std::int32_t Count = Form->State.RestitutionCount;

  Rig.Deliver(*Analyser, {0});  // the report id alone
  Rig.Deliver(*Analyser, {0, 17, 0x11});
  Rig.Deliver(*Analyser, {0, 1, 0xAB, 0xCD});

  TWindow Expected = Before;
  Expected[0] = static_cast<std::uint16_t>((Expected[0] & 0xFF00) | 0xAB);
  Expected[1] = static_cast<std::uint16_t>((Expected[1] & 0xFF00) | 0xCD);
  Expected[378] = static_cast<std::uint16_t>((Expected[378] & 0x00FF) | 0x11 << 8);  // cell 379
  EXPECT_EQ(Held(Form->State.SampleBuffer), Expected);
  EXPECT_EQ(Form->State.RestitutionCount, Count + 1);
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
}

TEST_F(Reception, RestitutionEndWritesTheSnapshotOfWhatIsShownOnceStopped) {
  const QString Snapshot = Rig.Harness.ProgramDir.filePath(QStringLiteral("1.bmp"));
  const auto WrittenMatchesShown = [&] {
    QImage Written(Snapshot, "BMP");
    return !Written.isNull() && Written.convertToFormat(QImage::Format_RGB32) ==
                                    Visible().convertToFormat(QImage::Format_RGB32);
  };
  Restitute(Pattern(4));  // looping: no snapshot
  EXPECT_FALSE(QFile::exists(Snapshot));

  Form->State.SingleShot = 1;  // a single acquisition
  Form->State.AcquisitionStopped = 1;
  Restitute(Pattern(5));
  EXPECT_TRUE(WrittenMatchesShown());

  Form->State.SingleShot = 0;  // halted after a loop: the last restitution or a scroll
  Restitute(Pattern(7));
  EXPECT_TRUE(WrittenMatchesShown());
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
}

TEST_F(Reception, SnapshotThatCannotBeWrittenIsReportedAndThePictureStays) {
  ASSERT_TRUE(QDir(Rig.Harness.ProgramDir.path()).mkdir(QStringLiteral("1.bmp")));
  Form->State.SingleShot = 1;
  Form->State.AcquisitionStopped = 1;
  const TWindow Window = Pattern(6);
  Restitute(Window);
  // The box opens once the report handler has returned.
  TAnalyserRig::RunUntil([&] { return !Rig.Harness.Environment.Boxes.empty(); });
  const auto Errors = Rig.Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("1.bmp"))) << Errors[0].toStdString();
  EXPECT_TRUE(Visible() == Back());
  EXPECT_EQ(Held(Form->State.SampleBuffer), Window);
  EXPECT_EQ(Form->StatusBar1->PanelText(1), Finished);
}

TEST(ReceptionFromTheAnalyser, SingleAcquisitionIsReceivedAndShown) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "1");
  TSimulatedAnalyserDevice& Analyser = Rig.PlugAnswering();
  const QImage Empty = std::as_const(*Form.Image2).Picture();
  Form.State.SingleShot = 1;
  Form.State.AcquisitionStopped = 1;
  Form.SendCommand(cmdSingle);

  ASSERT_TRUE(Analyser.Analyser()->WaitIdle(std::chrono::seconds(10)));
  ASSERT_EQ(Analyser.Analyser()->State().RestitutionCount, 1);
  const TSampleMemory Memory = Analyser.Analyser()->Memory();
  TWindow Expected{};
  std::copy_n(Memory.begin(), SamplesPerWindow, Expected.begin());
  const QString Snapshot = Rig.Harness.ProgramDir.filePath(QStringLiteral("1.bmp"));
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return QFile::exists(Snapshot); }));
  EXPECT_EQ(Held(Form.State.SampleBuffer), Expected);
  EXPECT_EQ(Form.State.RestitutionCount, 1);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Finished);
  EXPECT_TRUE(std::as_const(*Form.Image2).Picture() != Empty);
}

}  // namespace
