// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis core alone: the pulse at a sample (cut runs as bounds), the
// figures over a range, their texts and the decoder texts refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/MeasurementUnits.h"
#include "acquisition/TimeBase.h"
#include "analysis/DecoderTable.h"
#include "analysis/PulseFigures.h"

namespace {

// Samples of input 1 from a text of 0 and 1, one character per sample.
std::vector<TSample> Levels(const std::string& Text) {
  std::vector<TSample> Samples;
  for (char C : Text) {
    Samples.push_back(C == '1' ? 1 : 0);
  }
  return Samples;
}

// 1 ms per division: 30 samples per ms, times written in ms, frequencies in Hz.
TSampleView ViewOf(const std::vector<TSample>& Samples) {
  const TTimeBase* Base = FindTimeBase(DefaultTimeBaseIndex);
  return {Samples, 100, SecondsPerSample(*Base), Base};
}

}  // namespace

TEST(PulseFigures, ThePulseAtASampleIsWholeOrABound) {
  struct TRow {
    const char* Levels;
    std::size_t At;
    const char* Width;   // "" when absent
    const char* Period;  // "" when absent
    const char* Duty;
  };
  const TRow Rows[] = {
      // A whole high run with the low run after it.
      {"000111000011", 4, "0.100ms", "0.233ms", "42.9"},
      // The last whole run takes the run before it for its period.
      {"000111000011", 7, "0.133ms", "0.233ms", "42.9"},
      // Cut by the start, by the end, by both: a bound and no period.
      {"000111000011", 1, ">0.100ms", "", ""},
      {"000111000011", 11, ">0.067ms", "", ""},
      {"11111", 2, ">0.167ms", "", ""},
      // A whole run between two cut ones has no whole neighbour.
      {"0011100", 3, "0.100ms", "", ""},
  };
  for (const TRow& Row : Rows) {
    const std::vector<TSample> Samples = Levels(Row.Levels);
    const TSampleView View = ViewOf(Samples);
    const TPulseFigures Figures = MeasurePulse(View, 1, Row.At);
    const std::string Where = std::string(Row.Levels) + " at " + std::to_string(Row.At);
    EXPECT_EQ(Figures.High, Row.Levels[Row.At] == '1') << Where;
    ASSERT_TRUE(Figures.Width) << Where;
    EXPECT_EQ(BoundedTimeText(*Figures.Width, View), Row.Width) << Where;
    EXPECT_EQ(Figures.Period ? TimeText(*Figures.Period, View) : "", Row.Period) << Where;
    EXPECT_EQ(Figures.DutyPercent ? FixedText(*Figures.DutyPercent, 1) : "", Row.Duty) << Where;
    EXPECT_EQ(Figures.Frequency.has_value(), Figures.Period.has_value()) << Where;
  }
  // Nothing past the end, nothing about an input that does not exist.
  const std::vector<TSample> Samples = Levels("0101");
  EXPECT_FALSE(MeasurePulse(ViewOf(Samples), 1, 4).Width);
  EXPECT_FALSE(MeasurePulse(ViewOf(Samples), 17, 1).Width);
}

TEST(PulseFigures, RangeFiguresCountOnlyWhatLiesBetween) {
  // Pulses: high 3, low 2, high 1, low 4, high 3.
  const std::vector<TSample> Samples = Levels("0011100100001110");
  const TSampleView View = ViewOf(Samples);
  const TRangeFigures All = MeasureRange(View, 1, 0, 15);
  EXPECT_EQ(All.RisingEdges, 3);
  EXPECT_EQ(All.FallingEdges, 3);
  EXPECT_EQ(TimeText(*All.ShortestHigh, View), "0.033ms");
  EXPECT_EQ(TimeText(*All.LongestHigh, View), "0.100ms");
  EXPECT_EQ(TimeText(*All.ShortestLow, View), "0.067ms");
  EXPECT_EQ(TimeText(*All.LongestLow, View), "0.133ms");
  // Rising edges at 2, 7 and 12: two periods over 10 samples, 4 of them high.
  EXPECT_EQ(FrequencyText(*All.MeanFrequency, View), "6000.00Hz");
  EXPECT_DOUBLE_EQ(*All.DutyPercent, 40.0);
  // From 3 to 7 only the edges at 5 and 7 count, and no pulse is whole there
  // but the low one between them.
  const TRangeFigures Part = MeasureRange(View, 1, 3, 7);
  EXPECT_EQ(Part.RisingEdges, 1);
  EXPECT_EQ(Part.FallingEdges, 1);
  EXPECT_FALSE(Part.ShortestHigh);
  EXPECT_EQ(TimeText(*Part.LongestLow, View), "0.067ms");
  EXPECT_FALSE(Part.MeanFrequency);
}

TEST(PulseFigures, TextsFollowTheTimeBaseOrTheValue) {
  const std::vector<TSample> Samples = Levels("0");
  TSampleView View = ViewOf(Samples);
  View.TimeBase = FindTimeBase(4);  // 1 µs per division: µs and kHz
  EXPECT_EQ(TimeText(40e-6, View), "40.000µs");
  EXPECT_EQ(FrequencyText(8333.3, View), "8.333kHz");
  View.TimeBase = nullptr;  // a file at a rate of no time base
  EXPECT_EQ(TimeText(2.5e-7, View), "250.000ns");
  EXPECT_EQ(TimeText(1.5, View), "1.500s");
  EXPECT_EQ(FrequencyText(2.5e6, View), "2.500MHz");
  EXPECT_EQ(FrequencyText(50, View), "50.00Hz");
}

TEST(DecoderSpec, BadTextsAreRefusedWithOneLineNamingTheFault) {
  const struct {
    const char* Text;
    const char* Message;
  } Rows[] = {
      {"", "décodeur inconnu « "},
      {"can:rx=1", "décodeur inconnu « can » : uart, i2c, spi, pwm"},
      {"uart", "uart : entrée rx manquante"},
      {"uart:rx=17", "uart : rx attend une entrée de 1 à 16 : « 17 »"},
      {"uart:rx=9:baud=9600", "uart : option inconnue « baud » (options : rx, baudrate"},
      {"uart:rx=9:baudrate=fast", "uart : baudrate attend un nombre de bauds"},
      {"uart:rx=9:parity=mark", "uart : parity attend none, even ou odd : « mark »"},
      {"uart:rx=9:data_bits=10", "uart : data_bits attend 5, 6, 7, 8 ou 9"},
      {"uart:rx=9:rx=10", "uart : option donnée deux fois : « rx »"},
      {"uart:rx", "uart : valeur manquante après « rx »"},
      {"i2c:scl=10:sda=10", "i2c : l'entrée 10 ne peut servir deux fois"},
      {"spi:clk=12:cs=14", "spi : il faut au moins l'une des entrées mosi et miso"},
      {"spi:clk=12:mosi=13:wordsize=12", "spi : wordsize attend 8 ou 16"},
      {"pwm:data=15:polarity=high\n",
       "pwm : polarity attend active-high ou active-low : "
       "« high\\x0A »"},
  };
  for (const auto& Row : Rows) {
    const auto Parsed = ParseDecoderSpec(Row.Text);
    ASSERT_TRUE(std::holds_alternative<std::string>(Parsed)) << Row.Text;
    const std::string& Message = std::get<std::string>(Parsed);
    EXPECT_TRUE(Message.starts_with(Row.Message)) << Row.Text << " -> " << Message;
    EXPECT_EQ(Message.find('\n'), std::string::npos) << Row.Text;
  }
}

TEST(DecoderSpec, DefaultsAreFilledInAndTheTextReadsBackTheSame) {
  const auto Uart = std::get<TDecoderSpec>(ParseDecoderSpec("uart:rx=09:parity=odd"));
  EXPECT_EQ(FormatDecoderSpec(Uart),
            "uart:rx=9:baudrate=115200:data_bits=8:parity=odd:stop_bits=1:bit_order=lsb-first:"
            "invert_rx=no");
  // SPI's inputs left out stay out.
  const auto Spi = std::get<TDecoderSpec>(ParseDecoderSpec("spi:wordsize=16:clk=1:miso=2"));
  EXPECT_EQ(std::get<TDecoderSpec>(ParseDecoderSpec(FormatDecoderSpec(Spi))).Options, Spi.Options);
  EXPECT_EQ(Spi.Option("mosi"), "");
}
