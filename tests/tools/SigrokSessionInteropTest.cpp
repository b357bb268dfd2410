// la16-capture's sigrok sessions of the simulated analyser, read by sigrok
// itself: sigrok-cli must find the 2047 samples at the time base's exact
// samplerate, and its UART, I2C and SPI decoders the very bytes the
// simulated signals carry.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "simulator/AnalyserFirmware.h"
#include "simulator/SimulatedAnalyser.h"
#include "tests/support/CaseNames.h"
#include "tools/CaptureOptions.h"

namespace fs = std::filesystem;

namespace {

using CaseNames::PrintTo;

struct TSessionCase {
  const char* Name;         ///< the time base
  std::int64_t SampleRate;  ///< what sigrok must read, in Hz
  // The buses whose bit rate the samplerate resolves; the others are only
  // counted and compared as samples.
  bool Uart;  ///< 9600 baud: at least 3 samples per bit and a whole character in memory
  bool I2c;   ///< 100 kHz: a quarter bit of 2.5 µs seen, a whole transaction in memory
  bool Spi;   ///< 1 MHz: a half bit of 0.5 µs seen
};

constexpr TSessionCase SessionCases[] = {
    {"1us", 30'000'000, false, false, true}, {"2us", 15'000'000, false, false, true},
    {"5us", 6'000'000, false, true, true},   {"10us", 3'000'000, false, true, true},
    {"20us", 1'500'000, true, true, false},  {"50us", 600'000, true, true, false},
    {"100us", 300'000, true, false, false},  {"200us", 150'000, true, false, false},
    {"500us", 60'000, true, false, false},   {"1ms", 30'000, true, false, false},
    {"2ms", 15'000, false, false, false},    {"20ms", 1'500, false, false, false},
    {"500ms", 60, false, false, false},
};

std::string ReadFile(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

// Hex bytes after Prefix on each line of Text, in order ("spi-1: A5").
std::vector<int> BytesAfter(const std::string& Text, const std::string& Prefix) {
  std::vector<int> Bytes;
  std::istringstream Lines(Text);
  std::string Line;
  while (std::getline(Lines, Line)) {
    if (Line.rfind(Prefix, 0) == 0) {
      Bytes.push_back(std::stoi(Line.substr(Prefix.size()), nullptr, 16));
    }
  }
  return Bytes;
}

class SigrokSession : public testing::TestWithParam<TSessionCase> {
 protected:
  void SetUp() override {
    if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
      GTEST_SKIP() << "sigrok-cli is not installed";
    }
    Dir = fs::path(testing::TempDir()) /
          ("la16-sigrok-session-" + std::to_string(::getpid()) + "-" + GetParam().Name);
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    Base = FindCaptureTimeBase(GetParam().Name);
    ASSERT_NE(Base, nullptr);
    Period = SamplePeriodOfCode(Base->Code);
    Span = MemorySamples * Period;
  }
  void TearDown() override {
    if (!Dir.empty()) {
      fs::remove_all(Dir);
    }
  }

  /// Runs Command in Dir; its standard output, and a failure if it fails.
  std::string Shell(const std::string& Command) {
    const std::string Full =
        "cd '" + Dir.string() + "' && " + Command + " > stdout.txt 2> stderr.txt";
    const int Status = std::system(Full.c_str());
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Command << "\n"
                                                               << ReadFile(Dir / "stderr.txt");
    return ReadFile(Dir / "stdout.txt");
  }

  /// Captures the whole memory of the simulated analyser at full speed to capture.sr.
  void Capture() {
    Shell(std::string("LA16_SIMULATION_TIME_SCALE=0 '") + LA16_CAPTURE_EXECUTABLE +
          "' --simulate --pull up --time-base '" + GetParam().Name + "' -o capture.sr");
  }

  std::string Decode(const std::string& Decoder, const std::string& Annotations) {
    return Shell("sigrok-cli -i capture.sr -P " + Decoder + " -A " + Annotations);
  }

  fs::path Dir;
  const TTimeBase* Base = nullptr;
  TSimTime Period = 0;
  TSimTime Span = 0;  ///< simulated time the memory covers, from 0
  // The signals of la16-capture's simulated analyser.
  const TSignalGenerator Signals{TSimulatorOptions{}.Seed};
};

TEST_P(SigrokSession, SigrokReadsEverySampleAtTheExactSamplerate) {
  ASSERT_NO_FATAL_FAILURE(Capture());
  const std::string Shown = Shell("sigrok-cli -i capture.sr --show");
  EXPECT_NE(Shown.find("Samplerate: " + std::to_string(GetParam().SampleRate) + "\n"),
            std::string::npos)
      << Shown;
  EXPECT_NE(Shown.find("Logic sample count: 2047\n"), std::string::npos) << Shown;
  EXPECT_NE(Shown.find("- in16: logic\n"), std::string::npos) << Shown;

  // The capture started the simulated clock, at 0: sample N is the inputs at N periods.
  const std::string Raw = Shell("sigrok-cli -i capture.sr -O binary");
  ASSERT_EQ(Raw.size(), 2U * MemorySamples);
  for (int N = 0; N < MemorySamples; ++N) {
    const auto Low = static_cast<unsigned char>(Raw[2 * static_cast<std::size_t>(N)]);
    const auto High = static_cast<unsigned char>(Raw[2 * static_cast<std::size_t>(N) + 1]);
    ASSERT_EQ(Low | High << 8, Signals.Inputs(N * Period, Period, true)) << "sample " << N;
  }
}

// The time bases at which some bus is readable.
std::vector<TSessionCase> DecodableCases() {
  std::vector<TSessionCase> Cases;
  for (const TSessionCase& Case : SessionCases) {
    if (Case.Uart || Case.I2c || Case.Spi) {
      Cases.push_back(Case);
    }
  }
  return Cases;
}

class SigrokDecoders : public SigrokSession {};

TEST_P(SigrokDecoders, ReturnTheBytesTheSimulatorSends) {
  const TSessionCase& Case = GetParam();
  ASSERT_NO_FATAL_FAILURE(Capture());

  if (Case.Uart) {
    // The messages from the first on, cut where the memory ends: every frame
    // wholly inside, perhaps one more whose last data bit is sampled before
    // the end (the decoder names a character before it checks its stop bit).
    std::string Sent;
    std::size_t Whole = 0;
    std::size_t Sampled = 0;
    for (std::int64_t N = 0; N * UartMessagePeriod < Span; ++N) {
      const std::string Text = TSignalGenerator::UartMessage(N);
      const TSimTime First = N * UartMessagePeriod + UartMessageDelay;
      for (std::size_t I = 0; I < Text.size(); ++I) {
        const TSimTime Frame = First + static_cast<TSimTime>(I) * 10 * UartBitTicks;
        Whole += Frame + 10 * UartBitTicks <= Span;
        Sampled += Frame + 17 * UartBitTicks / 2 < Span;
      }
      Sent += Text;
    }
    ASSERT_GE(Whole, 1U);
    const std::vector<int> Read =
        BytesAfter(Decode("uart:rx=in9:baudrate=9600", "uart=rx-data"), "uart-1: ");
    EXPECT_GE(Read.size(), Whole);
    EXPECT_LE(Read.size(), Sampled);
    const std::string Text(Read.begin(), Read.end());
    EXPECT_EQ(Text, Sent.substr(0, Text.size()));
  }

  if (Case.I2c) {
    std::vector<int> Sent;
    for (std::int64_t N = 0; N * I2cTransactionPeriod < Span; ++N) {
      const auto Bytes = Signals.I2cTransactionBytes(N);
      Sent.insert(Sent.end(), Bytes.begin(), Bytes.end());
    }
    const std::string Text = Decode("i2c:scl=in10:sda=in11", "i2c=address-write:data-write");
    // The decoder names the 7-bit address; the wire carries it with the write bit.
    std::vector<int> Read;
    const std::vector<int> Addresses = BytesAfter(Text, "i2c-1: Address write: ");
    const std::vector<int> Data = BytesAfter(Text, "i2c-1: Data write: ");
    ASSERT_EQ(Addresses.size() * 2, Data.size()) << Text;
    for (std::size_t I = 0; I < Addresses.size(); ++I) {
      Read.insert(Read.end(), {Addresses[I] << 1, Data[2 * I], Data[2 * I + 1]});
    }
    EXPECT_EQ(Read, Sent) << Text;
  }

  if (Case.Spi) {
    std::vector<int> Sent;
    for (std::int64_t N = 0; N * SpiTransferPeriod < Span; ++N) {
      const auto Bytes = Signals.SpiTransferBytes(N);
      Sent.insert(Sent.end(), Bytes.begin(), Bytes.end());
    }
    const std::string Text = Decode("spi:clk=in12:mosi=in13:cs=in14", "spi=mosi-data");
    EXPECT_EQ(BytesAfter(Text, "spi-1: "), Sent) << Text;
  }
}

std::string CaseName(const testing::TestParamInfo<TSessionCase>& Info) {
  return Info.param.Name;
}

INSTANTIATE_TEST_SUITE_P(TimeBases, SigrokSession, testing::ValuesIn(SessionCases), CaseName);
INSTANTIATE_TEST_SUITE_P(TimeBases, SigrokDecoders, testing::ValuesIn(DecodableCases()), CaseName);

}  // namespace
