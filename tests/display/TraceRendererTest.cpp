// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/TraceRenderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "PictureTestHelpers.h"
#include "display/PixelCanvas.h"

namespace {

const QDateTime Noon(QDate(2025, 12, 31), QTime(12, 0, 0));

QImage WhitePicture() {
  QImage Image(PictureWidth, PictureHeight, QImage::Format_RGB32);
  Image.fill(ColourWhite);
  return Image;
}

TEST(Grid, LinesAndFrameWithTheirEndPointsLeftOut) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  const QImage& Back = Renderer.BackBuffer();
  ASSERT_EQ(Back.size(), QSize(940, 520));
  for (int K = 0; K <= 15; ++K) {
    const int X = 20 + 60 * K;
    EXPECT_EQ(PixelAt(Back, X, 20), 0u) << X;
    EXPECT_EQ(PixelAt(Back, X, 499), 0u) << X;
    EXPECT_EQ(PixelAt(Back, X + 1, 35), K < 15 ? 0xFFFFFFu : 0u) << X;  // the frame follows x = 920
  }
  for (int K = 0; K <= 16; ++K) {
    const int Y = 20 + 30 * K;
    EXPECT_EQ(PixelAt(Back, 21, Y), 0u) << Y;
    EXPECT_EQ(PixelAt(Back, 919, Y), 0u) << Y;
    EXPECT_EQ(PixelAt(Back, 50, Y + 1), Y == 500 ? 0u : 0xFFFFFFu) << Y;
  }
  // Frame one pixel outside, top, bottom, left and right.
  EXPECT_EQ(PixelAt(Back, 19, 19), 0u);
  EXPECT_EQ(PixelAt(Back, 920, 19), 0u);
  EXPECT_EQ(PixelAt(Back, 921, 19), 0u);
  EXPECT_EQ(PixelAt(Back, 19, 500), 0u);
  EXPECT_EQ(PixelAt(Back, 19, 501), 0u);
  EXPECT_EQ(PixelAt(Back, 920, 501), 0u);
  EXPECT_EQ(PixelAt(Back, 921, 500), 0u);
  // Each line stops before its end point: two corners stay white.
  EXPECT_EQ(PixelAt(Back, 920, 500), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Back, 921, 501), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Back, 18, 18), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Back, 922, 502), 0xFFFFFFu);
}

TEST(Grid, BlackPixelsAreExactlyTheGridAndTheFrame) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  // 16 columns of 480, 17 rows of 900, less 15 × 16 crossings; frame
  // 902 + 902 + 482 + 482 less its one shared corner.
  EXPECT_EQ(CountPixels(Renderer.BackBuffer(), ColourBlack), 7680 + 15300 - 240 + 2767);
  EXPECT_EQ(CountPixels(Renderer.BackBuffer(), ColourBlack) +
                CountPixels(Renderer.BackBuffer(), ColourWhite),
            940 * 520);
}

TEST(Grid, StartsAFreshWhitePicture) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  const QImage Empty = Renderer.BackBuffer().copy();
  for (int N = 1; N <= 450; ++N) {
    Renderer.DrawSample(1, N, 0xA5, true);
  }
  Renderer.DrawChannelLabels(true, true);
  Renderer.DrawGrid();
  EXPECT_EQ(Renderer.BackBuffer(), Empty);
}

struct TLabelCase {
  const char* Name;
  bool NumberLabels;
  bool InternalEqual;
  int Input;
  const char* Text;
  TPixelPoint At;
};

class ChannelLabels : public testing::TestWithParam<TLabelCase> {};

TEST_P(ChannelLabels, StandLevelWithTheHighLine) {
  const TLabelCase& Case = GetParam();
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  Renderer.DrawChannelLabels(Case.NumberLabels, Case.InternalEqual);
  const TRgb Colour = Case.Input <= 8 ? ColourRed : ColourBlue;
  EXPECT_TRUE(ShowsTextAt(Renderer.BackBuffer(), Case.At, QString::fromUtf8(Case.Text), Colour));
  // Nothing of the labels' colours on the other side of the picture.
  const int OtherSide = Case.InternalEqual ? 0 : 922;
  const QImage Margin = Renderer.BackBuffer().copy(OtherSide, 0, 18, 520);
  EXPECT_EQ(CountPixels(Margin, ColourRed) + CountPixels(Margin, ColourBlue), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ChannelLabels,
    testing::Values(TLabelCase{"Number1", true, false, 1, "1", {4, 30}},
                    TLabelCase{"Number8", true, false, 8, "8", {4, 240}},
                    TLabelCase{"Number9", true, false, 9, "9", {4, 270}},
                    TLabelCase{"Number10", true, false, 10, "10", {2, 300}},
                    TLabelCase{"Number16", true, false, 16, "16", {2, 480}},
                    TLabelCase{"Bit0", false, false, 1, "D0", {2, 30}},
                    TLabelCase{"Bit7", false, false, 8, "D7", {2, 240}},
                    TLabelCase{"Bit0SecondGroup", false, false, 9, "D0", {2, 270}},
                    TLabelCase{"Bit7SecondGroup", false, false, 16, "D7", {2, 480}},
                    TLabelCase{"InternalNumber1", true, true, 1, "1", {928, 30}},
                    TLabelCase{"InternalNumber9", true, true, 9, "9", {928, 270}},
                    TLabelCase{"InternalNumber10", true, true, 10, "10", {926, 300}},
                    TLabelCase{"InternalBit3", false, true, 4, "D3", {926, 120}},
                    TLabelCase{"InternalBit5SecondGroup", false, true, 14, "D5", {926, 420}}),
    [](const testing::TestParamInfo<TLabelCase>& Info) { return Info.param.Name; });

// Symbols beside input 1 (b = 30) as rows b .. b + 10, columns 0 .. 14.
const std::vector<std::string> FallingSymbol = {
    "...######......", "........#......", "........#......", ".....#..#..#...",
    ".....#..#..#...", "......#.#.#....", ".......###.....", ".......###.....",
    "........#......", "........#......", "........#####..",
};
const std::vector<std::string> RisingSymbol = {
    "........#####..", "........#......", "........#......", ".......###.....",
    ".......###.....", "......#.#.#....", ".....#..#..#...", ".....#..#..#...",
    "........#......", "........#......", "...######......",
};

struct TPatternCase {
  const char* Name;
  std::array<bool, 8> Boxes;
};

class TriggerSymbols : public testing::TestWithParam<TPatternCase> {};

TEST_P(TriggerSymbols, RisingForCheckedBoxesFallingForClearOnes) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  Renderer.DrawTriggerStatus(TTriggerMode::InternalEqual, GetParam().Boxes);
  const QImage& Back = Renderer.BackBuffer();
  for (int Input = 1; Input <= 8; ++Input) {
    const bool Rising = GetParam().Boxes[static_cast<std::size_t>(Input - 1)];
    EXPECT_EQ(InkRows(Back, 0, 30 * Input, 15, 11, ColourRed),
              Rising ? RisingSymbol : FallingSymbol)
        << "input " << Input;
  }
  // Eight symbols of 30 pixels and nothing else red; the trigger text is black.
  EXPECT_EQ(CountPixels(Back, ColourRed), 8 * 30);
  EXPECT_TRUE(ShowsTextAt(Back, {50, 505}, QStringLiteral("Trigger: Interne Egal"), ColourBlack));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, TriggerSymbols,
    testing::Values(
        TPatternCase{"NoneTicked", {}},
        TPatternCase{"Box8Alone", {false, false, false, false, false, false, false, true}},
        TPatternCase{"Inputs1And3", {true, false, true, false, false, false, false, false}},
        TPatternCase{"AllTicked", {true, true, true, true, true, true, true, true}}),
    [](const testing::TestParamInfo<TPatternCase>& Info) { return Info.param.Name; });

struct TModeCase {
  const char* Name;
  TTriggerMode Mode;
  const char* Text;
};

class TriggerTexts : public testing::TestWithParam<TModeCase> {};

TEST_P(TriggerTexts, OtherModesWriteTheirTextAndNoSymbol) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  Renderer.DrawTriggerStatus(GetParam().Mode, {true, true, true, true, true, true, true, true});
  EXPECT_TRUE(ShowsTextAt(Renderer.BackBuffer(), {50, 505}, QString::fromUtf8(GetParam().Text),
                          ColourBlack));
  EXPECT_EQ(CountPixels(Renderer.BackBuffer(), ColourRed), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TriggerTexts,
    testing::Values(
        TModeCase{"SynchOff", TTriggerMode::SynchOff, "Trigger: Synch OFF"},
        TModeCase{"ExternalHigh", TTriggerMode::ExternalHigh, "Trigger: Externe Niveau Haut"},
        TModeCase{"ExternalLow", TTriggerMode::ExternalLow, "Trigger: Externe Niveau Bas"}),
    [](const testing::TestParamInfo<TModeCase>& Info) { return Info.param.Name; });

TEST(StatusTexts, NoCheckedButtonWritesNothing) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  const QImage Empty = Renderer.BackBuffer().copy();
  Renderer.DrawTriggerStatus(TTriggerMode::None, {});
  Renderer.DrawPullLabel(TPull::None);
  Renderer.DrawTimeBaseLabel(3);
  Renderer.DrawTimeBaseLabel(22);
  EXPECT_EQ(Renderer.BackBuffer(), Empty);
}

TEST(StatusTexts, TimeBaseAndPullTextsAtTheirCorners) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  Renderer.DrawTimeBaseLabel(14);
  Renderer.DrawPullLabel(TPull::Down);
  EXPECT_TRUE(
      ShowsTextAt(Renderer.BackBuffer(), {740, 4}, QStringLiteral("Time/Div : 2ms"), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Renderer.BackBuffer(), {740, 505}, QStringLiteral("Entrées Pull Down"),
                          ColourBlack));
  Renderer.DrawPullLabel(TPull::Up);
  EXPECT_TRUE(ShowsTextAt(Renderer.BackBuffer(), {740, 505}, QStringLiteral("Entrées Pull Up"),
                          ColourBlack));
}

TEST(RedrawScreen, StartUpScreenOnTheBackBufferOnly) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
  const QImage& Back = Renderer.BackBuffer();
  EXPECT_TRUE(ShowsTextAt(Back, {740, 4}, QStringLiteral("Time/Div : 1ms"), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Back, {2, 30}, QStringLiteral("D0"), ColourRed));
  EXPECT_TRUE(ShowsTextAt(Back, {2, 480}, QStringLiteral("D7"), ColourBlue));
  EXPECT_TRUE(ShowsTextAt(Back, {20, 4}, QStringLiteral("12:00:00  "), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Back, {80, 4}, QStringLiteral("31/12/2025  "), ColourBlack));
  EXPECT_EQ(PixelAt(Back, 500, 20), 0u);
  // The visible picture gets the clock stamp and nothing else.
  EXPECT_TRUE(ShowsTextAt(Visible, {20, 4}, QStringLiteral("12:00:00  "), ColourBlack));
  EXPECT_EQ(PixelAt(Visible, 500, 20), 0xFFFFFFu);
  EXPECT_EQ(CountPixels(Visible.copy(0, 20, 940, 500), ColourWhite), 940 * 500);
}

TEST(RedrawScreen, InternalEqualModeMovesTheLabelsRight) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  TScreenState State;
  State.TriggerMode = TTriggerMode::InternalEqual;
  State.NumberLabels = true;
  State.Pull = TPull::Up;
  State.TimeBaseIndex = 21;
  Renderer.RedrawScreen(State, Visible, Noon);
  const QImage& Back = Renderer.BackBuffer();
  EXPECT_TRUE(ShowsTextAt(Back, {928, 30}, QStringLiteral("1"), ColourRed));
  EXPECT_TRUE(ShowsTextAt(Back, {926, 480}, QStringLiteral("16"), ColourBlue));
  EXPECT_EQ(InkRows(Back, 0, 60, 15, 11, ColourRed), FallingSymbol);
  EXPECT_TRUE(ShowsTextAt(Back, {740, 4}, QStringLiteral("Time/Div : 500ms"), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Back, {740, 505}, QStringLiteral("Entrées Pull Up"), ColourBlack));
  EXPECT_TRUE(ShowsTextAt(Back, {50, 505}, QStringLiteral("Trigger: Interne Egal"), ColourBlack));
}

TEST(RedrawScreen, EmptiesTheTracesButKeepsTheVisiblePicture) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
  for (int N = 1; N <= 450; ++N) {
    Renderer.DrawSample(1, N, 0xFF, true);
  }
  Renderer.PresentScreen(Visible);
  Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
  EXPECT_EQ(PixelAt(Renderer.BackBuffer(), 100, 30), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Renderer.BackBuffer(), 501, 30), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Visible, 100, 30), 0xFF0000u);
}

TEST(ClockStampDrawing, BothSurfacesShowTheSameStamp) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  const TClockStamp& Stamp =
      Renderer.DrawClockStamp(Visible, QDateTime(QDate(2025, 1, 1), QTime(0, 0, 9)));
  EXPECT_EQ(Stamp.Second, 9);
  EXPECT_EQ(Renderer.ClockStamp().DayText, QStringLiteral("1"));
  for (const QImage* Surface : {&Renderer.BackBuffer(), static_cast<const QImage*>(&Visible)}) {
    EXPECT_TRUE(ShowsTextAt(*Surface, {20, 4}, QStringLiteral("0:00:09  "), ColourBlack));
    EXPECT_TRUE(ShowsTextAt(*Surface, {80, 4}, QStringLiteral("01/01/2025  "), ColourBlack));
  }
}

TEST(ClockStampDrawing, TrailingBlanksEraseALongerTime) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  Renderer.DrawClockStamp(Visible, QDateTime(QDate(2025, 12, 31), QTime(23, 58, 58)));
  Renderer.DrawClockStamp(Visible, QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)));
  QImage Fresh = WhitePicture();
  TPixelCanvas Canvas(Fresh);
  Canvas.TextOut({20, 4}, QStringLiteral("0:00:00"));
  EXPECT_EQ(InkRows(Visible, 20, 4, 60, 11, ColourBlack),
            InkRows(Fresh, 20, 4, 60, 11, ColourBlack));
}

TEST(PresentScreen, VisiblePictureBecomesTheBackBuffer) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
  Renderer.DrawSample(2, 7, 0x0F, true);
  TPixelCanvas Overlay(Visible);
  Overlay.SetPen(ColourMagenta, TPenStyle::Dashed);
  Overlay.Line({{300, 20}, {300, 500}});
  Renderer.PresentScreen(Visible);
  EXPECT_EQ(Visible, Renderer.BackBuffer());
  EXPECT_EQ(CountPixels(Visible, ColourMagenta), 0);
}

TEST(PresentScreen, LeavesOtherCopiesOfThePictureAlone) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  const QImage Before = Visible;
  Renderer.DrawGrid();
  Renderer.PresentScreen(Visible);
  EXPECT_EQ(CountPixels(Before, ColourBlack), 0);
  EXPECT_EQ(Visible, Renderer.BackBuffer());
}

TEST(PresentScreen, ALoopOfRestitutionsGoesBackAndForthBetweenTwoBuffers) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  // The high half of a picture's cache key names its pixel store.
  std::vector<qint64> Buffers;
  for (int Restitution = 0; Restitution < 4; ++Restitution) {
    Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
    Renderer.DrawSample(1, Restitution + 1, 0xFF, false);
    Buffers.push_back(Renderer.BackBuffer().cacheKey() >> 32);
    Renderer.PresentScreen(Visible);
  }
  EXPECT_NE(Buffers[1], Buffers[0]);
  EXPECT_EQ(Buffers[2], Buffers[0]);
  EXPECT_EQ(Buffers[3], Buffers[1]);
  // Each screen still starts empty: the reused buffer keeps no old trace.
  TTraceRenderer Reference;
  QImage Unused = WhitePicture();
  Reference.RedrawScreen(TScreenState{}, Unused, Noon);
  Reference.DrawSample(1, 4, 0xFF, false);
  EXPECT_EQ(Visible, Reference.BackBuffer());
}

// After a present the two pictures hold the same pixels; whatever is drawn
// next on one side must never show on the other.
struct TAfterPresentCase {
  const char* Name;
  std::function<void(TTraceRenderer&, QImage& Visible)> Draw;
  bool ChangesVisible;
  bool ChangesBack;
};

void PrintTo(const TAfterPresentCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class AfterPresent : public testing::TestWithParam<TAfterPresentCase> {};

TEST_P(AfterPresent, DrawingOnOneSideLeavesTheOtherAsItWas) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
  for (int N = 1; N <= 450; ++N) {
    Renderer.DrawSample(1, N, static_cast<std::uint8_t>(N), true);
  }
  Renderer.PresentScreen(Visible);
  const QImage VisibleBefore = Visible.copy();
  const QImage BackBefore = Renderer.BackBuffer().copy();
  ASSERT_EQ(VisibleBefore, BackBefore);

  GetParam().Draw(Renderer, Visible);

  EXPECT_EQ(Visible != VisibleBefore, GetParam().ChangesVisible);
  EXPECT_EQ(Renderer.BackBuffer() != BackBefore, GetParam().ChangesBack);
  if (GetParam().ChangesVisible && GetParam().ChangesBack) {
    EXPECT_EQ(Visible, Renderer.BackBuffer());  // the same stamp on both
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sides, AfterPresent,
    testing::Values(TAfterPresentCase{"SamplesWithoutANewScreen",
                                      [](TTraceRenderer& Renderer, QImage&) {
                                        Renderer.DrawSample(2, 200, 0xA5, true);
                                      },
                                      false, true},
                    TAfterPresentCase{"NewScreen",
                                      [](TTraceRenderer& Renderer, QImage& Visible) {
                                        Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
                                      },
                                      false, true},
                    TAfterPresentCase{"ReadoutLineOnThePicture",
                                      [](TTraceRenderer&, QImage& Visible) {
                                        TPixelCanvas Overlay(Visible);
                                        Overlay.SetPen(ColourMagenta, TPenStyle::Dashed);
                                        Overlay.Line({{300, 20}, {300, 500}});
                                      },
                                      true, false},
                    TAfterPresentCase{"ClockStampOnBoth",
                                      [](TTraceRenderer& Renderer, QImage& Visible) {
                                        Renderer.DrawClockStamp(Visible, Noon.addSecs(3600));
                                      },
                                      true, true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(PresentScreen, ASampleDrawnWithoutANewScreenJoinsThePreviousTrace) {
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  Renderer.RedrawScreen(TScreenState{}, Visible, Noon);
  Renderer.DrawSample(1, 10, 0x01, false);
  Renderer.PresentScreen(Visible);
  Renderer.DrawSample(1, 300, 0x01, false);
  Renderer.PresentScreen(Visible);
  EXPECT_EQ(PixelAt(Visible, 38, 30), 0xFF0000u);
  EXPECT_EQ(PixelAt(Visible, 618, 30), 0xFF0000u);
}

TEST(ClockStampDrawing, AreaHoldsEveryPixelTheStampWrote) {
  TTraceRenderer Renderer;
  QImage Visible(PictureWidth, PictureHeight, QImage::Format_RGB32);
  Visible.fill(0x123456u);  // no colour the stamp writes
  const QImage Before = Visible.copy();
  Renderer.DrawClockStamp(Visible, QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)));
  // The area is exactly the bounds of the pixels written: no pixel outside
  // it changed, and it reaches no further than they do.
  QRect Written;
  for (int Y = 0; Y < PictureHeight; ++Y) {
    for (int X = 0; X < PictureWidth; ++X) {
      if (Visible.pixel(X, Y) != Before.pixel(X, Y)) {
        Written |= QRect(X, Y, 1, 1);
      }
    }
  }
  EXPECT_EQ(Renderer.ClockStampArea(), Written);
  EXPECT_EQ(Written.topLeft(), QPoint(20, 4));
  EXPECT_EQ(Written.height(), TextHeight);
  // The same stamp again changes no pixel: nothing to repaint.
  Renderer.DrawClockStamp(Visible, QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)));
  EXPECT_TRUE(Renderer.ClockStampArea().isEmpty());
}

// A loop of restitutions erases only where samples and stamps were drawn,
// and has only those areas repainted: each picture must still be the one a
// fresh renderer draws, and no pixel may change outside the area returned.
struct TRound {
  bool NumberLabels;
  bool Edges;
  int Seconds;
  // A line drawn by someone else while the samples come: 1 on the picture
  // shown, 2 on the back buffer (and the fresh renderer's).
  int Overlay;
  std::uint8_t Drawn;
};

TEST(PresentScreen, RestitutionsRedrawAndRepaintOnlyWhatTheyChange) {
  const TRound Rounds[] = {{false, true, 0, 0, 0xFF},  {false, true, 0, 0, 0xFF},
                           {false, false, 1, 0, 0xFF}, {false, true, 1, 1, 0xFF},
                           {false, true, 2, 0, 0x3F},  {false, true, 2, 2, 0xFF},
                           {false, true, 2, 0, 0xFF},  {true, true, 3, 0, 0xFF},
                           {true, false, 3, 0, 0xFF},  {false, true, 4, 0, 0xFF}};
  TTraceRenderer Renderer;
  QImage Visible = WhitePicture();
  std::uint32_t Seed = 7;
  for (std::size_t R = 0; R < std::size(Rounds); ++R) {
    SCOPED_TRACE(R);
    const TRound& Round = Rounds[R];
    const TScreenState State{.NumberLabels = Round.NumberLabels};
    TTraceRenderer Fresh;
    QImage Unused = WhitePicture();
    Renderer.RedrawScreen(State, Visible, Noon.addSecs(Round.Seconds));
    Fresh.RedrawScreen(State, Unused, Noon.addSecs(Round.Seconds));
    for (QImage* Picture :
         {&Visible, &Renderer.BackBufferForControl(), &Fresh.BackBufferForControl()}) {
      if (Round.Overlay == (Picture == &Visible ? 1 : 2)) {
        TPixelCanvas Overlay(*Picture);
        Overlay.SetPen(ColourMagenta);
        Overlay.Line({{300, 20}, {300, 500}});
      }
    }
    const QImage Shown = Visible.copy();
    for (int Group = 1; Group <= 2; ++Group) {
      for (int N = 1; N <= 450; ++N) {
        // Inputs 1 to 4 of each group change at random, 5 to 8 keep a level
        // for the whole window, another one each time.
        Seed = Seed * 1103515245U + 12345U;
        const auto Value = static_cast<std::uint8_t>(((Seed >> 16) & 0x0F) | ((R * 0x50) & 0xF0));
        Renderer.DrawSample(Group, N, Value, Round.Edges, Round.Drawn);
        Fresh.DrawSample(Group, N, Value, Round.Edges, Round.Drawn);
      }
    }
    const QRegion Repainted = Renderer.PresentScreen(Visible);
    ASSERT_EQ(Visible, Fresh.BackBuffer());
    QRegion Changed;
    for (int Y = 0; Y < PictureHeight; ++Y) {
      for (int X = 0; X < PictureWidth; ++X) {
        if (Shown.pixel(X, Y) != Visible.pixel(X, Y) && !Repainted.contains(QPoint(X, Y))) {
          Changed += QRect(X, Y, 1, 1);
        }
      }
    }
    EXPECT_TRUE(Changed.isEmpty()) << "changed outside the repaint";
    // The same screen again repaints the trace bands, not the whole.
    EXPECT_TRUE(R != 1 || Repainted != QRegion(0, 0, PictureWidth, PictureHeight));
  }
}

TEST(PresentScreen, GivesAnEmptyOrMisshapenPictureTheRightShape) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  QImage Empty;
  Renderer.PresentScreen(Empty);
  EXPECT_EQ(Empty, Renderer.BackBuffer());
  QImage Small(10, 10, QImage::Format_RGB888);
  Renderer.PresentScreen(Small);
  EXPECT_EQ(Small, Renderer.BackBuffer());
}

}  // namespace
