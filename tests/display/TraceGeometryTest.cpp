// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/TraceGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(TraceGeometry, TilesDivideTheGridIntoFifteenBySixteen) {
  EXPECT_EQ(TileWidth, 60);
  EXPECT_EQ(TileHeight, 30);
  EXPECT_EQ(VerticalGridX(VerticalGridLines - 1), GridRight);
  EXPECT_EQ(HorizontalGridY(HorizontalGridLines - 1), GridBottom);
  // 450 samples of 2 pixels fill the grid's width exactly.
  EXPECT_EQ(SampleX(1), GridLeft);
  EXPECT_EQ(SampleX(SamplesPerWindow) + 2, GridRight);
  EXPECT_EQ(SamplesPerWindow, GridColumns * 30);
}

TEST(TraceGeometry, EachInputOwnsOneRowOfTiles) {
  for (int Input = 1; Input <= InputCount; ++Input) {
    const int Top = HorizontalGridY(Input - 1);
    EXPECT_EQ(HighLevelY(Input), Top + 10) << Input;
    EXPECT_EQ(LowLevelY(Input), Top + TileHeight - 1) << Input;
    const int Group = Input <= 8 ? 1 : 2;
    const int Bit = (Input - 1) % 8;
    EXPECT_EQ(HighLevelY(Input), GroupRowBase(Group) + 30 * Bit - 20) << Input;
    EXPECT_EQ(LowLevelY(Input), GroupRowBase(Group) + 30 * Bit - 1) << Input;
  }
}

struct TColumnCase {
  int X;
  int Sample;
};

class SampleUnderColumn : public testing::TestWithParam<TColumnCase> {};

TEST_P(SampleUnderColumn, MapsPictureColumnsToSamples) {
  EXPECT_EQ(SampleAtX(GetParam().X), GetParam().Sample);
}

INSTANTIATE_TEST_SUITE_P(Columns, SampleUnderColumn,
                         testing::Values(TColumnCase{20, 0}, TColumnCase{21, 0}, TColumnCase{22, 1},
                                         TColumnCase{23, 1}, TColumnCase{100, 40},
                                         TColumnCase{920, 450}, TColumnCase{921, 450},
                                         TColumnCase{922, 451}));

TEST(TraceGeometry, ReadoutLineStandsWhereItsSampleIsPicked) {
  for (int N = 1; N <= SamplesPerWindow; ++N) {
    ASSERT_EQ(SampleAtX(ReadoutLineX(N)), N);
  }
}

}  // namespace
