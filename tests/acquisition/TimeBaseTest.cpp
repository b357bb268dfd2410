// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/TimeBase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

TEST(TimeBaseTable, IndicesRunFourToTwentyOneWithDistinctCodes) {
  std::set<int> Codes;
  int Expected = 4;
  for (const TTimeBase& Base : TimeBaseTable) {
    EXPECT_EQ(Base.Index, Expected++);
    EXPECT_EQ(std::string("Time/Div : ") + Base.Caption, Base.Label);
    EXPECT_EQ(std::string("SpeedButton") + std::to_string(Base.Index + 1), Base.ButtonName);
    Codes.insert(Base.Code);
  }
  EXPECT_EQ(Codes.size(), 18U);
}

struct TTimeBaseCase {
  const char* Caption;
  int Index;
  int Code;
  double Seconds;
};

class TimeBaseRows : public testing::TestWithParam<TTimeBaseCase> {};

TEST_P(TimeBaseRows, CaptionIndexCodeAndTimeAgree) {
  const TTimeBaseCase& Case = GetParam();
  const TTimeBase* Base = FindTimeBaseByCaption(Case.Caption);
  ASSERT_NE(Base, nullptr);
  EXPECT_EQ(Base->Index, Case.Index);
  EXPECT_EQ(Base->Code, Case.Code);
  EXPECT_DOUBLE_EQ(Base->SecondsPerDivision, Case.Seconds);
  EXPECT_EQ(FindTimeBase(Case.Index), Base);
  EXPECT_EQ(FindTimeBaseByCode(static_cast<std::uint8_t>(Case.Code)), Base);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeBaseRows,
    testing::Values(TTimeBaseCase{"1µs", 4, 0x00, 1e-6}, TTimeBaseCase{"2µs", 5, 0x08, 2e-6},
                    TTimeBaseCase{"5µs", 6, 0x10, 5e-6}, TTimeBaseCase{"50µs", 9, 0x11, 50e-6},
                    TTimeBaseCase{"500µs", 12, 0x12, 500e-6}, TTimeBaseCase{"1ms", 13, 0x03, 1e-3},
                    TTimeBaseCase{"2ms", 14, 0x0B, 2e-3}, TTimeBaseCase{"5ms", 15, 0x13, 5e-3},
                    TTimeBaseCase{"200ms", 20, 0x0D, 0.2}, TTimeBaseCase{"500ms", 21, 0x15, 0.5}),
    [](const testing::TestParamInfo<TTimeBaseCase>& Info) {
      return "Index" + std::to_string(Info.param.Index);
    });

TEST(TimeBaseTable, OutsideTheTableFindsNothing) {
  EXPECT_EQ(FindTimeBase(3), nullptr);
  EXPECT_EQ(FindTimeBase(22), nullptr);
  EXPECT_EQ(FindTimeBaseByCode(6), nullptr);
  EXPECT_EQ(FindTimeBaseByCaption("1us"), nullptr);
  EXPECT_NEAR(SecondsPerSample(*FindTimeBase(DefaultTimeBaseIndex)), 33.333e-6, 1e-9);
}
