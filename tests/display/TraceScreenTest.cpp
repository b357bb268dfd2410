// SPDX-License-Identifier: GPL-3.0-or-later
// The trace picture driven by the main window: what its controls, its clock
// and its options make the two surfaces show, and the snapshot file.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QPaintEvent>
#include <QRadioButton>
#include <QRegion>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <functional>
#include <ostream>
#include <utility>

#include "PictureTestHelpers.h"
#include "app/Environment.h"
#include "display/PictureBox.h"
#include "display/PixelCanvas.h"
#include "display/SnapshotFile.h"
#include "display/TraceRenderer.h"
#include "tests/support/FormHarness.h"
#include "tests/support/PaintRecorder.h"

namespace {

const QImage& BackBuffer(const TForm1& Form) {
  return std::as_const(*Form.Image1).Picture();
}

const QImage& Visible(const TForm1& Form) {
  return std::as_const(*Form.Image2).Picture();
}

/// The back buffer a renderer of its own draws for Screen at Now.
QImage ExpectedScreen(const TScreenState& Screen, const QDateTime& Now) {
  TTraceRenderer Reference;
  QImage Unused;
  Reference.RedrawScreen(Screen, Unused, Now);
  return Reference.BackBuffer();
}

/// Whether the rows show "D0".."D7" twice (red, then blue) at the left or the
/// right margin.
bool ShowsBitLabels(const QImage& Picture, int X) {
  for (int Input = 1; Input <= 16; ++Input) {
    const QString Text = QStringLiteral("D%1").arg((Input - 1) % 8);
    const TRgb Colour = Input <= 8 ? ColourRed : ColourBlue;
    if (!ShowsTextAt(Picture, {X, 30 * Input}, Text, Colour)) {
      return false;
    }
  }
  return true;
}

/// Whether the rows show "1".."16", the one-digit labels two pixels further right.
bool ShowsNumberLabels(const QImage& Picture) {
  for (int Input = 1; Input <= 16; ++Input) {
    const TRgb Colour = Input <= 8 ? ColourRed : ColourBlue;
    if (!ShowsTextAt(Picture, {Input <= 9 ? 4 : 2, 30 * Input}, QString::number(Input), Colour)) {
      return false;
    }
  }
  return true;
}

void Tick(TForm1& Form) {
  QTimerEvent Event(Form.Timer1->timerId());
  QCoreApplication::sendEvent(Form.Timer1, &Event);
}

// ---- The first screen ----------------------------------------------------

struct TIndicatorCase {
  const char* Name;
  const char* Line;  // IndicatorSetting, or nullptr for no settings file
  bool Checked;
};

void PrintTo(const TIndicatorCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class FirstScreen : public testing::TestWithParam<TIndicatorCase> {};

TEST_P(FirstScreen, GridTextsAndBitLabelsWhateverTheIndicatorSetting) {
  TFormHarness Harness;
  if (GetParam().Line != nullptr) {
    Harness.WriteSettingsFile(SettingsBytes({"", "", "", "", "", "", "", "", "", GetParam().Line}));
  }
  TForm1& Form = Harness.Start();
  ASSERT_EQ(Form.Indicateurs116ouD0D151->isChecked(), GetParam().Checked);

  const QImage& Shown = Visible(Form);
  EXPECT_EQ(Shown, BackBuffer(Form));
  TScreenState Screen;
  Screen.TriggerMode = TTriggerMode::SynchOff;
  EXPECT_EQ(Shown, ExpectedScreen(Screen, Harness.Environment.Clock));
  // Grid line, frame, tile inside.
  EXPECT_EQ(PixelAt(Shown, 80, 50), 0x000000u);
  EXPECT_EQ(PixelAt(Shown, 19, 19), 0x000000u);
  EXPECT_EQ(PixelAt(Shown, 81, 51), 0xFFFFFFu);
  EXPECT_TRUE(ShowsTextAt(Shown, {740, 4}, QStringLiteral("Time/Div : 1ms"), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Shown, {50, 505}, QStringLiteral("Trigger: Synch OFF"), ColourBlack));
  EXPECT_TRUE(ShowsBitLabels(Shown, 2));
  EXPECT_TRUE(ShowsTextAt(Shown, {20, 4}, QStringLiteral("9:07:05  "), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Shown, {80, 4}, QStringLiteral("01/03/2026  "), ColourBlack));
  // No pull button checked yet: no pull text.
  EXPECT_EQ(CountPixels(Shown.copy(700, 502, 240, 18), ColourBlack), 0);
  EXPECT_EQ(Form.Panel1->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(Form.Panel1->autoFillBackground());

  // The saved choice shows from the next full redraw.
  Form.RedrawScreen();
  EXPECT_EQ(ShowsNumberLabels(BackBuffer(Form)), GetParam().Checked);
  EXPECT_EQ(ShowsBitLabels(BackBuffer(Form), 2), !GetParam().Checked);
}

INSTANTIATE_TEST_SUITE_P(IndicatorSetting, FirstScreen,
                         testing::Values(TIndicatorCase{"NoSettingsFile", nullptr, false},
                                         TIndicatorCase{"Numbers", "1", true},
                                         TIndicatorCase{"Bits", "0", false},
                                         TIndicatorCase{"TrailingBlank", "1 ", false}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(FirstScreen, ClockStampTakenFromTheEnvironmentsClock) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  const TClockStamp& Stamp = Form.State.ClockStamp;
  EXPECT_EQ(Stamp.DateTime, Harness.Environment.Clock);
  EXPECT_EQ((std::array<int, 6>{Stamp.Year, Stamp.Month, Stamp.Day, Stamp.Hour, Stamp.Minute,
                                Stamp.Second}),
            (std::array<int, 6>{2026, 3, 1, 9, 7, 5}));
  EXPECT_EQ(Stamp.MinuteText, QStringLiteral("7"));
}

// ---- Redraws follow the controls -------------------------------------------

struct TModeCase {
  const char* Name;
  QRadioButton* TForm1::*Button;
  TTriggerMode Mode;
  const char* Text;
};

void PrintTo(const TModeCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class TriggerModeRedraw : public testing::TestWithParam<TModeCase> {
 protected:
  void SetUp() override {
    Form = &Harness.StartShown();
    Form->GroupBox3->setEnabled(true);
    // Inputs 1 and 3 of the pattern ticked beforehand.
    Form->CheckBox1->setChecked(true);
    Form->CheckBox3->setChecked(true);
  }
  void Choose(QRadioButton* Button) {
    QTest::mouseClick(Button, Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
  }
  TFormHarness Harness;
  TForm1* Form = nullptr;
};

TEST_P(TriggerModeRedraw, NewTextLabelSideAndSymbolsShowAtOnce) {
  // A trace on the screen, to be erased.
  Form->DrawSample(1, 100, 0xFF);
  Form->PresentScreen();
  Choose(Form->*GetParam().Button);
  ASSERT_EQ(Form->CheckedTriggerMode(), GetParam().Mode);

  const bool Internal = GetParam().Mode == TTriggerMode::InternalEqual;
  const QImage& Shown = Visible(*Form);
  EXPECT_EQ(Shown, BackBuffer(*Form));
  EXPECT_TRUE(ShowsTextAt(Shown, {50, 505}, QString::fromUtf8(GetParam().Text), ColourBlack));
  EXPECT_TRUE(ShowsBitLabels(Shown, Internal ? 926 : 2));
  // In the internal mode the left margin holds the pattern symbols alone.
  if (Internal) {
    EXPECT_GT(CountPixels(Shown.copy(0, 25, 19, 240), ColourRed), 0);
  }
  TScreenState Screen;
  Screen.TriggerMode = GetParam().Mode;
  Screen.PatternBoxes = {true, false, true, false, false, false, false, false};
  EXPECT_EQ(Shown, ExpectedScreen(Screen, Harness.Environment.Clock));

  // Back to no synchronisation: the labels return left, the symbols go.
  Choose(Form->RadioButton1);
  Screen.TriggerMode = TTriggerMode::SynchOff;
  EXPECT_EQ(Visible(*Form), ExpectedScreen(Screen, Harness.Environment.Clock));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TriggerModeRedraw,
    testing::Values(TModeCase{"InternalEqual", &TForm1::RadioButton2, TTriggerMode::InternalEqual,
                              "Trigger: Interne Egal"},
                    TModeCase{"ExternalHigh", &TForm1::RadioButton3, TTriggerMode::ExternalHigh,
                              "Trigger: Externe Niveau Haut"},
                    TModeCase{"ExternalLow", &TForm1::RadioButton4, TTriggerMode::ExternalLow,
                              "Trigger: Externe Niveau Bas"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TControlCase {
  const char* Name;
  std::function<void(TForm1&)> Set;
  std::function<void(TScreenState&)> Expect;
  TPixelPoint At;  // where the changed text stands
  const char* Text;
  TRgb Colour;
};

void PrintTo(const TControlCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class ScreenFollowsControls : public testing::TestWithParam<TControlCase> {};

TEST_P(ScreenFollowsControls, NextRedrawShowsTheControlsState) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  GetParam().Set(Form);
  Form.RedrawScreen();
  EXPECT_TRUE(ShowsTextAt(BackBuffer(Form), GetParam().At, QString::fromUtf8(GetParam().Text),
                          GetParam().Colour));
  TScreenState Screen;
  Screen.TriggerMode = TTriggerMode::SynchOff;
  GetParam().Expect(Screen);
  EXPECT_EQ(BackBuffer(Form), ExpectedScreen(Screen, Harness.Environment.Clock));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ScreenFollowsControls,
    testing::Values(TControlCase{"PullUp",
                                 [](TForm1& F) { F.RadioButton5->setChecked(true); },
                                 [](TScreenState& S) { S.Pull = TPull::Up; },
                                 {740, 505},
                                 "Entrées Pull Up",
                                 ColourBlack},
                    TControlCase{"PullDown",
                                 [](TForm1& F) { F.RadioButton6->setChecked(true); },
                                 [](TScreenState& S) { S.Pull = TPull::Down; },
                                 {740, 505},
                                 "Entrées Pull Down",
                                 ColourBlack},
                    TControlCase{"FastestTimeBase",
                                 [](TForm1& F) { F.State.TimeBaseIndex = 4; },
                                 [](TScreenState& S) { S.TimeBaseIndex = 4; },
                                 {740, 4},
                                 "Time/Div : 1µs",
                                 ColourBlack},
                    TControlCase{"SlowestTimeBase",
                                 [](TForm1& F) { F.State.TimeBaseIndex = 21; },
                                 [](TScreenState& S) { S.TimeBaseIndex = 21; },
                                 {740, 4},
                                 "Time/Div : 500ms",
                                 ColourBlack},
                    TControlCase{"NumberLabels",
                                 [](TForm1& F) { F.Indicateurs116ouD0D151->setChecked(true); },
                                 [](TScreenState& S) { S.NumberLabels = true; },
                                 {2, 480},
                                 "16",
                                 ColourBlue}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(DisplayOptionsOnThePicture, LabelsOptionWaitsForTheNextRedraw) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  const QImage Before = Visible(Form);
  Form.Indicateurs116ouD0D151->setEnabled(true);
  Form.Indicateurs116ouD0D151->trigger();
  EXPECT_EQ(Visible(Form), Before);
  EXPECT_EQ(BackBuffer(Form), Before);
  Form.RedrawScreen();
  Form.PresentScreen();
  EXPECT_TRUE(ShowsNumberLabels(Visible(Form)));
  Form.Indicateurs116ouD0D151->trigger();
  Form.RedrawScreen();
  EXPECT_TRUE(ShowsBitLabels(BackBuffer(Form), 2));
}

// ---- Clock tick ------------------------------------------------------------

struct TTickCase {
  const char* Name;
  QDateTime Now;
  const char* Time;
  const char* Date;
};

void PrintTo(const TTickCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class ClockTick : public testing::TestWithParam<TTickCase> {};

TEST_P(ClockTick, StampOnBothSurfacesOverlaysKept) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  EXPECT_TRUE(Form.Timer1->isActive());
  EXPECT_EQ(Form.Timer1->interval(), 1000);
  // A readout line on the visible picture and a sample in the back buffer
  // both outlive the tick.
  {
    TPixelCanvas Overlay(Form.Image2->Picture());
    Overlay.SetPen(ColourMagenta);
    Overlay.Line({{300, 20}, {300, 500}});
  }
  Form.DrawSample(2, 5, 0xFF);
  const QImage VisibleBefore = Visible(Form);
  const QImage BackBefore = BackBuffer(Form);

  Harness.Environment.Clock = GetParam().Now;
  Tick(Form);

  for (const QImage* Surface : {&Visible(Form), &BackBuffer(Form)}) {
    EXPECT_TRUE(ShowsTextAt(*Surface, {20, 4}, QString::fromUtf8(GetParam().Time), ColourBlack));
    EXPECT_TRUE(ShowsTextAt(*Surface, {80, 4}, QString::fromUtf8(GetParam().Date), ColourBlack));
  }
  // Below the stamp's line nothing changed on either surface.
  EXPECT_EQ(Visible(Form).copy(0, 16, 940, 504), VisibleBefore.copy(0, 16, 940, 504));
  EXPECT_EQ(BackBuffer(Form).copy(0, 16, 940, 504), BackBefore.copy(0, 16, 940, 504));
  EXPECT_EQ(Form.State.ClockStamp.DateTime, GetParam().Now);
  EXPECT_EQ(Form.State.ClockStamp.Hour, GetParam().Now.time().hour());
  EXPECT_EQ(Form.State.ClockStamp.DayText, QString::number(GetParam().Now.date().day()));
}

INSTANTIATE_TEST_SUITE_P(
    Times, ClockTick,
    testing::Values(TTickCase{"Noon", QDateTime(QDate(2025, 6, 15), QTime(12, 0, 0)), "12:00:00  ",
                              "15/06/2025  "},
                    TTickCase{"AfterMidnight", QDateTime(QDate(2025, 1, 2), QTime(0, 0, 9)),
                              "0:00:09  ", "02/01/2025  "},
                    TTickCase{"LastDayOfTheYear", QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)),
                              "23:59:59  ", "31/12/2025  "}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TRepaintCase {
  const char* Name;
  std::function<void(TForm1&)> Act;
  /// The repaint must cover every changed pixel and stay within this.
  QRect Within;
};

void PrintTo(const TRepaintCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class VisibleRepaint : public testing::TestWithParam<TRepaintCase> {};

TEST_P(VisibleRepaint, CoversWhatChangedOnTheShownPicture) {
  TFormHarness Harness;
  TForm1& Form = Harness.StartShown();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
  QCoreApplication::processEvents();
  Form.DrawSample(1, 100, 0xFF);
  TPaintRecorder Recorder(*Form.Image2);
  Harness.Environment.Clock = QDateTime(QDate(2025, 6, 15), QTime(12, 0, 0));
  const QImage Before = Visible(Form).copy();

  GetParam().Act(Form);
  for (int Turn = 0; Turn < 10; ++Turn) {
    QCoreApplication::processEvents();
    QTest::qWait(5);
  }

  const QImage After = Visible(Form);
  ASSERT_NE(After, Before);
  int Missed = 0;
  for (int Y = 0; Y < After.height(); ++Y) {
    for (int X = 0; X < After.width(); ++X) {
      Missed += After.pixel(X, Y) != Before.pixel(X, Y) && !Recorder.Painted.contains(QPoint(X, Y));
    }
  }
  EXPECT_EQ(Missed, 0);
  EXPECT_TRUE(GetParam().Within.contains(Recorder.Painted.boundingRect()))
      << "repainted " << Recorder.Painted.boundingRect().width() << "x"
      << Recorder.Painted.boundingRect().height();
}

INSTANTIATE_TEST_SUITE_P(Changes, VisibleRepaint,
                         testing::Values(TRepaintCase{"ClockTickRepaintsTheStampLineOnly", Tick,
                                                      QRect(0, 0, 940, 16)},
                                         TRepaintCase{"PresentRepaintsThePicture",
                                                      [](TForm1& Form) { Form.PresentScreen(); },
                                                      QRect(0, 0, 940, 520)}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// ---- Samples ---------------------------------------------------------------

class SampleThroughTheWindow : public testing::TestWithParam<bool> {};

TEST_P(SampleThroughTheWindow, BackBufferOnlyUntilPresentedEdgesAsTheOptionSays) {
  const bool Edges = GetParam();
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  Form.Afficherfrontsmontantsetdescendants1->setEnabled(true);
  if (!Edges) {
    Form.Afficherfrontsmontantsetdescendants1->trigger();
  }
  ASSERT_EQ(Form.Afficherfrontsmontantsetdescendants1->isChecked(), Edges);
  Form.RedrawScreen();
  Form.PresentScreen();
  const QImage Before = Visible(Form);

  Form.DrawSample(1, 1, 0x01);
  Form.DrawSample(1, 2, 0x00);
  Form.DrawSample(2, 1, 0x80);
  EXPECT_EQ(Visible(Form), Before);

  const QImage& Back = BackBuffer(Form);
  EXPECT_EQ(PixelAt(Back, 20, 30), 0xFF0000u);
  EXPECT_EQ(PixelAt(Back, 21, 30), 0xFF0000u);
  EXPECT_EQ(PixelAt(Back, 22, 30), Edges ? 0xFF0000u : 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Back, 23, 40), Edges ? 0xFF0000u : 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Back, 23, 49), Edges ? 0xFFFFFFu : 0xFF0000u);
  EXPECT_EQ(PixelAt(Back, 21, 480), 0x0000FFu);  // input 16 high
  EXPECT_EQ(PixelAt(Back, 21, 289), 0x0000FFu);  // input 9 low

  Form.PresentScreen();
  EXPECT_EQ(Visible(Form), Back);
}

INSTANTIATE_TEST_SUITE_P(EdgesOption, SampleThroughTheWindow, testing::Bool(),
                         [](const auto& Info) {
                           return std::string(Info.param ? "EdgesShown" : "LevelsOnly");
                         });

TEST(SampleThroughTheWindow, OnlyTheLowByteOfTheValueCounts) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  Form.DrawSample(1, 1, 0x1FE);  // input 1 low, inputs 2..8 high
  EXPECT_EQ(PixelAt(BackBuffer(Form), 21, 49), 0xFF0000u);
  EXPECT_EQ(PixelAt(BackBuffer(Form), 21, 60), 0xFF0000u);
  EXPECT_EQ(PixelAt(BackBuffer(Form), 21, 30), 0xFFFFFFu);
}

// ---- Snapshot file -----------------------------------------------------------

TEST(SnapshotThroughTheWindow, HoldsTheVisiblePictureWithItsOverlays) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  {
    TPixelCanvas Overlay(Form.Image2->Picture());
    Overlay.SetPen(ColourGreen, TPenStyle::Dashed);
    Overlay.Line({{170, 20}, {170, 500}});
  }
  Form.DrawSample(1, 1, 0xFF);  // in the back buffer only

  Form.WriteSnapshotFile();
  const QString Path = Harness.ProgramDir.filePath(QStringLiteral("1.bmp"));
  EXPECT_EQ(Form.FileInProgramFolder(QStringLiteral("1.bmp")), Path);
  QImage Loaded(Path, "BMP");
  ASSERT_FALSE(Loaded.isNull());
  EXPECT_EQ(Loaded.convertToFormat(QImage::Format_RGB32), Visible(Form));
  EXPECT_NE(Loaded.convertToFormat(QImage::Format_RGB32), BackBuffer(Form));
}

#ifndef _WIN32
TEST(SnapshotThroughTheWindow, UnwritableFolderThrowsAndKeepsFileAndPictures) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  const QString Path = Harness.ProgramDir.filePath(QStringLiteral("1.bmp"));
  {
    QFile Old(Path);
    ASSERT_TRUE(Old.open(QIODevice::WriteOnly));
    ASSERT_EQ(Old.write("old snapshot"), 12);
  }
  const QImage VisibleBefore = Visible(Form);
  const QImage BackBefore = BackBuffer(Form);
  ASSERT_TRUE(QFile::setPermissions(Harness.ProgramDir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                                   QFile::ReadOther |
                                                                   QFile::ExeOther));
  QString Message;
  {
    TUnprivilegedFiles Unprivileged;
    try {
      Form.WriteSnapshotFile();
    } catch (const TFileWriteError& Error) {
      Message = QString::fromUtf8(Error.what());
    }
  }
  QFile::setPermissions(Harness.ProgramDir.path(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_TRUE(Message.contains(QDir::toNativeSeparators(Path))) << Message.toStdString();
  QFile Old(Path);
  ASSERT_TRUE(Old.open(QIODevice::ReadOnly));
  EXPECT_EQ(Old.readAll(), QByteArray("old snapshot"));
  EXPECT_EQ(Visible(Form), VisibleBefore);
  EXPECT_EQ(BackBuffer(Form), BackBefore);
}
#endif

}  // namespace
