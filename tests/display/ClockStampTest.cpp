// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/ClockStamp.h"
#include "tests/support/CaseNames.h"

#include <gtest/gtest.h>

namespace {
using CaseNames::PrintTo;

struct TClockCase {
  const char* Name;
  QDateTime Now;
  const char* Time;
  const char* Date;
};

class ClockTexts : public testing::TestWithParam<TClockCase> {};

TEST_P(ClockTexts, HourWithoutZeroThenTwoDigitFieldsAndTwoBlanks) {
  const TClockStamp Stamp = MakeClockStamp(GetParam().Now);
  EXPECT_EQ(ClockTimeText(Stamp), QString::fromUtf8(GetParam().Time));
  EXPECT_EQ(ClockDateText(Stamp), QString::fromUtf8(GetParam().Date));
}

INSTANTIATE_TEST_SUITE_P(
    Stamps, ClockTexts,
    testing::Values(
        TClockCase{"Noon", QDateTime(QDate(2025, 6, 15), QTime(12, 0, 0)), "12:00:00  ",
                   "15/06/2025  "},
        TClockCase{"NineSecondsAfterMidnight", QDateTime(QDate(2025, 1, 1), QTime(0, 0, 9)),
                   "0:00:09  ", "01/01/2025  "},
        TClockCase{"LastDayOf2025", QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59, 999)),
                   "23:59:59  ", "31/12/2025  "},
        TClockCase{"MorningOfSeventhMarch", QDateTime(QDate(2024, 3, 7), QTime(9, 5, 7)),
                   "9:05:07  ", "07/03/2024  "}),
    [](const testing::TestParamInfo<TClockCase>& Info) { return Info.param.Name; });

TEST(ClockStamp, FieldsAndTextsWithoutLeadingZeros) {
  const QDateTime Now(QDate(2026, 3, 1), QTime(9, 7, 5, 250));
  const TClockStamp Stamp = MakeClockStamp(Now);
  EXPECT_EQ(Stamp.DateTime, Now);
  EXPECT_EQ(Stamp.Year, 2026);
  EXPECT_EQ(Stamp.Month, 3);
  EXPECT_EQ(Stamp.Day, 1);
  EXPECT_EQ(Stamp.Hour, 9);
  EXPECT_EQ(Stamp.Minute, 7);
  EXPECT_EQ(Stamp.Second, 5);
  EXPECT_EQ(Stamp.Millisecond, 250);
  EXPECT_EQ(Stamp.YearText, QStringLiteral("2026"));
  EXPECT_EQ(Stamp.MonthText, QStringLiteral("3"));
  EXPECT_EQ(Stamp.DayText, QStringLiteral("1"));
  EXPECT_EQ(Stamp.HourText, QStringLiteral("9"));
  EXPECT_EQ(Stamp.MinuteText, QStringLiteral("7"));
  EXPECT_EQ(Stamp.SecondText, QStringLiteral("5"));
}

}  // namespace
