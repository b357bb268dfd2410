// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SimulatedSignals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/TimeBase.h"

namespace {

// The tests read the signals the way a protocol analyser would: sample them
// on a fine clock and decode.
constexpr TSimTime Fine = SimTicksPerMicrosecond / 10;

bool Level(const TSignalGenerator& Signals, TSimTime T, std::uint16_t Input) {
  return (Signals.Inputs(T, SamplePeriodOfCode(3), true) & Input) != 0;
}

std::string DecodeUart(const TSignalGenerator& Signals, TSimTime From, TSimTime To) {
  std::string Text;
  TSimTime T = From;
  while (T < To) {
    if (Level(Signals, T, InputUart)) {
      T += UartBitTicks / 16;
      continue;
    }
    // A falling edge: sample the middle of each data bit, then check the stop bit.
    int Char = 0;
    for (int Bit = 0; Bit < 8; ++Bit) {
      if (Level(Signals, T + UartBitTicks * (2 * Bit + 3) / 2, InputUart)) {
        Char |= 1 << Bit;
      }
    }
    EXPECT_TRUE(Level(Signals, T + UartBitTicks * 19 / 2, InputUart)) << "framing error";
    Text.push_back(static_cast<char>(Char));
    T += UartBitTicks * 19 / 2;
  }
  return Text;
}

struct TBusCapture {
  int Starts = 0;
  int Stops = 0;
  int SetupViolations = 0;  ///< data changing right at a rising clock edge
  std::vector<int> Bits;
};

// Clock and data of a synchronous bus over [From, To): the data bit taken at
// each rising clock edge counts once the clock falls again; a data change
// while the clock is high is an I2C start (falling) or stop (rising) instead.
TBusCapture CaptureBus(const TSignalGenerator& Signals, TSimTime From, TSimTime To,
                       std::uint16_t Clock, std::uint16_t Data) {
  TBusCapture Capture;
  bool LastClock = Level(Signals, From, Clock);
  bool LastData = Level(Signals, From, Data);
  int Pending = -1;
  for (TSimTime T = From + Fine; T < To; T += Fine) {
    const bool C = Level(Signals, T, Clock);
    const bool D = Level(Signals, T, Data);
    if (C && !LastClock) {
      Pending = D;
      Capture.SetupViolations += D != LastData;
    }
    if (!C && LastClock && Pending >= 0) {
      Capture.Bits.push_back(Pending);
      Pending = -1;
    }
    if (C && LastClock && D != LastData) {
      (D ? Capture.Stops : Capture.Starts)++;
      Pending = -1;
    }
    LastClock = C;
    LastData = D;
  }
  return Capture;
}

int Byte(const std::vector<int>& Bits, std::size_t First) {
  int Value = 0;
  for (std::size_t I = First; I < First + 8; ++I) {
    Value = Value << 1 | Bits[I];
  }
  return Value;
}

}  // namespace

TEST(SimulatedSignals, SamplePeriodIsAThirtiethOfADivision) {
  EXPECT_EQ(SamplePeriodOfCode(0), 100);  // 1 µs / 30 = 33.3 ns
  EXPECT_EQ(SamplePeriodOfCode(3), 100'000);
  EXPECT_EQ(SamplePeriodOfCode(21), 50'000'000);  // 16.7 ms
  EXPECT_EQ(SamplePeriodOfCode(7), 0);
  for (const TTimeBase& Base : TimeBaseTable) {
    EXPECT_DOUBLE_EQ(static_cast<double>(SamplePeriodOfCode(Base.Code)) / SimTicksPerSecond,
                     Base.SecondsPerDivision / 30);
  }
}

TEST(SimulatedSignals, UartSendsItsMessageAt9600Baud8N1) {
  const TSignalGenerator Signals(1);
  const std::int64_t N = 42;
  const std::string Text =
      DecodeUart(Signals, N * UartMessagePeriod, (N + 1) * UartMessagePeriod - UartBitTicks * 12);
  EXPECT_EQ(Text, "Bonjour de la16 ! trame 00042\r\n");
  EXPECT_EQ(Text, TSignalGenerator::UartMessage(N));
}

TEST(SimulatedSignals, I2cWritesThreeAcknowledgedBytesBetweenStartAndStop) {
  const TSignalGenerator Signals(7);
  for (const std::int64_t N : {0, 1, 300}) {
    const TBusCapture Bus = CaptureBus(Signals, N * I2cTransactionPeriod,
                                       N * I2cTransactionPeriod + 500 * SimTicksPerMicrosecond,
                                       InputI2cScl, InputI2cSda);
    EXPECT_EQ(Bus.Starts, 1);
    EXPECT_EQ(Bus.Stops, 1);
    EXPECT_EQ(Bus.SetupViolations, 0);
    ASSERT_EQ(Bus.Bits.size(), 27U);
    EXPECT_EQ(Byte(Bus.Bits, 0), I2cTargetAddress << 1);
    EXPECT_EQ(Byte(Bus.Bits, 9), N & 0xFF);
    EXPECT_EQ(Byte(Bus.Bits, 18), Signals.I2cData(N));
    for (const std::size_t Ack : {8, 17, 26}) {
      EXPECT_EQ(Bus.Bits[Ack], 0) << "acknowledge " << Ack;
    }
  }
}

TEST(SimulatedSignals, SpiShiftsFourBytesWhileSelected) {
  const TSignalGenerator Signals(7);
  const std::int64_t N = 0x1234;
  const TSimTime Start = N * SpiTransferPeriod + SpiTransferDelay;
  EXPECT_TRUE(Level(Signals, Start - Fine, InputSpiCs));
  EXPECT_FALSE(Level(Signals, Start, InputSpiCs));
  const TBusCapture Bus =
      CaptureBus(Signals, Start, Start + 40 * SimTicksPerMicrosecond, InputSpiSck, InputSpiMosi);
  ASSERT_EQ(Bus.Bits.size(), 32U);
  EXPECT_EQ(Bus.SetupViolations, 0);
  EXPECT_EQ(Byte(Bus.Bits, 0), SpiCommandByte);
  EXPECT_EQ(Byte(Bus.Bits, 8), 0x12);
  EXPECT_EQ(Byte(Bus.Bits, 16), 0x34);
  EXPECT_EQ(Byte(Bus.Bits, 24), Signals.SpiData(N));
  EXPECT_TRUE(Level(Signals, Start + 40 * SimTicksPerMicrosecond, InputSpiCs));
  // No clock while deselected.
  EXPECT_TRUE(CaptureBus(Signals, Start + 40 * SimTicksPerMicrosecond,
                         Start + 200 * SimTicksPerMicrosecond, InputSpiSck, InputSpiMosi)
                  .Bits.empty());
}

// A capture from the start of a period (simulated time 0, the external
// pulse) must show each bus idle for a while before its burst, or a decoder
// misses the first start bit or start condition.
TEST(SimulatedSignals, EveryBurstFollowsAnIdleLineFromTheStartOfItsPeriod) {
  const TSignalGenerator Signals(3);
  // How long from From on Idle holds.
  const auto IdleFor = [](TSimTime From, auto Idle) {
    TSimTime T = From;
    while (Idle(T) && T < From + SimTicksPerMillisecond) {
      T += Fine;
    }
    return T - From;
  };
  for (const std::int64_t N : {0, 1, 5, 2000}) {
    EXPECT_GE(
        IdleFor(N * UartMessagePeriod, [&](TSimTime T) { return Level(Signals, T, InputUart); }),
        UartBitTicks);
    EXPECT_GE(IdleFor(N * I2cTransactionPeriod,
                      [&](TSimTime T) {
                        return Level(Signals, T, InputI2cScl) && Level(Signals, T, InputI2cSda);
                      }),
              10 * SimTicksPerMicrosecond);
    EXPECT_GE(IdleFor(N * SpiTransferPeriod,
                      [&](TSimTime T) {
                        return Level(Signals, T, InputSpiCs) && !Level(Signals, T, InputSpiSck);
                      }),
              2 * SimTicksPerMicrosecond);
  }
}

TEST(SimulatedSignals, PwmDutySweepsBetweenTenAndNinetyPercent) {
  const TSignalGenerator Signals(1);
  int Lowest = 100;
  int Highest = 0;
  int Changes = 0;
  int Previous = -1;
  for (std::int64_t N = 0; N < 200; ++N) {
    int High = 0;
    const int Steps = 200;
    for (int I = 0; I < Steps; ++I) {
      High += Level(Signals, N * PwmPeriod + PwmPeriod * I / Steps, InputPwm);
    }
    const int Duty = High * 100 / Steps;
    EXPECT_EQ(Duty, TSignalGenerator::PwmDutyPercent(N)) << "period " << N;
    Lowest = std::min(Lowest, Duty);
    Highest = std::max(Highest, Duty);
    Changes += Previous >= 0 && Duty != Previous;
    Previous = Duty;
  }
  EXPECT_EQ(Lowest, 10);
  EXPECT_EQ(Highest, 90);
  EXPECT_EQ(Changes, 199);
}

TEST(SimulatedSignals, BusInputsDependOnTimeAloneAndTheSeedPicksTheData) {
  const TSignalGenerator A(1);
  const TSignalGenerator SameSeed(1);
  const TSignalGenerator OtherSeed(2);
  int Differences = 0;
  for (std::int64_t N = 0; N < 16; ++N) {
    EXPECT_EQ(A.I2cData(N), SameSeed.I2cData(N));
    Differences += A.I2cData(N) != OtherSeed.I2cData(N);
    Differences += A.SpiData(N) != OtherSeed.SpiData(N);
  }
  EXPECT_GT(Differences, 16);
  // Zooming: inputs 9 to 15 are the same at an instant whatever the sample period.
  for (TSimTime T = 0; T < 30 * SimTicksPerMillisecond; T += 12345) {
    ASSERT_EQ(A.Inputs(T, SamplePeriodOfCode(0), true) & 0xFF00,
              A.Inputs(T, SamplePeriodOfCode(21), true) & 0xFF00);
  }
}

TEST(SimulatedSignals, ExternalLinePulsesEveryHundredMilliseconds) {
  constexpr TSimTime Ms = SimTicksPerMillisecond;
  EXPECT_TRUE(TSignalGenerator::ExternalLine(0));
  EXPECT_TRUE(TSignalGenerator::ExternalLine(Ms - 1));
  EXPECT_FALSE(TSignalGenerator::ExternalLine(Ms));
  EXPECT_FALSE(TSignalGenerator::ExternalLine(100 * Ms - 1));
  EXPECT_TRUE(TSignalGenerator::ExternalLine(100 * Ms));
  EXPECT_EQ(TSignalGenerator::NextExternalEdge(1, true), 100 * Ms);
  EXPECT_EQ(TSignalGenerator::NextExternalEdge(100 * Ms, true), 100 * Ms);
  EXPECT_EQ(TSignalGenerator::NextExternalEdge(1, false), Ms);
  EXPECT_EQ(TSignalGenerator::NextExternalEdge(Ms + 1, false), 101 * Ms);
}
