// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/TextConversions.h"

#include <gtest/gtest.h>

TEST(TextConversions, BinaryHasNoLeadingZeros) {
  EXPECT_EQ(BinaryText(0), "0");
  EXPECT_EQ(BinaryText(1), "1");
  EXPECT_EQ(BinaryText(5), "101");
  EXPECT_EQ(BinaryText(128), "10000000");
  EXPECT_EQ(BinaryText(200), "11001000");
  EXPECT_EQ(BinaryText(255), "11111111");
}

TEST(TextConversions, HexIsUpperCaseWithAtLeastTwoDigits) {
  EXPECT_EQ(HexText(0), "00");
  EXPECT_EQ(HexText(5), "05");
  EXPECT_EQ(HexText(200), "C8");
  EXPECT_EQ(HexText(255), "FF");
  EXPECT_EQ(HexText(0x1A3), "1A3");
}
