// SPDX-License-Identifier: GPL-3.0-or-later
// la16-capture's sigrok sessions of the simulated analyser, read by sigrok
// itself: sigrok-cli must find the 2047 samples at the time base's exact
// samplerate, and its UART, I2C and SPI decoders the bytes the simulated
// signals carry.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "acquisition/SigrokSession.h"
#include "simulator/AnalyserFirmware.h"
#include "simulator/SimulatedAnalyser.h"
#include "tests/support/CaseNames.h"
#include "tools/CaptureOptions.h"

namespace fs = std::filesystem;

namespace {

using CaseNames::PrintTo;

// A bus is decoded where the samplerate resolves its bits and the memory
// holds a whole character or transaction.
struct TSessionCase {
  const char* Name;         ///< the time base
  std::int64_t SampleRate;  ///< what sigrok must read, in Hz
  bool Uart, I2c, Spi;
};

constexpr TSessionCase SessionCases[] = {
    {"1us", 30'000'000, false, false, true}, {"2us", 15'000'000, false, false, true},
    {"5us", 6'000'000, false, true, true},   {"10us", 3'000'000, false, true, true},
    {"20us", 1'500'000, true, true, false},  {"50us", 600'000, true, true, false},
    {"100us", 300'000, true, false, false},  {"200us", 150'000, true, false, false},
    {"500us", 60'000, true, false, false},   {"1ms", 30'000, true, false, false},
    {"2ms", 15'000, false, false, false},    {"5ms", 6'000, false, false, false},
    {"10ms", 3'000, false, false, false},    {"20ms", 1'500, false, false, false},
    {"50ms", 600, false, false, false},      {"100ms", 300, false, false, false},
    {"200ms", 150, false, false, false},     {"500ms", 60, false, false, false},
};

std::string ReadFile(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

// The hex bytes after Prefix on the lines of Text that start with it.
std::vector<int> BytesAfter(const std::string& Text, const std::string& Prefix) {
  std::vector<int> Bytes;
  std::istringstream Lines(Text);
  for (std::string Line; std::getline(Lines, Line);) {
    if (Line.rfind(Prefix, 0) == 0) {
      Bytes.push_back(std::stoi(Line.substr(Prefix.size()), nullptr, 16));
    }
  }
  return Bytes;
}

// Each case works in a folder of its own, named after it.
template <typename TCase>
class SigrokFixture : public testing::TestWithParam<TCase> {
 protected:
  void SetUp() override {
    if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
      GTEST_SKIP() << "sigrok-cli is not installed";
    }
    Dir = fs::path(testing::TempDir()) /
          ("la16-sigrok-session-" + std::to_string(::getpid()) + "-" + this->GetParam().Name);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  /// Runs Command in Dir and returns its standard output; fails if it fails.
  std::string Shell(const std::string& Command) {
    const int Status =
        std::system(("cd '" + Dir.string() + "' && " + Command + " > out.bin 2> err.txt").c_str());
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Command << "\n"
                                                               << ReadFile(Dir / "err.txt");
    return ReadFile(Dir / "out.bin");
  }

  fs::path Dir;
};

using SigrokSession = SigrokFixture<TSessionCase>;

TEST_P(SigrokSession, SigrokReadsTheSamplesAndDecodesTheBuses) {
  const TSessionCase& Case = GetParam();
  const TSimTime Period = SamplePeriodOfCode(FindCaptureTimeBase(Case.Name)->Code);
  const TSimTime Span = MemorySamples * Period;  // the capture starts the clock, at 0
  const TSignalGenerator Signals(TSimulatorOptions{}.Seed);
  Shell(std::string("LA16_SIMULATION_TIME_SCALE=0 '") + LA16_CAPTURE_EXECUTABLE +
        "' --simulate --pull up --time-base " + Case.Name + " -o capture.sr");

  const std::string Shown = Shell("sigrok-cli -i capture.sr --show");
  EXPECT_NE(Shown.find("Samplerate: " + std::to_string(Case.SampleRate) + "\n"), std::string::npos)
      << Shown;
  EXPECT_NE(Shown.find("Logic sample count: 2047\n"), std::string::npos) << Shown;
  EXPECT_NE(Shown.find("- in16: logic\n"), std::string::npos) << Shown;
  const std::string Raw = Shell("sigrok-cli -i capture.sr -O binary");
  ASSERT_EQ(Raw.size(), 2U * MemorySamples);
  for (std::size_t N = 0; N < MemorySamples; ++N) {
    const int Sample =
        static_cast<unsigned char>(Raw[2 * N]) | static_cast<unsigned char>(Raw[2 * N + 1]) << 8;
    ASSERT_EQ(Sample, Signals.Inputs(static_cast<TSimTime>(N) * Period, Period, true)) << N;
  }

  if (Case.Uart) {
    // Messages from the first on, cut where the memory ends: every whole frame,
    // perhaps one more whose data bits end inside (named before its stop bit).
    std::string Sent;
    std::size_t Whole = 0;
    std::size_t Begun = 0;
    for (std::int64_t N = 0; N * UartMessagePeriod < Span; ++N) {
      const TSimTime First = N * UartMessagePeriod + UartMessageDelay;
      for (std::size_t I = 0; I < TSignalGenerator::UartMessage(N).size(); ++I) {
        const TSimTime Frame = First + static_cast<TSimTime>(I) * 10 * UartBitTicks;
        Whole += Frame + 10 * UartBitTicks <= Span;
        Begun += Frame + 17 * UartBitTicks / 2 < Span;
      }
      Sent += TSignalGenerator::UartMessage(N);
    }
    const std::vector<int> Read = BytesAfter(
        Shell("sigrok-cli -i capture.sr -P uart:rx=in9:baudrate=9600 -A uart=rx-data"), "uart-1: ");
    EXPECT_GE(Read.size(), std::max<std::size_t>(Whole, 1));
    EXPECT_LE(Read.size(), Begun);
    EXPECT_EQ(std::string(Read.begin(), Read.end()), Sent.substr(0, Read.size()));
  }
  if (Case.I2c) {
    // The decoder names the 7-bit address, which goes with the write bit.
    std::vector<int> Addresses;
    std::vector<int> Data;
    for (std::int64_t N = 0; N * I2cTransactionPeriod < Span; ++N) {
      const auto Bytes = Signals.I2cTransactionBytes(N);
      Addresses.push_back(Bytes[0] >> 1);
      Data.insert(Data.end(), Bytes.begin() + 1, Bytes.end());
    }
    const std::string Text =
        Shell("sigrok-cli -i capture.sr -P i2c:scl=in10:sda=in11 -A i2c=address-write:data-write");
    EXPECT_EQ(BytesAfter(Text, "i2c-1: Address write: "), Addresses) << Text;
    EXPECT_EQ(BytesAfter(Text, "i2c-1: Data write: "), Data) << Text;
  }
  if (Case.Spi) {
    std::vector<int> Sent;
    for (std::int64_t N = 0; N * SpiTransferPeriod < Span; ++N) {
      const auto Bytes = Signals.SpiTransferBytes(N);
      Sent.insert(Sent.end(), Bytes.begin(), Bytes.end());
    }
    EXPECT_EQ(BytesAfter(Shell("sigrok-cli -i capture.sr -P spi:clk=in12:mosi=in13:cs=in14 -A "
                               "spi=mosi-data"),
                         "spi-1: "),
              Sent);
  }
}

template <typename TCase>
std::string CaseName(const testing::TestParamInfo<TCase>& Info) {
  return Info.param.Name;
}

INSTANTIATE_TEST_SUITE_P(TimeBases, SigrokSession, testing::ValuesIn(SessionCases),
                         CaseName<TSessionCase>);

// The decoding recipe of the README, one line per bus, run as written: in real
// time, so the recording starts wherever the simulated clock has got to, and
// only the external trigger puts a burst in the memory of the fast buses.
struct TRecipe {
  const char* Name;
  const char* Line;  ///< after la16-capture, up to the decoder's output
  std::vector<int> (*Burst)(const TSignalGenerator& Signals, std::int64_t N);
};

const TRecipe Recipes[] = {
    {"uart",
     " --simulate --trigger ext-high --time-base 1ms -o uart.sr && "
     "sigrok-cli -i uart.sr -P uart:rx=in9:baudrate=9600 -A uart=rx-data",
     [](const TSignalGenerator&, std::int64_t N) {
       const std::string Text = TSignalGenerator::UartMessage(N);
       return std::vector<int>(Text.begin(), Text.end());
     }},
    {"i2c",
     " --simulate --trigger ext-high --time-base 20us -o i2c.sr && "
     "sigrok-cli -i i2c.sr -P i2c:scl=in10:sda=in11 -A i2c=address-write:data-write",
     [](const TSignalGenerator& Signals, std::int64_t N) {
       const auto Bytes = Signals.I2cTransactionBytes(N);  // the decoder names the 7-bit address
       return std::vector<int>{Bytes[0] >> 1, Bytes[1], Bytes[2]};
     }},
    {"spi",
     " --simulate --trigger ext-high --time-base 2us -o spi.sr && "
     "sigrok-cli -i spi.sr -P spi:clk=in12:mosi=in13:cs=in14 -A spi=mosi-data",
     [](const TSignalGenerator& Signals, std::int64_t N) {
       const auto Bytes = Signals.SpiTransferBytes(N);
       return std::vector<int>(Bytes.begin(), Bytes.end());
     }},
    // la16's own decoders, the same bursts.
    {"la16_uart", " --simulate --trigger ext-high --time-base 1ms --decode uart:rx=9:baudrate=9600",
     Recipes[0].Burst},
    {"la16_i2c", " --simulate --trigger ext-high --time-base 20us --decode i2c:scl=10:sda=11",
     Recipes[1].Burst},
    {"la16_spi", " --simulate --trigger ext-high --time-base 2us --decode spi:clk=12:mosi=13:cs=14",
     Recipes[2].Burst},
};

using SigrokRecipe = SigrokFixture<TRecipe>;

TEST_P(SigrokRecipe, DecodesABurst) {
  const std::string Line = GetParam().Line;
  // The line a reader copies is the one tested.
  std::ifstream Readme(LA16_SOURCE_DIR "/README.md");
  const std::string Documented((std::istreambuf_iterator<char>(Readme)), {});
  EXPECT_NE(Documented.find("\nbuild/la16-capture" + Line + "\n"), std::string::npos)
      << "README.md has no line: build/la16-capture" << Line;
  const std::string Text = Shell(std::string("'") + LA16_CAPTURE_EXECUTABLE + "'" + Line);
  // The hex byte that ends an annotation line, whatever its label; the I2C
  // decoder also says "Write" before the address.
  std::vector<int> Read;
  std::istringstream Lines(Text);
  for (std::string Annotation; std::getline(Lines, Annotation);) {
    const std::size_t Hex = Annotation.rfind(",0x");  // la16-capture's CSV
    const std::string Byte =
        Annotation.substr(Hex != std::string::npos ? Hex + 3 : Annotation.rfind(": ") + 2);
    if (Byte.size() == 2 && std::isxdigit(static_cast<unsigned char>(Byte[0])) &&
        std::isxdigit(static_cast<unsigned char>(Byte[1]))) {
      Read.push_back(std::stoi(Byte, nullptr, 16));
    }
  }
  // A whole burst, from its first byte: the one the trigger started with.
  const TSignalGenerator Signals(TSimulatorOptions{}.Seed);
  bool Found = false;
  for (std::int64_t N = 0; N < 100'000 && !Found; ++N) {
    const std::vector<int> Burst = GetParam().Burst(Signals, N);
    Found = Read.size() >= Burst.size() && std::equal(Burst.begin(), Burst.end(), Read.begin());
  }
  EXPECT_TRUE(Found) << Line << "\n" << Text;
}

INSTANTIATE_TEST_SUITE_P(Buses, SigrokRecipe, testing::ValuesIn(Recipes), CaseName<TRecipe>);

// The metadata names the window and the time base beside sigrok's keys; and
// a pipe, which cannot seek, need not: the archive is whole before it is written.
TEST(SigrokSessionOutput, MetadataNamesTheWindowAndTheArchiveGoesThroughAPipe) {
  TExportInfo Info;
  Info.TimeBase = FindCaptureTimeBase("2ms");
  Info.FirstIndex = 1200;
  const std::string Metadata = SigrokMetadata(450, Info);
  for (const char* Line :
       {"\n[device 1]\n", "\nsamplerate=15 kHz\n", "\nprobe1=in1\n", "\nunitsize=2\n",
        "\n[la16]\ntime base=2ms\n", "\nfirst memory index=1200\nsamples=450\n"}) {
    EXPECT_NE(Metadata.find(Line), std::string::npos) << Line;
  }
  if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed";
  }
  const fs::path File = fs::path(testing::TempDir()) / ("la16-piped-" + std::to_string(::getpid()));
  const std::string Command = std::string("LA16_SIMULATION_TIME_SCALE=0 '") +
                              LA16_CAPTURE_EXECUTABLE +
                              "' --simulate --window 1200 --format sr | cat > '" + File.string() +
                              ".sr' && sigrok-cli -i '" + File.string() +
                              ".sr' --show | grep -qx 'Logic sample count: 450'";
  EXPECT_EQ(std::system(Command.c_str()), 0) << Command;
  fs::remove(File.string() + ".sr");
}

}  // namespace
