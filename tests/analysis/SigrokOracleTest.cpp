// SPDX-License-Identifier: GPL-3.0-or-later
// la16's decoders held to sigrok-cli's on the same captures, written as
// sigrok sessions: the simulated analyser's buses at several time bases and
// trigger phases, and generated captures with the faults a decoder must name.
// Same events and values, each starting within one sample of sigrok's.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "acquisition/SigrokSession.h"
#include "analysis/DecoderSpec.h"
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

// What sigrok-cli prints ("ss-es uart-1: 41") as la16's event words.
std::optional<TEvent> SigrokEvent(const std::string& Line, const std::string& Decoder) {
  long long First = 0, Last = 0;
  char Name[32] = {};
  int Used = 0;
  if (std::sscanf(Line.c_str(), "%lld-%lld %31[^:]: %n", &First, &Last, Name, &Used) != 3) {
    return std::nullopt;
  }
  const std::string Text = Line.substr(static_cast<std::size_t>(Used));
  if (Text == "Read" || Text == "Write") {  // the address's direction bit, told apart
    return TEvent{First, "", ""};
  }
  static const std::pair<const char*, const char*> Words[] = {{"Start repeat", "repeat-start"},
                                                              {"Start", "start"},
                                                              {"Stop", "stop"},
                                                              {"ACK", "ack"},
                                                              {"NACK", "nack"},
                                                              {"Frame error", "frame-error"},
                                                              {"Parity error", "parity-error"},
                                                              {"Address read: ", "address-read"},
                                                              {"Address write: ", "address-write"},
                                                              {"Data read: ", "data"},
                                                              {"Data write: ", "data"}};
  for (const auto& [Prefix, Word] : Words) {
    const std::string P = Prefix;
    if (P.back() == ' ' ? Text.starts_with(P) : Text == P) {
      return TEvent{First, Word,
                    P.back() == ' ' ? Hex(std::stoul(Text.substr(P.size()), nullptr, 16)) : ""};
    }
  }
  return TEvent{First, Decoder == "spi" ? "" : "data", Hex(std::stoul(Text, nullptr, 16))};
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
  std::function<TCapture()> Capture;
  const char* Spec;       // la16's
  const char* Decoder;    // sigrok's -P
  const char* Classes;    // sigrok's -A
  std::int64_t From = 0;  // compare from this sample on (a bus cut at the start)
  int Cuts = 0;           // words la16 marks cut by an end of the samples
};

constexpr TSimTime Ms = SimTicksPerMillisecond;
constexpr TSimTime Us = SimTicksPerMicrosecond;
const char* const UartClasses = "uart=rx-data:rx-parity-err:rx-warnings";
const char* const I2cClasses =
    "i2c=start:repeat-start:stop:ack:nack:address-read:address-write:data-read:data-write";

}  // namespace

TEST(SigrokOracle, La16DecodesWhatSigrokDecodes) {
  if (std::system("sigrok-cli --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed (scripts/install-deps installs it): "
                    "the decoders are not compared with sigrok's";
  }
  using namespace bustest;
  const TRow Rows[] = {
      // The simulated analyser's buses (inputs 9 to 14).
      {"uart 100us", [] { return Simulated(10, 0); }, "uart:rx=9:baudrate=9600",
       "uart:rx=in9:baudrate=9600", UartClasses, 0, 1},
      {"uart 200us late", [] { return Simulated(11, 3 * Ms + 70 * Us); }, "uart:rx=9:baudrate=9600",
       "uart:rx=in9:baudrate=9600", UartClasses, 0, 1},
      {"uart 500us", [] { return Simulated(12, 50 * Ms); }, "uart:rx=9:baudrate=9600",
       "uart:rx=in9:baudrate=9600", UartClasses},
      {"uart 200us auto", [] { return Simulated(11, 0); }, "uart:rx=9:baudrate=auto",
       "uart:rx=in9:baudrate=9600", UartClasses},
      {"i2c 5us", [] { return Simulated(6, 0); }, "i2c:scl=10:sda=11", "i2c:scl=in10:sda=in11",
       I2cClasses},
      {"i2c 10us", [] { return Simulated(7, 20 * Ms); }, "i2c:scl=10:sda=11",
       "i2c:scl=in10:sda=in11", I2cClasses},
      {"i2c 20us early", [] { return Simulated(8, 20 * Ms - 100 * Us); }, "i2c:scl=10:sda=11",
       "i2c:scl=in10:sda=in11", I2cClasses},
      {"spi 1us", [] { return Simulated(4, 0); }, "spi:clk=12:mosi=13:cs=14",
       "spi:clk=in12:mosi=in13:cs=in14", "spi=mosi-data"},
      {"spi 2us", [] { return Simulated(5, 5 * Ms); }, "spi:clk=12:mosi=13:cs=14",
       "spi:clk=in12:mosi=in13:cs=in14", "spi=mosi-data"},
      {"spi 5us early", [] { return Simulated(6, 10 * Ms - 150 * Us); }, "spi:clk=12:mosi=13:cs=14",
       "spi:clk=in12:mosi=in13:cs=in14", "spi=mosi-data"},
      // Generated faults and settings.
      {"uart parity",
       [] {
         return Uart({0x41, 0x7E, 0x13}, {7, 'e', 1, false, false, 1});
       },
       "uart:rx=1:baudrate=9600:data_bits=7:parity=even",
       "uart:rx=in1:baudrate=9600:data_bits=7:parity=even", UartClasses},
      {"uart frame",
       [] {
         return Uart({0x55, 0xAA, 0x0F}, {8, 'n', 1, false, false, -1, 1});
       },
       "uart:rx=1:baudrate=9600", "uart:rx=in1:baudrate=9600", UartClasses},
      {"uart 9 bits msb odd",
       [] {
         return Uart({0x1A5, 0x0FF, 0x100}, {9, 'o', 1.5, true});
       },
       "uart:rx=1:baudrate=9600:data_bits=9:parity=odd:stop_bits=1.5:bit_order=msb-first",
       "uart:rx=in1:baudrate=9600:data_bits=9:parity=odd:stop_bits=1.5:bit_order=msb-first",
       UartClasses},
      {"uart inverted cut",
       [] {
         return Uart({0x31, 0x32, 0x33, 0x34}, {8, 'n', 1, false, true}, 130, 100);
       },
       "uart:rx=1:baudrate=9600:invert_rx=yes", "uart:rx=in1:baudrate=9600:invert_rx=yes",
       UartClasses, 0, 2},
      {"i2c nack restart", [] { return I2c(I2cReadAfterWrite(), 0, 0); }, "i2c:scl=2:sda=3",
       "i2c:scl=in2:sda=in3", I2cClasses},
      {"i2c cut", [] { return I2c(I2cReadAfterWrite(), 100, 60); }, "i2c:scl=2:sda=3",
       "i2c:scl=in2:sda=in3", I2cClasses, 0, 2},
      {"spi mode 0",
       [] {
         return Spi({0xA5, 0x3C}, {0, 0});
       },
       "spi:clk=1:mosi=2:miso=3:cs=4", "spi:clk=in1:mosi=in2:miso=in3:cs=in4", "spi=miso-data"},
      {"spi mode 1",
       [] {
         return Spi({0xA5, 0x3C}, {0, 1});
       },
       "spi:clk=1:mosi=2:miso=3:cs=4:cpha=1", "spi:clk=in1:mosi=in2:miso=in3:cs=in4:cpha=1",
       "spi=mosi-data"},
      {"spi mode 2",
       [] {
         return Spi({0xA5, 0x3C}, {1, 0});
       },
       "spi:clk=1:mosi=2:miso=3:cs=4:cpol=1", "spi:clk=in1:mosi=in2:miso=in3:cs=in4:cpol=1",
       "spi=mosi-data"},
      {"spi mode 3 lsb 16",
       [] {
         return Spi({0xA55A, 0x0102}, {1, 1, 16, false});
       },
       "spi:clk=1:mosi=2:miso=3:cs=4:cpol=1:cpha=1:bitorder=lsb-first:wordsize=16",
       "spi:clk=in1:mosi=in2:miso=in3:cs=in4:cpol=1:cpha=1:bitorder=lsb-first:wordsize=16",
       "spi=mosi-data"},
      {"spi active high cut",
       [] {
         return Spi({0x11, 0x22, 0x33}, {0, 0, 8, true, true}, 30, 40);
       },
       "spi:clk=1:mosi=2:cs=4:cs_polarity=active-high",
       "spi:clk=in1:mosi=in2:cs=in4:cs_polarity=active-high", "spi=mosi-data", 30, 2},
  };
  const std::filesystem::path Dir =
      std::filesystem::path(testing::TempDir()) / ("la16-oracle-" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir);
  for (const TRow& Row : Rows) {
    SCOPED_TRACE(Row.Name);
    const TCapture Capture = Row.Capture();
    TExportInfo Info;
    Info.TimeBase = Capture.Base;
    const std::filesystem::path File = Dir / "capture.sr";
    {
      std::ofstream Out(File, std::ios::binary);
      ASSERT_TRUE(WriteSigrokSession(Out, Capture.Samples, Info));
    }
    const std::string Command = "sigrok-cli -i '" + File.string() + "' -P " + Row.Decoder + " -A " +
                                Row.Classes + " --protocol-decoder-samplenum 2>&1";
    std::vector<TEvent> Expected;
    FILE* Pipe = ::popen(Command.c_str(), "r");
    ASSERT_NE(Pipe, nullptr);
    std::array<char, 512> Line{};
    const std::string Decoder = std::string(Row.Spec).substr(0, std::string(Row.Spec).find(':'));
    const std::string SpiEvent = std::string(Row.Classes).substr(4, 4);
    while (std::fgets(Line.data(), Line.size(), Pipe) != nullptr) {
      std::string Text = Line.data();
      Text.erase(Text.find_last_not_of("\r\n") + 1);
      std::optional<TEvent> Event = SigrokEvent(Text, Decoder);
      ASSERT_TRUE(Event) << "sigrok-cli: " << Text;
      if (Decoder == "spi") {
        Event->Event = SpiEvent;
      }
      if (Event->First >= Row.From && !Event->Event.empty()) {
        Expected.push_back(*Event);
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
        Actual.push_back({A.FirstSample, A.Event, A.Value ? Hex(*A.Value) : ""});
      }
    }
    EXPECT_EQ(Cuts, Row.Cuts);
    std::sort(Expected.begin(), Expected.end());
    std::sort(Actual.begin(), Actual.end());
    EXPECT_FALSE(Expected.empty());
    std::string Listing;
    for (std::size_t I = 0; I < std::max(Actual.size(), Expected.size()); ++I) {
      auto Show = [](const std::vector<TEvent>& Events, std::size_t K) {
        return K < Events.size()
                   ? std::to_string(Events[K].First) + " " + Events[K].Event + " " + Events[K].Value
                   : std::string("-");
      };
      Listing += Show(Actual, I) + " | " + Show(Expected, I) + "\n";
    }
    ASSERT_EQ(Actual.size(), Expected.size()) << "la16 | sigrok-cli\n" << Listing;
    for (std::size_t I = 0; I < Actual.size(); ++I) {
      EXPECT_EQ(Actual[I].Event, Expected[I].Event) << "#" << I << " at " << Expected[I].First;
      EXPECT_EQ(Actual[I].Value, Expected[I].Value) << "#" << I << " at " << Expected[I].First;
      EXPECT_LE(std::llabs(Actual[I].First - Expected[I].First), 1)
          << "#" << I << " " << Expected[I].Event;
    }
  }
  std::filesystem::remove_all(Dir);
}
