// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/TriggerTexts.h"

#include <gtest/gtest.h>

TEST(TriggerTexts, PatternOfTheModeButton) {
  EXPECT_EQ(ModeButtonPatternText(0), "Trigger Interne Egal -> Dec: 0   Hex: 00   Bin: 0");
  EXPECT_EQ(ModeButtonPatternText(5), "Trigger Interne Egal -> Dec: 5   Hex: 05   Bin: 101");
}

TEST(TriggerTexts, PatternOfTheBoxes) {
  EXPECT_EQ(PatternBoxPatternText(128),
            "Trigger Interne Egal (Entrées) -> Dec: 128   Hex: 80   Bin: 10000000");
  EXPECT_EQ(PatternBoxPatternText(255),
            "Trigger Interne Egal (Entrées) -> Dec: 255   Hex: FF   Bin: 11111111");
}

TEST(TriggerTexts, BlankPatternIsFiftyNineSpaces) {
  EXPECT_EQ(BlankPatternText(), std::string(59, ' '));
}
