// SPDX-License-Identifier: GPL-3.0-or-later
// Moves through the analyser's memory: clipping, the end reached and the
// bytes of the view position command.
#include "display/ViewNavigation.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct TMoveCase {
  const char* Name;
  int Offset;
  int Step;
  int Position;
  TViewLimit Limit;
};

void PrintTo(const TMoveCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class ViewMove : public testing::TestWithParam<TMoveCase> {};

TEST_P(ViewMove, ClipsToTheMemoryAndTellsWhichEndWasReached) {
  const TMoveCase& Case = GetParam();
  const TViewMove Move = PlanViewMove(Case.Offset, Case.Step);
  EXPECT_EQ(Move.Target, Case.Offset + Case.Step);
  EXPECT_EQ(Move.Position, Case.Position);
  EXPECT_EQ(Move.Limit, Case.Limit);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, ViewMove,
    testing::Values(TMoveCase{"BackFromTheStart", 0, -ShortViewStep, 0, TViewLimit::Start},
                    TMoveCase{"BackOntoTheStart", 150, -ShortViewStep, 0, TViewLimit::Start},
                    TMoveCase{"BackToOneAfterTheStart", 151, -ShortViewStep, 1, TViewLimit::None},
                    TMoveCase{"LongBackPastTheStart", 299, -LongViewStep, 0, TViewLimit::Start},
                    TMoveCase{"LongBackOntoTheStart", 300, -LongViewStep, 0, TViewLimit::Start},
                    TMoveCase{"LongBackInside", 301, -LongViewStep, 1, TViewLimit::None},
                    TMoveCase{"ForwardOntoTheEnd", 1447, ShortViewStep, 1597, TViewLimit::None},
                    TMoveCase{"ForwardPastTheEnd", 1448, ShortViewStep, 1597, TViewLimit::End},
                    TMoveCase{"LongForwardClipped", 1500, LongViewStep, 1597, TViewLimit::End},
                    TMoveCase{"LongForwardAtTheEnd", 1597, LongViewStep, 1597, TViewLimit::End},
                    TMoveCase{"LongForwardOntoTheEnd", 1297, LongViewStep, 1597, TViewLimit::None},
                    TMoveCase{"ForwardFromTheStart", 0, ShortViewStep, 150, TViewLimit::None},
                    TMoveCase{"BackFromTheEnd", 1597, -LongViewStep, 1297, TViewLimit::None}),
    [](const testing::TestParamInfo<TMoveCase>& Info) { return std::string(Info.param.Name); });

TEST(WheelSteps, ANotchDownIsATileLaterAndPartsOfANotchAddUp) {
  constexpr int Most = std::numeric_limits<int>::max();
  const std::vector<std::pair<std::vector<int>, std::vector<int>>> Rows = {
      {{-120, 120}, {30, -30}},
      {{-100, -100, -40}, {0, 30, 30}},
      {{Most, -Most - 1}, {-1598, 1598}}};
  for (const auto& [Deltas, Steps] : Rows) {
    TWheelSteps Wheel;
    for (std::size_t I = 0; I < Deltas.size(); ++I) {
      EXPECT_EQ(Wheel.Take(Deltas[I]), Steps[I]) << testing::PrintToString(Deltas) << I;
    }
  }
}

struct TBytesCase {
  int Offset;
  TViewPositionBytes Bytes;
};

class ViewBytes : public testing::TestWithParam<TBytesCase> {};

TEST_P(ViewBytes, HighByteFirst) {
  EXPECT_EQ(ViewPositionBytes(GetParam().Offset), GetParam().Bytes);
}

INSTANTIATE_TEST_SUITE_P(Offsets, ViewBytes,
                         testing::Values(TBytesCase{0, {0, 0}}, TBytesCase{255, {0, 255}},
                                         TBytesCase{256, {1, 0}}, TBytesCase{300, {1, 44}},
                                         TBytesCase{1597, {6, 61}},
                                         // Never a value the scroll bar cannot hold.
                                         TBytesCase{1598, {6, 61}}, TBytesCase{-1, {0, 0}}));

TEST(ViewLimitMessage, NamesTheEndReached) {
  EXPECT_STREQ(ViewLimitMessage(TViewLimit::End), "Position limite atteinte...");
  EXPECT_STREQ(ViewLimitMessage(TViewLimit::Start), "Position de départ atteinte...");
  EXPECT_STREQ(ViewLimitMessage(TViewLimit::None), "");
}

}  // namespace
