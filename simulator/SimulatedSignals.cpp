// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SimulatedSignals.h"

#include <cmath>

#include "acquisition/TimeBase.h"

namespace {

// Simulated time never goes below zero, but a floor division keeps the
// signals periodic should anyone ask about an earlier instant.
std::int64_t FloorDiv(std::int64_t A, std::int64_t B) {
  const std::int64_t Q = A / B;
  return (A % B != 0 && (A < 0) != (B < 0)) ? Q - 1 : Q;
}

std::int64_t FloorMod(std::int64_t A, std::int64_t B) {
  return A - FloorDiv(A, B) * B;
}

constexpr char UartPrefix[] = "Bonjour de la16 ! trame ";
constexpr int UartPrefixLength = sizeof(UartPrefix) - 1;
constexpr int UartDigits = 5;
constexpr int UartMessageLength = UartPrefixLength + UartDigits + 2;  // CR LF
constexpr int UartBitsPerFrame = 10;                                  // start, 8 data, stop

// Character Index of UART message N, or -1 past its end.
int UartChar(std::int64_t N, int Index) {
  if (Index < UartPrefixLength) {
    return UartPrefix[Index];
  }
  if (Index < UartPrefixLength + UartDigits) {
    std::int64_t Value = FloorMod(N, 100000);
    for (int Digit = UartPrefixLength + UartDigits - 1; Digit > Index; --Digit) {
      Value /= 10;
    }
    return '0' + static_cast<int>(Value % 10);
  }
  if (Index == UartPrefixLength + UartDigits) {
    return '\r';
  }
  if (Index == UartMessageLength - 1) {
    return '\n';
  }
  return -1;
}

constexpr int I2cBytes = 3;
constexpr int I2cBitsPerByte = 9;  // eight data bits, MSB first, then the acknowledge
constexpr int I2cFirstBitQuarter = 2;
constexpr int I2cStopQuarter = I2cFirstBitQuarter + 4 * I2cBytes * I2cBitsPerByte;

constexpr int SpiBytes = 4;
constexpr int SpiBits = 8 * SpiBytes;

}  // namespace

TSimTime SamplePeriodOfCode(std::uint8_t Code) {
  const TTimeBase* Base = FindTimeBaseByCode(Code);
  if (Base == nullptr) {
    return 0;
  }
  return std::llround(SecondsPerSample(*Base) * static_cast<double>(SimTicksPerSecond));
}

std::uint16_t TSignalGenerator::Inputs(TSimTime T, TSimTime SamplePeriod, bool PullUp) const {
  std::uint16_t Levels = Counter(T, SamplePeriod);
  Levels |= Uart(T);
  Levels |= I2c(T);
  Levels |= Spi(T);
  Levels |= Pwm(T);
  if (PullUp) {
    Levels |= InputFloating;
  }
  return Levels;
}

std::uint8_t TSignalGenerator::Counter(TSimTime T, TSimTime SamplePeriod) {
  if (SamplePeriod <= 0) {
    return 0;
  }
  return static_cast<std::uint8_t>(
      FloorMod(FloorDiv(T, SamplePeriod * CounterSamplesPerStep), 256));
}

std::string TSignalGenerator::UartMessage(std::int64_t N) {
  std::string Text;
  for (int Index = 0; UartChar(N, Index) >= 0; ++Index) {
    Text.push_back(static_cast<char>(UartChar(N, Index)));
  }
  return Text;
}

std::uint8_t TSignalGenerator::Mix(std::int64_t N, std::uint32_t Salt) const {
  // splitmix64 finaliser: cheap, and every bit of seed and N reaches the byte.
  std::uint64_t X = (static_cast<std::uint64_t>(Seed) << 32 ^ Salt) +
                    static_cast<std::uint64_t>(N) * 0x9E3779B97F4A7C15ULL;
  X = (X ^ (X >> 30)) * 0xBF58476D1CE4E5B9ULL;
  X = (X ^ (X >> 27)) * 0x94D049BB133111EBULL;
  X ^= X >> 31;
  return static_cast<std::uint8_t>(X);
}

std::uint8_t TSignalGenerator::I2cData(std::int64_t N) const {
  return Mix(N, 0x12C);
}

std::uint8_t TSignalGenerator::SpiData(std::int64_t N) const {
  return Mix(N, 0x5B1);
}

std::array<std::uint8_t, I2cBytes> TSignalGenerator::I2cTransactionBytes(std::int64_t N) const {
  return {static_cast<std::uint8_t>(I2cTargetAddress << 1), static_cast<std::uint8_t>(N),
          I2cData(N)};
}

std::array<std::uint8_t, SpiBytes> TSignalGenerator::SpiTransferBytes(std::int64_t N) const {
  return {SpiCommandByte, static_cast<std::uint8_t>(N >> 8), static_cast<std::uint8_t>(N),
          SpiData(N)};
}

int TSignalGenerator::PwmDutyPercent(std::int64_t N) {
  const std::int64_t K = FloorMod(N, 160);
  return 10 + static_cast<int>(K <= 80 ? K : 160 - K);
}

bool TSignalGenerator::ExternalLine(TSimTime T) {
  return FloorMod(T, ExternalPulsePeriod) < ExternalPulseWidth;
}

TSimTime TSignalGenerator::NextExternalEdge(TSimTime T, bool High) {
  const TSimTime Phase = High ? 0 : ExternalPulseWidth;
  TSimTime Edge = FloorDiv(T - Phase, ExternalPulsePeriod) * ExternalPulsePeriod + Phase;
  if (Edge < T) {
    Edge += ExternalPulsePeriod;
  }
  return Edge;
}

std::uint16_t TSignalGenerator::Uart(TSimTime T) const {
  // Before the delay the previous period's message is long over: idle.
  const std::int64_t N = FloorDiv(T - UartMessageDelay, UartMessagePeriod);
  const std::int64_t Bit = FloorMod(T - UartMessageDelay, UartMessagePeriod) / UartBitTicks;
  const int Char = Bit / UartBitsPerFrame < UartMessageLength
                       ? UartChar(N, static_cast<int>(Bit / UartBitsPerFrame))
                       : -1;
  if (Char < 0) {
    return InputUart;  // idle
  }
  const int Position = static_cast<int>(Bit % UartBitsPerFrame);
  if (Position == 0) {
    return 0;  // start bit
  }
  if (Position == UartBitsPerFrame - 1) {
    return InputUart;  // stop bit
  }
  return ((Char >> (Position - 1)) & 1) != 0 ? InputUart : 0;  // LSB first
}

std::uint16_t TSignalGenerator::I2c(TSimTime T) const {
  const std::int64_t N = FloorDiv(T - I2cTransactionDelay, I2cTransactionPeriod);
  const std::int64_t Quarter =
      FloorMod(T - I2cTransactionDelay, I2cTransactionPeriod) / I2cQuarterBitTicks;
  const std::array<std::uint8_t, I2cBytes> Bytes = I2cTransactionBytes(N);
  // Level of SDA during bit I; the target pulls SDA low to acknowledge.
  auto BitLevel = [&](std::int64_t I) {
    const std::int64_t Position = I % I2cBitsPerByte;
    if (Position == I2cBitsPerByte - 1) {
      return false;
    }
    return ((Bytes[static_cast<std::size_t>(I / I2cBitsPerByte)] >> (7 - Position)) & 1) != 0;
  };
  bool Scl = true;
  bool Sda = true;
  if (Quarter == 1) {
    Sda = false;  // start: SDA falls while SCL is high
  } else if (Quarter >= I2cFirstBitQuarter && Quarter < I2cStopQuarter) {
    const std::int64_t I = (Quarter - I2cFirstBitQuarter) / 4;
    const std::int64_t Phase = (Quarter - I2cFirstBitQuarter) % 4;
    Scl = Phase >= 2;
    // SDA changes only while SCL is low, one quarter after the falling edge.
    Sda = Phase == 0 ? (I > 0 && BitLevel(I - 1)) : BitLevel(I);
  } else if (Quarter == I2cStopQuarter) {
    Scl = false;
    Sda = false;
  } else if (Quarter == I2cStopQuarter + 1) {
    Sda = false;  // stop follows: SDA rises while SCL is high
  }
  return static_cast<std::uint16_t>((Scl ? InputI2cScl : 0) | (Sda ? InputI2cSda : 0));
}

std::uint16_t TSignalGenerator::Spi(TSimTime T) const {
  const std::int64_t N = FloorDiv(T - SpiTransferDelay, SpiTransferPeriod);
  const std::int64_t Slot = FloorMod(T - SpiTransferDelay, SpiTransferPeriod) / SpiHalfBitTicks;
  if (Slot > 2 * SpiBits + 1) {
    return InputSpiCs;  // deselected
  }
  if (Slot == 0 || Slot == 2 * SpiBits + 1) {
    return 0;  // selected, clock idle, before the first and after the last bit
  }
  const std::array<std::uint8_t, SpiBytes> Bytes = SpiTransferBytes(N);
  const std::int64_t Bit = (Slot - 1) / 2;
  const bool Mosi =
      ((Bytes[static_cast<std::size_t>(Bit / 8)] >> (7 - Bit % 8)) & 1) != 0;  // MSB first
  const bool Sck = (Slot - 1) % 2 == 1;  // data set while low, sampled on the rising edge
  return static_cast<std::uint16_t>((Sck ? InputSpiSck : 0) | (Mosi ? InputSpiMosi : 0));
}

std::uint16_t TSignalGenerator::Pwm(TSimTime T) {
  const std::int64_t N = FloorDiv(T, PwmPeriod);
  const TSimTime High = PwmPeriod * PwmDutyPercent(N) / 100;
  return FloorMod(T, PwmPeriod) < High ? InputPwm : 0;
}
