// SPDX-License-Identifier: GPL-3.0-or-later
// The levels on the simulated analyser's 16 inputs, as functions of the
// absolute simulated time, so that a change of time base zooms in and out of
// the same signals. Qt-free.
#pragma once

#include <array>
#include <cstdint>
#include <string>

/// Simulated time in ticks of 1/3 ns: every sample period of the 18 time bases
/// (time per division / 30) is a whole number of ticks, 100 at 1 µs per division.
using TSimTime = std::int64_t;
inline constexpr TSimTime SimTicksPerSecond = 3'000'000'000;
inline constexpr TSimTime SimTicksPerMillisecond = SimTicksPerSecond / 1000;
inline constexpr TSimTime SimTicksPerMicrosecond = SimTicksPerSecond / 1'000'000;

/// Sample period of the time base whose TimeBaseCode is Code, or 0 for a
/// code that names no time base.
TSimTime SamplePeriodOfCode(std::uint8_t Code);

/// Samples per step of the counter on inputs 1 to 8: input 1 toggles every
/// this many samples at any time base.
inline constexpr int CounterSamplesPerStep = 4;

/// Fixed real-world rates of the bus signals on inputs 9 to 15.
inline constexpr TSimTime UartBitTicks = SimTicksPerSecond / 9600;  ///< 9600 baud, 8N1
inline constexpr TSimTime UartMessagePeriod = 50 * SimTicksPerMillisecond;
inline constexpr TSimTime I2cQuarterBitTicks = SimTicksPerMicrosecond * 5 / 2;  ///< 100 kHz
inline constexpr TSimTime I2cTransactionPeriod = 20 * SimTicksPerMillisecond;
inline constexpr TSimTime SpiHalfBitTicks = SimTicksPerMicrosecond / 2;  ///< 1 MHz
inline constexpr TSimTime SpiTransferPeriod = 5 * SimTicksPerMillisecond;
inline constexpr TSimTime PwmPeriod = SimTicksPerMillisecond;  ///< 1 kHz

/// Each bus burst starts this long after the start of its period, with its
/// line idle until then. A capture begins on a period boundary whenever it
/// starts at simulated time 0 or on the external pulse (every period divides
/// 100 ms), and a decoder must see the idle level before the first start bit
/// or start condition to find it; a real line is idle between bursts too.
inline constexpr TSimTime UartMessageDelay = 2 * UartBitTicks;
inline constexpr TSimTime I2cTransactionDelay = 8 * I2cQuarterBitTicks;  ///< 20 µs
inline constexpr TSimTime SpiTransferDelay = 8 * SpiHalfBitTicks;        ///< 4 µs

/// The external trigger line: a high pulse of ExternalPulseWidth at the start
/// of every ExternalPulsePeriod, low otherwise.
inline constexpr TSimTime ExternalPulsePeriod = 100 * SimTicksPerMillisecond;
inline constexpr TSimTime ExternalPulseWidth = SimTicksPerMillisecond;

/// I2C target address of the write transactions (7 bits).
inline constexpr std::uint8_t I2cTargetAddress = 0x50;
/// First byte of every SPI transfer.
inline constexpr std::uint8_t SpiCommandByte = 0xA5;

/// Bit of each input in a 16-bit sample (input k is bit k - 1).
enum TSimulatedInput : std::uint16_t {
  InputUart = 1u << 8,      ///< input 9: UART transmit line, idle high
  InputI2cScl = 1u << 9,    ///< input 10
  InputI2cSda = 1u << 10,   ///< input 11
  InputSpiSck = 1u << 11,   ///< input 12: mode 0, idle low
  InputSpiMosi = 1u << 12,  ///< input 13
  InputSpiCs = 1u << 13,    ///< input 14: active low
  InputPwm = 1u << 14,      ///< input 15
  InputFloating = 1u << 15  ///< input 16: nothing connected, reads the pull
};

/// Generates the 16 inputs. Deterministic for a given seed, which picks the
/// data bytes of the I2C and SPI transfers.
class TSignalGenerator {
 public:
  explicit TSignalGenerator(std::uint32_t Seed) : Seed(Seed) {}

  /// The 16 inputs at time T, bit k - 1 being input k. SamplePeriod sets the
  /// rate of the counter on inputs 1 to 8; PullUp the level of input 16.
  std::uint16_t Inputs(TSimTime T, TSimTime SamplePeriod, bool PullUp) const;

  /// Inputs 1 to 8: a binary counter stepping every CounterSamplesPerStep samples.
  static std::uint8_t Counter(TSimTime T, TSimTime SamplePeriod);

  /// The text of UART message number N, whose start bit begins at
  /// N × UartMessagePeriod + UartMessageDelay; its characters follow back to back.
  static std::string UartMessage(std::int64_t N);
  /// The data byte of I2C transaction N and of the last byte of SPI transfer N.
  std::uint8_t I2cData(std::int64_t N) const;
  std::uint8_t SpiData(std::int64_t N) const;
  /// The bytes written by I2C transaction N, whose start condition comes
  /// I2cTransactionDelay plus a quarter bit into its period: the address byte
  /// (I2cTargetAddress, write), N modulo 256, I2cData(N).
  std::array<std::uint8_t, 3> I2cTransactionBytes(std::int64_t N) const;
  /// The bytes shifted out by SPI transfer N, selected from SpiTransferDelay
  /// into its period: SpiCommandByte, N (high then low byte), SpiData(N).
  std::array<std::uint8_t, 4> SpiTransferBytes(std::int64_t N) const;
  /// Duty cycle of PWM period N, in percent (10 to 90).
  static int PwmDutyPercent(std::int64_t N);

  /// Level of the external trigger line at T.
  static bool ExternalLine(TSimTime T);
  /// First instant at or after T where the external line enters the level
  /// High (rising edge) or low (falling edge).
  static TSimTime NextExternalEdge(TSimTime T, bool High);

 private:
  std::uint16_t Uart(TSimTime T) const;
  std::uint16_t I2c(TSimTime T) const;
  std::uint16_t Spi(TSimTime T) const;
  static std::uint16_t Pwm(TSimTime T);
  std::uint8_t Mix(std::int64_t N, std::uint32_t Salt) const;

  std::uint32_t Seed;
};
