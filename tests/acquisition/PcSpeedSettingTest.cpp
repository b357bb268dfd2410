// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/PcSpeedSetting.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {
struct TSettingCase {
  const char* Text;
  std::optional<int> Value;
};

class PcSpeedSettingText : public testing::TestWithParam<TSettingCase> {};

TEST_P(PcSpeedSettingText, IsAWholeNumberOrAbsent) {
  EXPECT_EQ(ParsePcSpeedSetting(GetParam().Text), GetParam().Value)
      << '"' << GetParam().Text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PcSpeedSettingText,
    testing::Values(TSettingCase{"100", 100}, TSettingCase{"1500", 1500}, TSettingCase{"50", 50},
                    TSettingCase{"0300", 300}, TSettingCase{"+300", 300}, TSettingCase{"-5", -5},
                    TSettingCase{"99999999999999999999", INT_MAX},
                    TSettingCase{"-99999999999999999999", INT_MIN}, TSettingCase{"", std::nullopt},
                    TSettingCase{"abc", std::nullopt}, TSettingCase{" 100", std::nullopt},
                    TSettingCase{"100 ", std::nullopt}, TSettingCase{"1e3", std::nullopt},
                    TSettingCase{"-", std::nullopt}, TSettingCase{"+", std::nullopt},
                    TSettingCase{"$64", std::nullopt}, TSettingCase{"3\r", std::nullopt}),
    [](const testing::TestParamInfo<TSettingCase>& Info) {
      return "Case" + std::to_string(Info.index);
    });

TEST(PcSpeedClamp, KeepsTheSliderRange) {
  EXPECT_EQ(ClampPcSpeed(50), 100);
  EXPECT_EQ(ClampPcSpeed(-5), 100);
  EXPECT_EQ(ClampPcSpeed(100), 100);
  EXPECT_EQ(ClampPcSpeed(555), 555);
  EXPECT_EQ(ClampPcSpeed(1000), 1000);
  EXPECT_EQ(ClampPcSpeed(1500), 1000);
  EXPECT_EQ(ClampPcSpeed(INT_MAX), 1000);
}
}  // namespace
