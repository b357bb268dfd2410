// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor readout and the measurement markers on the main window's visible
// picture: what a press, a drag and the marker button show, and the snapshot
// each release writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <utility>

#include "PictureTestHelpers.h"
#include "display/Measurement.h"
#include "display/PictureBox.h"
#include "display/PixelCanvas.h"
#include "display/SnapshotFile.h"
#include "tests/support/CaseNames.h"
#include "tests/support/FormHarness.h"

namespace {
using TBoxKind = TFakeEnvironment::TBoxKind;

using CaseNames::PrintTo;

// Group 1 counts the samples, group 2 counts down; sample 1 of inputs 9-16
// is 0 and sample 450 is 255.
std::uint8_t Group1Value(int N) {
  return static_cast<std::uint8_t>(N & 0xFF);
}
std::uint8_t Group2Value(int N) {
  if (N == 1) {
    return 0;
  }
  if (N == SamplesPerWindow) {
    return 255;
  }
  return static_cast<std::uint8_t>(200 - (N % 200));
}

/// Pixels of A that differ from B outside the columns and boxes given.
int DifferencesOutside(const QImage& A, const QImage& B, std::initializer_list<int> Columns,
                       std::initializer_list<QRect> Boxes) {
  int Count = 0;
  for (int Y = 0; Y < A.height(); ++Y) {
    for (int X = 0; X < A.width(); ++X) {
      bool Skipped = std::find(Columns.begin(), Columns.end(), X) != Columns.end();
      for (const QRect& Box : Boxes) {
        Skipped = Skipped || Box.contains(X, Y);
      }
      if (!Skipped && PixelAt(A, X, Y) != PixelAt(B, X, Y)) {
        ++Count;
      }
    }
  }
  return Count;
}

QRect TextBoxAt(TPixelPoint At, const QString& Text) {
  return {At.X, At.Y, TPixelCanvas::TextWidth(Text), TextHeight};
}

QString Utf8(const std::string& Text) {
  return QString::fromStdString(Text);
}

/// A window left as a halt leaves it: stopped, the marker button usable and
/// the halt button down, with a trace on the picture.
class Reading : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Harness.Start();
    Form->State.AcquisitionStopped = 1;
    Form->SpeedButton26->setEnabled(true);
    ASSERT_TRUE(Form->SpeedButton23->isChecked());
    Form->RedrawScreen();
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      Form->State.SampleBuffer.Cell(1, N) = Group1Value(N);
      Form->State.SampleBuffer.Cell(2, N) = Group2Value(N);
      Form->DrawSample(1, N, Group1Value(N));
    }
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      Form->DrawSample(2, N, Group2Value(N));
    }
    Form->PresentScreen();
  }

  QImage Visible() const { return std::as_const(*Form->Image2).Picture(); }
  QImage Back() const { return Form->Renderer.BackBuffer(); }

  /// Whether the picture shows exactly the readout of sample N over the trace.
  bool ShowsReadoutOf(int N) const {
    const QString Text1 = Utf8(ReadoutText(1, Group1Value(N)));
    const QString Text2 = Utf8(ReadoutText(2, Group2Value(N)));
    const QImage Shown = Visible();
    return ShowsTextAt(Shown, ReadoutGroup1Position, Text1, ColourRed) &&
           ShowsTextAt(Shown, ReadoutGroup2Position, Text2, ColourBlue) &&
           ShowsDashedColumn(Shown, Back(), 2 * N + 20, ColourMagenta) &&
           DifferencesOutside(Shown, Back(), {2 * N + 20},
                              {TextBoxAt(ReadoutGroup1Position, Text1),
                               TextBoxAt(ReadoutGroup2Position, Text2)}) == 0;
  }

  /// Whether the picture shows exactly the markers at Left and Right with
  /// the texts Dt and Frequency.
  bool ShowsMarkers(int Left, int Right, const QString& Dt, const QString& Frequency) const {
    const QImage Shown = Visible();
    return ShowsDashedColumn(Shown, Back(), Left, ColourGreen) &&
           ShowsDashedColumn(Shown, Back(), Right, ColourGreen) &&
           ShowsTextAt(Shown, DtTextPosition, Dt, ColourGreen) &&
           ShowsTextAt(Shown, FrequencyTextPosition, Frequency, ColourGreen) &&
           DifferencesOutside(
               Shown, Back(), {Left, Right},
               {TextBoxAt(DtTextPosition, Dt), TextBoxAt(FrequencyTextPosition, Frequency)}) == 0;
  }

  QString SnapshotPath() const { return Harness.ProgramDir.filePath(QStringLiteral("1.bmp")); }

  TFormHarness Harness;
  TForm1* Form = nullptr;
};

// ---- The marker button ---------------------------------------------------------

struct TSwitchOnCase {
  const char* Name;
  int TimeBaseIndex;
  const char* Dt;
  const char* Frequency;
};

class MarkerButton : public Reading, public testing::WithParamInterface<TSwitchOnCase> {};

TEST_P(MarkerButton, SwitchingOnShowsTheMarkersAtTheirStartAndTheirMeasurement) {
  Form->State.TimeBaseIndex = GetParam().TimeBaseIndex;
  // Wherever an earlier switch-on left them.
  Form->MarkerLeft = 300;
  Form->MarkerRight = 320;
  Form->ShowReadout(100);
  Form->SpeedButton26->click();
  ASSERT_TRUE(Form->SpeedButton26->isChecked());
  EXPECT_EQ(Form->MarkerLeft, 170);
  EXPECT_EQ(Form->MarkerRight, 770);
  // The readout went with the PresentScreen before the markers.
  EXPECT_TRUE(ShowsMarkers(170, 770, QString::fromUtf8(GetParam().Dt),
                           QString::fromUtf8(GetParam().Frequency)));
}

INSTANTIATE_TEST_SUITE_P(
    TimeBases, MarkerButton,
    testing::Values(TSwitchOnCase{"OneMillisecond", 13, "dt : 10.000ms", "1/dt : 100.00Hz"},
                    TSwitchOnCase{"OneMicrosecond", 4, "dt : 10.000µs", "1/dt : 100.000kHz"},
                    TSwitchOnCase{"HundredMicroseconds", 10, "dt : 1.000ms", "1/dt : 1.000kHz"},
                    TSwitchOnCase{"FiveHundredMicroseconds", 12, "dt : 5.000ms", "1/dt : 200.00Hz"},
                    TSwitchOnCase{"FiveHundredMilliseconds", 21, "dt : 5000.000ms",
                                  "1/dt : 0.20Hz"}),
    [](const testing::TestParamInfo<TSwitchOnCase>& Info) { return std::string(Info.param.Name); });

TEST_F(Reading, MarkersOnePixelApartAtOneMicrosecond) {
  Form->State.TimeBaseIndex = 4;
  Form->SpeedButton26->click();
  Form->MarkerLeft = 500;
  Form->MarkerRight = 501;
  Form->PresentScreen();
  Form->DrawMarkers();
  EXPECT_TRUE(ShowsMarkers(500, 501, QStringLiteral("dt : 0.017µs"),
                           QStringLiteral("1/dt : 60000.000kHz")));
}

TEST_F(Reading, SwitchingOffErasesMarkersAndTexts) {
  Form->SpeedButton26->click();
  Form->SpeedButton26->click();
  EXPECT_FALSE(Form->SpeedButton26->isChecked());
  EXPECT_EQ(Visible(), Back());
  // Nothing draws them while the button is up.
  Form->DrawMarkers();
  EXPECT_EQ(Visible(), Back());
}

TEST_F(Reading, WhileLoopingTheMarkerButtonAndTheMouseDrawNothing) {
  Form->ShowReadout(100);
  const QImage Before = Visible();
  Form->State.AcquisitionStopped = 0;
  Form->SpeedButton26->click();
  EXPECT_EQ(Visible(), Before);
  Form->DrawMarkers();
  EXPECT_EQ(Visible(), Before);

  Form->Image2MouseDown(300, 100);
  EXPECT_EQ(Form->State.MouseHeld, 1);
  Form->Image2MouseMove(400, 100);
  Form->SpeedButton26->click();  // up again: moves would read, if stopped
  Form->Image2MouseMove(500, 100);
  EXPECT_EQ(Visible(), Before);
  Form->Image2MouseUp(500, 100);
  EXPECT_EQ(Form->State.MouseHeld, 0);
  EXPECT_TRUE(QFile::exists(SnapshotPath()));
}

// ---- Cursor readout --------------------------------------------------------------

struct TPressCase {
  const char* Name;
  int X;
  int Y;
  std::optional<int> Sample;
};

class Press : public Reading, public testing::WithParamInterface<TPressCase> {};

TEST_P(Press, ShowsTheSampleUnderThePointerOrLeavesThePictureAlone) {
  Form->ShowReadout(100);  // sample 40 shown before
  ASSERT_TRUE(ShowsReadoutOf(40));
  const QImage Before = Visible();
  Form->Image2MouseDown(GetParam().X, GetParam().Y);
  EXPECT_EQ(Form->State.MouseHeld, 1);
  if (GetParam().Sample) {
    EXPECT_TRUE(ShowsReadoutOf(*GetParam().Sample));
  } else {
    EXPECT_EQ(Visible(), Before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Points, Press,
    testing::Values(TPressCase{"SampleZeroLeft", 20, 100, std::nullopt},
                    TPressCase{"SampleZeroRight", 21, 100, std::nullopt},
                    TPressCase{"FirstSample", 22, 100, 1}, TPressCase{"LastSample", 921, 100, 450},
                    TPressCase{"PastTheLastSample", 922, 100, std::nullopt},
                    TPressCase{"AboveTheGrid", 400, 10, std::nullopt},
                    TPressCase{"GridTop", 400, 20, 190}, TPressCase{"GridBottom", 400, 500, 190},
                    TPressCase{"BelowTheGrid", 400, 501, std::nullopt}),
    [](const testing::TestParamInfo<TPressCase>& Info) { return std::string(Info.param.Name); });

TEST_F(Reading, ReadoutOfInputs9To16ReadsZeroAndAllHigh) {
  Form->Image2MouseDown(22, 100);
  EXPECT_TRUE(ShowsTextAt(Visible(), {470, 4},
                          QStringLiteral("Entrées 9 - 16 -> Dec: 0   Hex: 00   Bin: 0"),
                          ColourBlue));
  EXPECT_TRUE(ShowsTextAt(Visible(), {180, 4},
                          QStringLiteral("Entrées 1 - 8 -> Dec: 1   Hex: 01   Bin: 1"), ColourRed));
  Form->Image2MouseMove(921, 100);
  EXPECT_TRUE(ShowsTextAt(Visible(), {470, 4},
                          QStringLiteral("Entrées 9 - 16 -> Dec: 255   Hex: FF   Bin: 11111111"),
                          ColourBlue));
}

TEST_F(Reading, DragKeepsReadingOutsideTheGridsHeightUntilRelease) {
  Form->Image2MouseDown(100, 100);
  ASSERT_TRUE(ShowsReadoutOf(40));
  Form->Image2MouseMove(200, 10);
  EXPECT_TRUE(ShowsReadoutOf(90));
  Form->Image2MouseMove(300, 700);
  EXPECT_TRUE(ShowsReadoutOf(140));
  // Past the samples: the last readout stays.
  Form->Image2MouseMove(930, 100);
  EXPECT_TRUE(ShowsReadoutOf(140));
  Form->Image2MouseUp(930, 100);
  EXPECT_EQ(Form->State.MouseHeld, 0);
  Form->Image2MouseMove(400, 100);
  EXPECT_TRUE(ShowsReadoutOf(140));
}

TEST_F(Reading, PressAboveTheGridStillArmsTheDrag) {
  Form->Image2MouseDown(200, 10);
  EXPECT_EQ(Visible(), Back());
  Form->Image2MouseMove(200, 12);
  EXPECT_TRUE(ShowsReadoutOf(90));
}

// ---- Dragging the markers ------------------------------------------------------------

TEST_F(Reading, PressWithTheMarkersOnOnlyArmsTheDrag) {
  Form->SpeedButton26->click();
  const QImage Before = Visible();
  Form->Image2MouseDown(300, 100);
  EXPECT_EQ(Form->State.MouseHeld, 1);
  EXPECT_EQ(Visible(), Before);
  // Moves without a button held drag nothing.
  Form->Image2MouseUp(300, 100);
  Form->Image2MouseMove(300, 100);
  EXPECT_EQ(Visible(), Before);
  EXPECT_EQ(Form->MarkerLeft, 170);
}

TEST_F(Reading, DragMovesTheNearerMarkerAndRemeasures) {
  Form->SpeedButton26->click();
  Form->Image2MouseDown(200, 100);
  Form->Image2MouseMove(300, 100);
  EXPECT_EQ(Form->MarkerLeft, 300);
  // 470 pixels at 1 ms per division.
  EXPECT_TRUE(
      ShowsMarkers(300, 770, QStringLiteral("dt : 7.833ms"), QStringLiteral("1/dt : 127.66Hz")));
  Form->Image2MouseMove(800, 100);
  EXPECT_EQ(Form->MarkerRight, 800);
  EXPECT_TRUE(
      ShowsMarkers(300, 800, QStringLiteral("dt : 8.333ms"), QStringLiteral("1/dt : 120.00Hz")));

  // Off the grid's columns everything is erased and nothing moves ...
  Form->Image2MouseMove(-3, 100);
  EXPECT_EQ(Visible(), Back());
  Form->Image2MouseMove(925, 100);
  EXPECT_EQ(Visible(), Back());
  // ... until the pointer comes back.
  Form->Image2MouseMove(5, 100);
  EXPECT_TRUE(
      ShowsMarkers(300, 800, QStringLiteral("dt : 8.333ms"), QStringLiteral("1/dt : 120.00Hz")));
}

TEST_F(Reading, DraggingTheLeftMarkerAcrossNeverReachesTheRightOne) {
  Form->SpeedButton26->click();
  Form->Image2MouseDown(170, 100);
  for (int X = 170; X <= 780; ++X) {
    Form->Image2MouseMove(X, 100);
    ASSERT_LT(Form->MarkerLeft, Form->MarkerRight) << X;
  }
  EXPECT_LE(Form->MarkerRight, 780);
}

// ---- Snapshot on release -------------------------------------------------------------

TEST_F(Reading, ReleaseWritesWhatThePictureShowsWhereverThePointerIs) {
  Form->Image2MouseDown(100, 100);
  Form->Image2MouseUp(-40, 900);
  const QImage Written(SnapshotPath());
  ASSERT_FALSE(Written.isNull());
  EXPECT_EQ(Written.convertToFormat(QImage::Format_RGB32), Visible());
  EXPECT_TRUE(ShowsReadoutOf(40));
}

TEST_F(Reading, SnapshotThatCannotBeWrittenIsReportedAndTheReleaseStillCounts) {
  ASSERT_TRUE(QDir(Harness.ProgramDir.path()).mkdir(QStringLiteral("1.bmp")));
  Form->Image2MouseDown(100, 100);
  Form->Image2MouseUp(100, 100);
  EXPECT_EQ(Form->State.MouseHeld, 0);
  const auto Errors = Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("1.bmp"))) << Errors[0].toStdString();
  EXPECT_TRUE(ShowsReadoutOf(40));
}

// ---- Through the picture control -----------------------------------------------------

TEST_F(Reading, MouseOnThePictureReadsDragsAndSnapshots) {
  Form->show();
  QTest::mousePress(Form->Image2, Qt::LeftButton, Qt::NoModifier, QPoint(22, 100));
  EXPECT_TRUE(ShowsReadoutOf(1));
  QTest::mouseMove(Form->Image2, QPoint(60, 5));
  EXPECT_TRUE(ShowsReadoutOf(20));
  QTest::mouseRelease(Form->Image2, Qt::LeftButton, Qt::NoModifier, QPoint(60, 5));
  EXPECT_EQ(Form->State.MouseHeld, 0);
  EXPECT_TRUE(QFile::exists(SnapshotPath()));

  QTest::mouseClick(Form->SpeedButton26, Qt::LeftButton);
  ASSERT_TRUE(Form->SpeedButton26->isChecked());
  QTest::mousePress(Form->Image2, Qt::RightButton, Qt::NoModifier, QPoint(700, 100));
  QTest::mouseMove(Form->Image2, QPoint(710, 100));
  EXPECT_EQ(Form->MarkerRight, 710);
  QTest::mouseRelease(Form->Image2, Qt::RightButton, Qt::NoModifier, QPoint(710, 100));
}

}  // namespace
