// SPDX-License-Identifier: GPL-3.0-or-later
// la16's decoders held to sigrok-cli's on the same captures, written as
// sigrok sessions: the simulated analyser's buses at several time bases and
// trigger phases, and generated captures with the faults a decoder must name.
// Same events and values, each starting within one sample of sigrok's.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "acquisition/SigrokSession.h"
#include "analysis/DecoderTable.h"
#include "simulator/SimulatedSignals.h"
#include "tests/analysis/BusWaveforms.h"

namespace {

struct TEvent {
  std::int64_t First;
  std::string Event;
  std::string Value;  // hex digits, upper case, without 0x; empty for none
  bool operator<(const TEvent& Other) const {
    return std::tie(First, Event) < std::tie(Other.First, Other.Event);
  }
};

std::string Hex(std::uint32_t Value) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "%02X", Value);
  return Text;
}

// What sigrok-cli prints ("ss-es uart-1: 41", "... i2c-1: Address read: 50",
// "... Start repeat") in la16's event words; an empty word for what la16 has not.
TEvent SigrokEvent(const std::string& Line) {
  long long First = 0, Last = 0;
  int Used = 0;
  std::sscanf(Line.c_str(), "%lld-%lld %*[^:]: %n", &First, &Last, &Used);
  std::string Text = Line.substr(static_cast<std::size_t>(Used));
  if (Text.ends_with("%")) {  // a PWM cycle's duty
    char Duty[32];
    std::snprintf(Duty, sizeof Duty, "%.1f%%", std::stod(Text));
    return {First, "cycle", Duty};
  }
  if (!Text.empty() && Text.find_first_not_of("0123456789ABCDEF") == std::string::npos) {
    return {First, "data", Hex(std::stoul(Text, nullptr, 16))};
  }
  const std::size_t Colon = Text.find(": ");
  const std::string Value =
      Colon == std::string::npos ? "" : Hex(std::stoul(Text.substr(Colon + 2), nullptr, 16));
  std::string Word;
  for (char C : Text.substr(0, Colon)) {
    Word += C == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  }
  Word = Word == "start-repeat" ? "repeat-start" : Word.starts_with("data-") ? "data" : Word;
  return {First, Word == "read" || Word == "write" ? "" : Word, Value};
}

using TCapture = bustest::TWave;

// 2047 samples of the simulated analyser from simulated time Start.
TCapture Simulated(int TimeBaseIndex, TSimTime Start) {
  const TTimeBase* Base = FindTimeBase(TimeBaseIndex);
  const TSimTime Period = SamplePeriodOfCode(Base->Code);
  const TSignalGenerator Generator(1);
  TCapture Capture{{}, Base};
  for (TSimTime N = 0; N < 2047; ++N) {
    Capture.Samples.push_back(Generator.Inputs(Start + N * Period, Period, false));
  }
  return Capture;
}

struct TRow {
  const char* Name;
  TCapture Capture;
  const char* Spec;               // la16's; sigrok's names the inputs in1..in16
  std::int64_t From = 0;          // compare from this sample on (a bus cut at the start)
  int Cuts = 0;                   // words la16 marks cut by an end of the samples
  const char* Classes = nullptr;  // sigrok's -A, when not the decoder's usual ones
};

constexpr TSimTime Ms = SimTicksPerMillisecond;
constexpr TSimTime Us = SimTicksPerMicrosecond;
// sigrok-cli's decoder for la16's spec: the same options, inputs by channel name.
std::string SigrokDecoder(const std::string& Spec) {
  static const std::regex Input(":(rx|scl|sda|clk|mosi|miso|cs|data)=");
  const std::string Named = std::regex_replace(Spec, Input, ":$1=in");
  return std::regex_replace(Named, std::regex("baudrate=auto"), "baudrate=9600");
}

std::string SigrokClasses(const std::string& Decoder) {
  return Decoder == "pwm"    ? "pwm=duty-cycle"
         : Decoder == "uart" ? "uart=rx-data:rx-parity-err:rx-warnings"
         : Decoder == "spi"  ? "spi=mosi-data"
                             : "i2c=start:repeat-start:stop:ack:nack:address-read:address-write:"
                               "data-read:data-write";
}

}  // namespace

TEST(SigrokOracle, La16DecodesWhatSigrokDecodes) {
  if (std::system("sigrok-cli --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed (scripts/install-deps installs it): "
                    "the decoders are not compared with sigrok's";
  }
  using namespace bustest;
  const TRow Rows[] = {
      // The simulated analyser's buses (inputs 9 to 14).
      {"uart 100us", Simulated(10, 0), "uart:rx=9:baudrate=9600", 0, 1},
      {"uart 200us late", Simulated(11, 3 * Ms + 70 * Us), "uart:rx=9:baudrate=9600", 0, 1},
      {"uart 500us", Simulated(12, 50 * Ms), "uart:rx=9:baudrate=9600"},
      {"uart 200us auto", Simulated(11, 0), "uart:rx=9:baudrate=auto"},
      {"i2c 5us", Simulated(6, 0), "i2c:scl=10:sda=11"},
      {"i2c 10us", Simulated(7, 20 * Ms), "i2c:scl=10:sda=11"},
      {"i2c 20us early", Simulated(8, 20 * Ms - 100 * Us), "i2c:scl=10:sda=11"},
      {"spi 1us", Simulated(4, 0), "spi:clk=12:mosi=13:cs=14"},
      {"spi 2us", Simulated(5, 5 * Ms), "spi:clk=12:mosi=13:cs=14"},
      {"spi 5us early", Simulated(6, 10 * Ms - 150 * Us), "spi:clk=12:mosi=13:cs=14"},
      {"pwm 1ms", Simulated(13, 0), "pwm:data=15", 0, 2},
      {"pwm 100us active low", Simulated(10, 7 * Ms), "pwm:data=15:polarity=active-low", 0, 2},
      // Generated faults and settings.
      {"uart parity", Uart({0x41, 0x7E, 0x13}, {7, 'e', 1, false, false, 1}),
       "uart:rx=1:baudrate=9600:data_bits=7:parity=even"},
      {"uart frame", Uart({0x55, 0xAA, 0x0F}, {8, 'n', 1, false, false, -1, 1}),
       "uart:rx=1:baudrate=9600"},
      {"uart 9 bits msb odd", Uart({0x1A5, 0x0FF, 0x100}, {9, 'o', 1.5, true}),
       "uart:rx=1:baudrate=9600:data_bits=9:parity=odd:stop_bits=1.5:bit_order=msb-first"},
      {"uart inverted cut", Uart({0x31, 0x32, 0x33, 0x34}, {8, 'n', 1, false, true}, 130, 100),
       "uart:rx=1:baudrate=9600:invert_rx=yes", 0, 2},
      {"i2c nack restart", I2c(I2cReadAfterWrite(), 0, 0), "i2c:scl=2:sda=3"},
      {"i2c cut", I2c(I2cReadAfterWrite(), 100, 60), "i2c:scl=2:sda=3", 0, 2},
      {"spi mode 0", Spi({0xA5, 0x3C}, {0, 0}), "spi:clk=1:mosi=2:miso=3:cs=4", 0, 0,
       "spi=miso-data"},
      {"spi mode 1", Spi({0xA5, 0x3C}, {0, 1}), "spi:clk=1:mosi=2:miso=3:cs=4:cpha=1"},
      {"spi mode 2", Spi({0xA5, 0x3C}, {1, 0}), "spi:clk=1:mosi=2:miso=3:cs=4:cpol=1"},
      {"spi mode 3 lsb 16", Spi({0xA55A, 0x0102}, {1, 1, 16, false}),
       "spi:clk=1:mosi=2:miso=3:cs=4:cpol=1:cpha=1:bitorder=lsb-first:wordsize=16"},
      {"spi active high cut", Spi({0x11, 0x22, 0x33}, {0, 0, 8, true, true}, 30, 40),
       "spi:clk=1:mosi=2:cs=4:cs_polarity=active-high", 30, 2},
  };
  const std::filesystem::path Dir =
      std::filesystem::path(testing::TempDir()) / ("la16-oracle-" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir);
  for (const TRow& Row : Rows) {
    SCOPED_TRACE(Row.Name);
    const TCapture& Capture = Row.Capture;
    TExportInfo Info;
    Info.TimeBase = Capture.Base;
    const std::filesystem::path File = Dir / "capture.sr";
    {
      std::ofstream Out(File, std::ios::binary);
      ASSERT_TRUE(WriteSigrokSession(Out, Capture.Samples, Info));
    }
    const std::string Decoder = std::string(Row.Spec).substr(0, std::string(Row.Spec).find(':'));
    const std::string Classes = Row.Classes != nullptr ? Row.Classes : SigrokClasses(Decoder);
    const std::string Command = "sigrok-cli -i '" + File.string() + "' -P " +
                                SigrokDecoder(Row.Spec) + " -A " + Classes +
                                " --protocol-decoder-samplenum 2>&1";
    std::vector<TEvent> Expected;
    FILE* Pipe = ::popen(Command.c_str(), "r");
    ASSERT_NE(Pipe, nullptr);
    std::array<char, 512> Line{};
    const std::string SpiEvent = Classes.substr(4, 4);
    while (std::fgets(Line.data(), Line.size(), Pipe) != nullptr) {
      std::string Text = Line.data();
      Text.erase(Text.find_last_not_of("\r\n") + 1);
      TEvent Event = SigrokEvent(Text);
      Event.Event = Decoder == "spi" ? SpiEvent : Event.Event;
      if (Event.First >= Row.From && !Event.Event.empty()) {
        Expected.push_back(Event);
      }
    }
    ASSERT_EQ(::pclose(Pipe), 0) << Command;

    const auto Spec = ParseDecoderSpec(Row.Spec);
    ASSERT_TRUE(std::holds_alternative<TDecoderSpec>(Spec));
    const TSampleView View{Capture.Samples, 0, SecondsPerSample(*Capture.Base), Capture.Base};
    std::vector<TEvent> Actual;
    int Cuts = 0;
    for (const TAnnotation& A : Decode(std::get<TDecoderSpec>(Spec), View)) {
      Cuts += A.Cut ? 1 : 0;
      const bool Wanted = Decoder != "spi" || A.Event == SpiEvent;
      if (A.Event != "cut" && Wanted && A.FirstSample >= Row.From) {
        const std::size_t Duty = A.ValueText.find("duty=");
        Actual.push_back({A.FirstSample, A.Event,
                          Duty != std::string::npos ? A.ValueText.substr(Duty + 5)
                          : A.Value                 ? Hex(*A.Value)
                                                    : ""});
      }
    }
    EXPECT_EQ(Cuts, Row.Cuts);
    std::sort(Expected.begin(), Expected.end());
    std::sort(Actual.begin(), Actual.end());
    EXPECT_FALSE(Expected.empty());
    // Where they differ, la16's event beside sigrok-cli's.
    std::string Differences;
    for (std::size_t I = 0; I < std::max(Actual.size(), Expected.size()); ++I) {
      const TEvent None{-9, "-", ""};
      const TEvent& A = I < Actual.size() ? Actual[I] : None;
      const TEvent& E = I < Expected.size() ? Expected[I] : None;
      if (A.Event != E.Event || A.Value != E.Value || std::llabs(A.First - E.First) > 1) {
        Differences += std::to_string(A.First) + " " + A.Event + " " + A.Value + " | " +
                       std::to_string(E.First) + " " + E.Event + " " + E.Value + "\n";
      }
    }
    EXPECT_EQ(Differences, "") << "la16 | sigrok-cli";
  }
  std::filesystem::remove_all(Dir);
}
