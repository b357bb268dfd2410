// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>

#include "PictureTestHelpers.h"
#include "display/TraceRenderer.h"
#include "tests/support/CaseNames.h"

namespace {
using CaseNames::PrintTo;

constexpr unsigned Red = 0xFF0000;
constexpr unsigned Blue = 0x0000FF;

/// A renderer with an empty grid whose group has been fed Value(n) for n = 1..Count.
TTraceRenderer Feed(int Group, int Count, const std::function<std::uint8_t(int)>& Value,
                    bool Edges) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  for (int N = 1; N <= Count; ++N) {
    Renderer.DrawSample(Group, N, Value(N), Edges);
  }
  return Renderer;
}

struct TSteadyCase {
  const char* Name;
  int Group;
  bool Edges;
};

class SteadyHigh : public testing::TestWithParam<TSteadyCase> {};

TEST_P(SteadyHigh, OneUnbrokenLineAcrossTheGrid) {
  const TSteadyCase& Case = GetParam();
  const TTraceRenderer Renderer = Feed(
      Case.Group, 450, [](int) { return 0x01; }, Case.Edges);
  const QImage& Back = Renderer.BackBuffer();
  const unsigned Colour = Case.Group == 1 ? Red : Blue;
  const int HighY = Case.Group == 1 ? 30 : 270;
  const int LowY = HighY + 19;
  for (int X = 20; X <= 919; ++X) {
    ASSERT_EQ(PixelAt(Back, X, HighY), Colour) << X;
  }
  EXPECT_EQ(PixelAt(Back, 920, HighY), 0u);  // the last grid line stays black
  for (int Y = HighY + 1; Y <= LowY; ++Y) {
    EXPECT_NE(PixelAt(Back, 21, Y), Colour) << Y;
  }
  // Inputs 2..8 of the group stay low all along.
  for (int Bit = 1; Bit < 8; ++Bit) {
    EXPECT_EQ(PixelAt(Back, 500, LowY + 30 * Bit), Colour) << Bit;
    EXPECT_NE(PixelAt(Back, 500, HighY + 30 * Bit), Colour) << Bit;
  }
  EXPECT_EQ(CountPixels(Back, Case.Group == 1 ? ColourRed : ColourBlue), 8 * 900);
}

INSTANTIATE_TEST_SUITE_P(Groups, SteadyHigh,
                         testing::Values(TSteadyCase{"Inputs1To8WithEdges", 1, true},
                                         TSteadyCase{"Inputs1To8WithoutEdges", 1, false},
                                         TSteadyCase{"Inputs9To16WithEdges", 2, true},
                                         TSteadyCase{"Inputs9To16WithoutEdges", 2, false}),
                         [](const testing::TestParamInfo<TSteadyCase>& Info) {
                           return Info.param.Name;
                         });

std::uint8_t Toggling(int N) {
  return N % 2 == 1 ? 0x01 : 0x00;
}

TEST(SampleDrawing, TogglingWithEdgesDrawsAStubAndAnEdgePerSample) {
  const TTraceRenderer Renderer = Feed(1, 450, Toggling, true);
  const QImage& Back = Renderer.BackBuffer();
  EXPECT_EQ(PixelAt(Back, 20, 30), Red);
  EXPECT_EQ(PixelAt(Back, 21, 30), Red);
  for (int N = 2; N <= 450; ++N) {
    const int X0 = 2 * N + 18;
    const bool High = N % 2 == 1;
    const int OldY = High ? 49 : 30;
    const int NewY = High ? 30 : 49;
    ASSERT_EQ(PixelAt(Back, X0, OldY), Red) << N;
    ASSERT_NE(PixelAt(Back, X0, NewY), Red) << N;  // the stub stays at the old level
    const int Step = NewY > OldY ? 1 : -1;
    for (int Y = OldY; Y != NewY; Y += Step) {
      ASSERT_EQ(PixelAt(Back, X0 + 1, Y), Red) << N << "," << Y;
    }
    ASSERT_NE(PixelAt(Back, X0 + 1, NewY), Red) << N;  // the edge stops before its end
  }
}

TEST(SampleDrawing, TogglingWithoutEdgesDrawsSeparateDashes) {
  const TTraceRenderer Renderer = Feed(1, 450, Toggling, false);
  const QImage& Back = Renderer.BackBuffer();
  for (int N = 1; N <= 450; ++N) {
    const int X0 = 2 * N + 18;
    const int Y = N % 2 == 1 ? 30 : 49;
    const int OtherY = N % 2 == 1 ? 49 : 30;
    ASSERT_EQ(PixelAt(Back, X0, Y), Red) << N;
    ASSERT_EQ(PixelAt(Back, X0 + 1, Y), Red) << N;
    ASSERT_NE(PixelAt(Back, X0, OtherY), Red) << N;
    ASSERT_NE(PixelAt(Back, X0 + 1, OtherY), Red) << N;
    for (int Between = 31; Between < 49; ++Between) {
      ASSERT_NE(PixelAt(Back, X0 + 1, Between), Red) << N;
    }
  }
}

TEST(SampleDrawing, FallOfInputOneAtTheSecondSample) {
  const TTraceRenderer Renderer = Feed(1, 2, Toggling, true);
  const QImage& Back = Renderer.BackBuffer();
  EXPECT_EQ(InkRows(Back, 20, 29, 6, 22, ColourRed),
            (std::vector<std::string>{"......", "####..", "...#..", "...#..", "...#..", "...#..",
                                      "...#..", "...#..", "...#..", "...#..", "...#..", "...#..",
                                      "...#..", "...#..", "...#..", "...#..", "...#..", "...#..",
                                      "...#..", "...#..", "......", "......"}));
  // The other seven inputs stayed low: plain segments at their low lines.
  EXPECT_EQ(PixelAt(Back, 22, 79), Red);
  EXPECT_EQ(PixelAt(Back, 23, 79), Red);
}

TEST(SampleDrawing, FirstSampleOfInputs9To16NeverStartsWithAnEdge) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  for (int N = 1; N <= 450; ++N) {
    Renderer.DrawSample(1, N, 0x00, true);
  }
  Renderer.DrawSample(2, 1, 0xFF, true);
  Renderer.DrawSample(2, 2, 0x00, true);
  const QImage& Back = Renderer.BackBuffer();
  for (int Bit = 0; Bit < 8; ++Bit) {
    const int HighY = 270 + 30 * Bit;
    EXPECT_EQ(PixelAt(Back, 20, HighY), Blue) << Bit;
    EXPECT_EQ(PixelAt(Back, 21, HighY), Blue) << Bit;
    for (int Y = HighY + 1; Y <= HighY + 19; ++Y) {
      ASSERT_NE(PixelAt(Back, 21, Y), Blue) << Bit << "," << Y;
    }
    // The second sample falls from the level the first one left.
    EXPECT_EQ(PixelAt(Back, 22, HighY), Blue) << Bit;
    EXPECT_EQ(PixelAt(Back, 23, HighY + 10), Blue) << Bit;
  }
}

TEST(SampleDrawing, LevelsCarryOverToTheNextTransfer) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  Renderer.DrawSample(2, 450, 0x80, true);
  EXPECT_EQ(Renderer.PreviousLevels(),
            (std::array<bool, 8>{false, false, false, false, false, false, false, true}));
  Renderer.DrawGrid();
  Renderer.DrawSample(1, 1, 0x03, true);
  EXPECT_EQ(Renderer.PreviousLevels(),
            (std::array<bool, 8>{true, true, false, false, false, false, false, false}));
}

TEST(SampleDrawing, WithoutEdgesTheLevelsAreNeitherReadNorWritten) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  Renderer.DrawSample(1, 1, 0xFF, true);
  for (int N = 2; N <= 4; ++N) {
    Renderer.DrawSample(1, N, 0x00, false);
  }
  EXPECT_EQ(Renderer.PreviousLevels(),
            (std::array<bool, 8>{true, true, true, true, true, true, true, true}));
  // Edges back on: sample 5 compares with sample 1's levels, not sample 4's.
  Renderer.DrawSample(1, 5, 0x00, true);
  const QImage& Back = Renderer.BackBuffer();
  EXPECT_EQ(PixelAt(Back, 28, 30), Red);
  EXPECT_EQ(PixelAt(Back, 29, 40), Red);
  EXPECT_NE(PixelAt(Back, 28, 49), Red);
}

TEST(SampleDrawing, CallsOutsideTheTransferDrawNothing) {
  TTraceRenderer Renderer;
  Renderer.DrawGrid();
  const QImage Empty = Renderer.BackBuffer().copy();
  Renderer.DrawSample(0, 5, 0xFF, true);
  Renderer.DrawSample(3, 5, 0xFF, true);
  Renderer.DrawSample(1, 0, 0xFF, true);
  Renderer.DrawSample(1, 451, 0xFF, true);
  Renderer.DrawSample(2, -7, 0xFF, false);
  EXPECT_EQ(Renderer.BackBuffer(), Empty);
  EXPECT_EQ(Renderer.PreviousLevels(), (std::array<bool, 8>{}));
}

}  // namespace
