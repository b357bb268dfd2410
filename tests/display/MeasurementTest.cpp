// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of reading the trace: which sample a column reads, the
// readout texts, dt and 1/dt with their units, and the marker drag.
#include "display/Measurement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

#include "acquisition/TimeBase.h"

namespace {

// ---- Which sample a column reads -------------------------------------------

struct TColumnCase {
  const char* Name;
  int X;
  std::optional<int> Sample;
};

void PrintTo(const TColumnCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class ReadoutColumn : public testing::TestWithParam<TColumnCase> {};

TEST_P(ReadoutColumn, ReadsTheSampleUnderThePointerOrNothing) {
  EXPECT_EQ(ReadoutSample(GetParam().X), GetParam().Sample);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ReadoutColumn,
    testing::Values(TColumnCase{"FarLeft", -30, std::nullopt},
                    TColumnCase{"JustLeftOfThePicture", -1, std::nullopt},
                    TColumnCase{"PictureEdge", 0, std::nullopt},
                    TColumnCase{"GridEdgeIsSampleZero", 20, std::nullopt},
                    TColumnCase{"SecondColumnOfSampleZero", 21, std::nullopt},
                    TColumnCase{"FirstSample", 22, 1}, TColumnCase{"FirstSampleRight", 23, 1},
                    TColumnCase{"SecondSample", 24, 2}, TColumnCase{"GridRightEdge", 920, 450},
                    TColumnCase{"LastSampleRight", 921, 450},
                    TColumnCase{"PastTheLastSample", 922, std::nullopt},
                    TColumnCase{"PictureRightEdge", 939, std::nullopt}),
    [](const testing::TestParamInfo<TColumnCase>& Info) { return std::string(Info.param.Name); });

// ---- Readout texts -----------------------------------------------------------

struct TReadoutCase {
  const char* Name;
  int Group;
  std::uint8_t Value;
  const char* Text;
};

void PrintTo(const TReadoutCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class ReadoutTexts : public testing::TestWithParam<TReadoutCase> {};

TEST_P(ReadoutTexts, DecimalTwoHexDigitsAndBinaryWithoutLeadingZeros) {
  EXPECT_EQ(ReadoutText(GetParam().Group, GetParam().Value), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadoutTexts,
    testing::Values(
        TReadoutCase{"Five", 1, 5, "Entrées 1 - 8 -> Dec: 5   Hex: 05   Bin: 101"},
        TReadoutCase{"ZeroOfInputs9To16", 2, 0, "Entrées 9 - 16 -> Dec: 0   Hex: 00   Bin: 0"},
        TReadoutCase{"AllHighOfInputs9To16", 2, 255,
                     "Entrées 9 - 16 -> Dec: 255   Hex: FF   Bin: 11111111"},
        TReadoutCase{"OnlyInput8", 1, 128, "Entrées 1 - 8 -> Dec: 128   Hex: 80   Bin: 10000000"},
        TReadoutCase{"OnlyInput9", 2, 1, "Entrées 9 - 16 -> Dec: 1   Hex: 01   Bin: 1"},
        TReadoutCase{"HexLetters", 1, 0xAB, "Entrées 1 - 8 -> Dec: 171   Hex: AB   Bin: 10101011"}),
    [](const testing::TestParamInfo<TReadoutCase>& Info) { return std::string(Info.param.Name); });

// ---- dt and 1/dt ---------------------------------------------------------------

struct TMeasureCase {
  const char* Name;
  int TimeBaseIndex;
  int Left;
  int Right;
  const char* Dt;
  const char* Frequency;
};

void PrintTo(const TMeasureCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class Measurement : public testing::TestWithParam<TMeasureCase> {};

TEST_P(Measurement, WritesDtAndItsFrequencyInTheUnitsOfTheTimeBase) {
  const TMeasureCase& Case = GetParam();
  const std::optional<TMeasurement> Result = Measure(Case.Left, Case.Right, Case.TimeBaseIndex);
  ASSERT_TRUE(Result);
  EXPECT_EQ(Result->DtText, std::string("dt : ") + Case.Dt);
  EXPECT_EQ(Result->FrequencyText, std::string("1/dt : ") + Case.Frequency);
}

INSTANTIATE_TEST_SUITE_P(
    TimeBases, Measurement,
    testing::Values(
        // The start positions are 600 pixels, ten divisions, apart.
        TMeasureCase{"OneMillisecond", 13, 170, 770, "10.000ms", "100.00Hz"},
        TMeasureCase{"OneMicrosecond", 4, 170, 770, "10.000µs", "100.000kHz"},
        TMeasureCase{"HundredMicroseconds", 10, 170, 770, "1.000ms", "1.000kHz"},
        TMeasureCase{"TwoHundredMicroseconds", 11, 170, 770, "2.000ms", "0.500kHz"},
        TMeasureCase{"FiveHundredMicroseconds", 12, 170, 770, "5.000ms", "200.00Hz"},
        TMeasureCase{"FiftyMicroseconds", 9, 170, 770, "500.000µs", "2.000kHz"},
        TMeasureCase{"FiveHundredMilliseconds", 21, 170, 770, "5000.000ms", "0.20Hz"},
        TMeasureCase{"OnePixelAtOneMicrosecond", 4, 400, 401, "0.017µs", "60000.000kHz"},
        TMeasureCase{"SevenPixelsAtFiveMicroseconds", 6, 100, 107, "0.583µs", "1714.286kHz"},
        TMeasureCase{"OneTileAtTwoMilliseconds", 14, 20, 80, "2.000ms", "500.00Hz"},
        TMeasureCase{"WholeGridAtFiveHundredMilliseconds", 21, 20, 920, "7500.000ms", "0.13Hz"},
        TMeasureCase{"RoundsUpAtHundredMilliseconds", 19, 200, 247, "78.333ms", "12.77Hz"}),
    [](const testing::TestParamInfo<TMeasureCase>& Info) { return std::string(Info.param.Name); });

// The units table is written apart from the time-base table; the two must
// tell the same time, and 1/dt must really be the inverse of dt.
TEST(MeasurementUnits, AgreeWithTheTimeBasesAndInvertDt) {
  for (const TTimeBase& Base : TimeBaseTable) {
    SCOPED_TRACE(Base.Caption);
    const std::optional<TMeasurementUnits> Units = MeasurementUnits(Base.Index);
    ASSERT_TRUE(Units);
    const std::string TimeUnit = Units->TimeUnit;
    ASSERT_TRUE(TimeUnit == "µs" || TimeUnit == "ms");
    const double TimeScale = TimeUnit == "µs" ? 1e-6 : 1e-3;
    EXPECT_NEAR(Units->UnitsPerDivision * TimeScale, Base.SecondsPerDivision,
                Base.SecondsPerDivision * 1e-12);

    const std::string FrequencyUnit = Units->FrequencyUnit;
    ASSERT_TRUE(FrequencyUnit == "kHz" || FrequencyUnit == "Hz");
    const double FrequencyScale = FrequencyUnit == "kHz" ? 1e3 : 1.0;
    EXPECT_EQ(Units->FrequencyDecimals, FrequencyUnit == "kHz" ? 3 : 2);
    const std::optional<TMeasurement> Result = Measure(170, 233, Base.Index);
    ASSERT_TRUE(Result);
    const double Seconds = Result->Dt * TimeScale;
    EXPECT_NEAR(Seconds, 63.0 / 60.0 * Base.SecondsPerDivision, Seconds * 1e-12);
    EXPECT_NEAR(Result->Frequency * FrequencyScale * Seconds, 1.0, 1e-12);
  }
}

TEST(MeasurementUnits, NothingOutsideTheTimeBasesOrForMarkersOutOfOrder) {
  EXPECT_FALSE(MeasurementUnits(3));
  EXPECT_FALSE(MeasurementUnits(22));
  EXPECT_FALSE(Measure(170, 770, 0));
  EXPECT_FALSE(Measure(170, 770, 22));
  // Never a zero dt, so never an infinite frequency.
  EXPECT_FALSE(Measure(300, 300, 13));
  EXPECT_FALSE(Measure(301, 300, 13));
}

TEST(FixedText, ExactDecimalsRoundedWithoutGrouping) {
  EXPECT_EQ(FixedText(1.0 / 60.0, 3), "0.017");
  EXPECT_EQ(FixedText(0.2, 2), "0.20");
  EXPECT_EQ(FixedText(0.004, 2), "0.00");
  EXPECT_EQ(FixedText(0.006, 2), "0.01");
  EXPECT_EQ(FixedText(1234567.891, 3), "1234567.891");
  EXPECT_EQ(FixedText(59999.9996, 3), "60000.000");
  EXPECT_EQ(FixedText(1e300, 2).size(), 304U);  // a huge value is written whole
}

// ---- Marker drag -----------------------------------------------------------------

struct TDragCase {
  const char* Name;
  TMarkerPositions Before;
  int X;
  std::optional<TMarkerPositions> After;
};

void PrintTo(const TDragCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class MarkerDrag : public testing::TestWithParam<TDragCase> {};

TEST_P(MarkerDrag, MovesTheNearerMarkerOrNothing) {
  const std::optional<TMarkerPositions> After = DragMarkers(GetParam().Before, GetParam().X);
  ASSERT_EQ(After.has_value(), GetParam().After.has_value());
  if (After) {
    EXPECT_EQ(After->Left, GetParam().After->Left);
    EXPECT_EQ(After->Right, GetParam().After->Right);
  }
}

constexpr TMarkerPositions Start{170, 770};  // middle at 470

INSTANTIATE_TEST_SUITE_P(
    Moves, MarkerDrag,
    testing::Values(
        TDragCase{"LeftHalfMovesTheLeftMarker", Start, 300, TMarkerPositions{300, 770}},
        TDragCase{"RightHalfMovesTheRightMarker", Start, 600, TMarkerPositions{170, 600}},
        TDragCase{"JustLeftOfTheMiddle", Start, 469, TMarkerPositions{469, 770}},
        TDragCase{"JustRightOfTheMiddle", Start, 471, TMarkerPositions{170, 471}},
        TDragCase{"ExactlyAtTheMiddleMovesNothing", Start, 470, Start},
        TDragCase{"OnTheLeftMarker", Start, 170, Start},
        TDragCase{"OnTheRightMarker", Start, 770, Start},
        TDragCase{"BeyondTheLeftMarkerPullsIt", Start, 100, TMarkerPositions{100, 770}},
        TDragCase{"BeyondTheRightMarkerPullsIt", Start, 850, TMarkerPositions{170, 850}},
        TDragCase{"GridLeftEdge", Start, 20, TMarkerPositions{20, 770}},
        TDragCase{"GridRightEdge", Start, 920, TMarkerPositions{170, 920}},
        TDragCase{"MarginLeftOfTheGridKeepsThemWhereTheyAre", Start, 19, Start},
        TDragCase{"PictureLeftEdgeKeepsThemWhereTheyAre", Start, 0, Start},
        TDragCase{"LeftOfThePictureErasesThem", Start, -1, std::nullopt},
        TDragCase{"RightOfTheGridErasesThem", Start, 921, std::nullopt},
        TDragCase{"OddSpanMiddleRoundsDown", TMarkerPositions{170, 771}, 470,
                  TMarkerPositions{170, 771}},
        TDragCase{"OddSpanRightOfTheMiddle", TMarkerPositions{170, 771}, 471,
                  TMarkerPositions{170, 471}},
        TDragCase{"TwoApartTheMiddleMovesNothing", TMarkerPositions{400, 402}, 401,
                  TMarkerPositions{400, 402}},
        TDragCase{"ThreeApartTheRightMarkerComesIn", TMarkerPositions{400, 403}, 402,
                  TMarkerPositions{400, 402}},
        TDragCase{"OneApartTheyStay", TMarkerPositions{400, 401}, 401, TMarkerPositions{400, 401}}),
    [](const testing::TestParamInfo<TDragCase>& Info) { return std::string(Info.param.Name); });

bool Valid(const TMarkerPositions& Markers) {
  return GridLeft <= Markers.Left && Markers.Left < Markers.Right && Markers.Right <= GridRight;
}

TEST(MarkerDragSweep, TheMarkersNeverMeetNorLeaveTheGrid) {
  // Every span from 1 to 40 pixels anywhere, and every pointer column.
  for (int Left = GridLeft; Left <= GridRight - 1; Left += 37) {
    for (int Span = 1; Span <= 40 && Left + Span <= GridRight; ++Span) {
      for (int X = -5; X <= 945; ++X) {
        const TMarkerPositions Before{Left, Left + Span};
        const std::optional<TMarkerPositions> After = DragMarkers(Before, X);
        if (X < 0 || X > GridRight) {
          EXPECT_FALSE(After) << Left << " " << Span << " " << X;
          continue;
        }
        ASSERT_TRUE(After);
        ASSERT_TRUE(Valid(*After)) << Left << " " << Span << " " << X;
        // A drag brings two markers at least 2 apart no closer than that.
        if (Span >= 2) {
          ASSERT_GE(After->Right - After->Left, 2) << Left << " " << Span << " " << X;
        }
      }
    }
  }
}

TEST(MarkerDragSweep, DraggingTheLeftMarkerOntoTheRightOneStopsOnePixelShort) {
  TMarkerPositions Markers;
  int Closest = Markers.Right - Markers.Left;
  for (int X = Markers.Left; X <= 920; ++X) {
    Markers = *DragMarkers(Markers, X);
    ASSERT_TRUE(Valid(Markers)) << X;
    Closest = std::min(Closest, Markers.Right - Markers.Left);
  }
  // One free pixel column stays between them.
  EXPECT_EQ(Closest, 2);
  // And back the other way.
  for (int X = Markers.Right; X >= 0; --X) {
    Markers = *DragMarkers(Markers, X);
    ASSERT_TRUE(Valid(Markers)) << X;
    Closest = std::min(Closest, Markers.Right - Markers.Left);
  }
  EXPECT_EQ(Closest, 2);
}

}  // namespace
