// SPDX-License-Identifier: GPL-3.0-or-later
// Bus signals drawn sample by sample for the decoders' tests: UART on input
// 1, I2C on inputs 2 (SCL) and 3 (SDA), SPI on 1 (clock), 2 (MOSI), 3 (MISO,
// the complement of MOSI) and 4 (chip select).
#pragma once

#include <cstdint>
#include <vector>

#include "acquisition/SampleView.h"
#include "acquisition/TimeBase.h"

namespace bustest {

struct TWave {
  std::vector<TSample> Samples;
  const TTimeBase* Base;
};

// Holds Levels for Count samples.
inline void Hold(TWave& Wave, TSample Levels, int Count) {
  Wave.Samples.insert(Wave.Samples.end(), static_cast<std::size_t>(Count), Levels);
}

// Drops Head samples from the start and Tail from the end: a bus cut at both ends.
inline TWave Cut(TWave Wave, int Head, int Tail) {
  Wave.Samples.erase(Wave.Samples.end() - Tail, Wave.Samples.end());
  Wave.Samples.erase(Wave.Samples.begin(), Wave.Samples.begin() + Head);
  return Wave;
}

struct TUartShape {
  int DataBits = 8;
  char Parity = 'n';  // 'n', 'e' or 'o'
  double StopBits = 1;
  bool MsbFirst = false;
  bool Invert = false;
  int BadParityAt = -1;  // the frame whose parity bit is wrong
  int BadStopAt = -1;    // the frame whose stop bit is low
};

// 9600 baud at 100 µs per division: 31.25 samples per bit.
inline TWave Uart(const std::vector<std::uint32_t>& Values, TUartShape Shape, int Head = 0,
                  int Tail = 0) {
  std::vector<bool> Bits(2, true);  // idle, then frames one idle bit apart
  for (std::size_t F = 0; F < Values.size(); ++F) {
    Bits.push_back(false);
    int Ones = 0;
    for (int K = 0; K < Shape.DataBits; ++K) {
      const int Weight = Shape.MsbFirst ? Shape.DataBits - 1 - K : K;
      Bits.push_back(((Values[F] >> Weight) & 1U) != 0);
      Ones += Bits.back() ? 1 : 0;
    }
    if (Shape.Parity != 'n') {
      Bits.push_back(((Ones % 2 == 1) == (Shape.Parity == 'e')) != (Shape.BadParityAt == int(F)));
    }
    Bits.push_back(Shape.BadStopAt != int(F));
    Bits.insert(Bits.end(), Shape.StopBits > 1 ? 2 : 1, true);
  }
  Bits.insert(Bits.end(), 2, true);
  TWave Wave{{}, FindTimeBase(10)};
  const double PerBit = 31.25;
  for (std::size_t N = 0; N < static_cast<std::size_t>(static_cast<double>(Bits.size()) * PerBit);
       ++N) {
    Wave.Samples.push_back(
        Bits[static_cast<std::size_t>(static_cast<double>(N) / PerBit)] != Shape.Invert ? 1 : 0);
  }
  return Cut(Wave, Head, Tail);
}

struct TI2cStep {
  char Kind;  // 's' start (or repeated start), 'p' stop, 'b' byte
  std::uint8_t Byte = 0;
  bool Ack = true;
};

// A write of 0x10 to 0x50, a repeated start, a read of two bytes (the last
// one not acknowledged), then a write to 0x21 that nobody acknowledges.
inline std::vector<TI2cStep> I2cReadAfterWrite() {
  return {{'s'},       {'b', 0xA0},        {'b', 0x10}, {'s'}, {'b', 0xA1},
          {'b', 0x5A}, {'b', 0xC3, false}, {'p'},       {'s'}, {'b', 0x42, false},
          {'p'}};
}

// At 10 µs per division, a quarter of a bit is 8 samples (about 94 kHz).
inline TWave I2c(const std::vector<TI2cStep>& Steps, int Head, int Tail) {
  constexpr int Q = 8;
  constexpr TSample Scl = 2, Sda = 4;
  TWave Wave{{}, FindTimeBase(7)};
  Hold(Wave, Scl | Sda, 2 * Q);
  auto Bit = [&](bool High) {
    const TSample D = High ? Sda : 0;
    Hold(Wave, D, Q);
    Hold(Wave, D | Scl, 2 * Q);
    Hold(Wave, D, Q);
  };
  for (const TI2cStep& Step : Steps) {
    if (Step.Kind == 's') {
      if ((Wave.Samples.back() & Scl) == 0) {  // a repeated start raises SCL first
        Hold(Wave, Sda, Q);
      }
      Hold(Wave, Sda | Scl, Q);
      Hold(Wave, Scl, Q);
      Hold(Wave, 0, Q);
    } else if (Step.Kind == 'p') {
      Hold(Wave, 0, Q);
      Hold(Wave, Scl, Q);
      Hold(Wave, Scl | Sda, 2 * Q);
    } else {
      for (int K = 7; K >= 0; --K) {
        Bit(((Step.Byte >> K) & 1) != 0);
      }
      Bit(!Step.Ack);
    }
  }
  return Cut(Wave, Head, Tail);
}

struct TSpiShape {
  int Cpol = 0;
  int Cpha = 0;
  int WordSize = 8;
  bool MsbFirst = true;
  bool CsActiveHigh = false;
};

// One word per selection, 10 samples a half bit at 1 µs per division.
inline TWave Spi(const std::vector<std::uint32_t>& Words, TSpiShape Shape, int Head = 0,
                 int Tail = 0) {
  constexpr int H = 5;
  const TSample Idle = Shape.Cpol != 0 ? 1 : 0;
  const TSample Select = Shape.CsActiveHigh ? 8 : 0;
  TWave Wave{{}, FindTimeBase(4)};
  for (std::uint32_t Word : Words) {
    Hold(Wave, Idle | (Select ^ 8), 2 * H);
    Hold(Wave, Idle | Select, H);
    for (int K = 0; K < Shape.WordSize; ++K) {
      const int Weight = Shape.MsbFirst ? Shape.WordSize - 1 - K : K;
      const TSample Data = ((Word >> Weight) & 1U) != 0 ? 2 : 4;
      // CPHA 0 sets the data half a bit before the first edge, CPHA 1 on it.
      Hold(Wave, Data | Select | (Shape.Cpha != 0 ? Idle ^ 1 : Idle), H);
      Hold(Wave, Data | Select | (Shape.Cpha != 0 ? Idle : Idle ^ 1), H);
    }
    Hold(Wave, Idle | Select, H);
  }
  Hold(Wave, Idle | (Select ^ 8), 2 * H);
  return Cut(Wave, Head, Tail);
}

}  // namespace bustest
