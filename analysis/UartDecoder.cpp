// SPDX-License-Identifier: GPL-3.0-or-later
// UART receive line: waits for the edge into a start bit, then reads each
// bit at its middle, one bit time after the other from that edge.
#include <array>
#include <cmath>

#include "analysis/DecoderSupport.h"
#include "analysis/PulseFigures.h"

namespace decoding {

const TDecoderInfo& UartInfo() {
  static const TDecoderInfo Info = {
      "uart",
      "UART",
      {
          {"rx", "Entrée RX", "", {}, true, false},
          {"baudrate", "Débit (bauds, ou auto)", "115200", {}, false, false},
          {"data_bits", "Bits de données", "8", {"5", "6", "7", "8", "9"}, false, false},
          {"parity", "Parité", "none", {"none", "even", "odd"}, false, false},
          {"stop_bits", "Bits de stop", "1", {"1", "1.5", "2"}, false, false},
          {"bit_order", "Ordre des bits", "lsb-first", {"lsb-first", "msb-first"}, false, false},
          {"invert_rx", "Ligne inversée", "no", {"no", "yes"}, false, false},
      },
      {"data", "parity-error", "frame-error", CutEvent},
  };
  return Info;
}

namespace {

// Rates a guess from the shortest pulse snaps to when it falls near one.
constexpr std::array<double, 16> CommonBaudRates = {300,    600,    1200,   2400,   4800,  9600,
                                                    14400,  19200,  28800,  38400,  57600, 115200,
                                                    230400, 460800, 921600, 1000000};

// Bit time in samples guessed from the shortest whole run on the line.
std::optional<double> GuessBitSamples(const TSampleView& View, int Input) {
  std::optional<std::size_t> Shortest;
  std::optional<std::size_t> Edge = NextEdge(View, Input, 0);
  while (Edge) {
    const std::optional<std::size_t> Next = NextEdge(View, Input, *Edge);
    if (Next && (!Shortest || *Next - *Edge < *Shortest)) {
      Shortest = *Next - *Edge;
    }
    Edge = Next;
  }
  if (!Shortest) {
    return std::nullopt;
  }
  const double Baud = 1.0 / (static_cast<double>(*Shortest) * View.SecondsPerSample);
  for (double Common : CommonBaudRates) {
    // A run is a whole number of samples: up to one sample off the true bit.
    const double Samples = 1.0 / (Common * View.SecondsPerSample);
    if (std::fabs(Samples - static_cast<double>(*Shortest)) <= std::max(1.0, 0.1 * Samples)) {
      return Samples;
    }
  }
  return 1.0 / (Baud * View.SecondsPerSample);
}

}  // namespace

TAnnotations DecodeUart(const TDecoderSpec& Spec, const TSampleView& View) {
  TAnnotations Out;
  const int Rx = IntOption(Spec, "rx");
  if (View.SecondsPerSample <= 0 || Rx < 1) {
    return Out;
  }
  TAnnotationSink Sink(View, "uart", Out);
  std::optional<double> Bit;
  if (OptionIs(Spec, "baudrate", "auto")) {
    Bit = GuessBitSamples(View, Rx);
  } else {
    Bit = 1.0 / (IntOption(Spec, "baudrate", 115200) * View.SecondsPerSample);
  }
  if (!Bit) {
    return Out;
  }
  const int DataBits = IntOption(Spec, "data_bits", 8);
  const bool Parity = !OptionIs(Spec, "parity", "none");
  const bool OddParity = OptionIs(Spec, "parity", "odd");
  const double StopBits = OptionIs(Spec, "stop_bits", "1.5") ? 1.5
                          : OptionIs(Spec, "stop_bits", "2") ? 2.0
                                                             : 1.0;
  const bool MsbFirst = OptionIs(Spec, "bit_order", "msb-first");
  const bool Idle = !OptionIs(Spec, "invert_rx", "yes");  // the line's level between frames
  const double B = *Bit;
  const std::size_t Size = View.Size();
  // Position of the middle of bit K (0: the start bit) of the frame starting at S.
  auto Middle = [B](std::size_t S, int K) {
    return static_cast<std::size_t>(static_cast<double>(S) + (B - 1) / 2 + K * B + 0.5);
  };
  auto BitStart = [B](std::size_t S, double K) {
    return static_cast<std::size_t>(static_cast<double>(S) + K * B + 0.5);
  };
  auto IsIdle = [&](std::size_t I) { return View.Level(Rx, I) == Idle; };

  std::size_t From = 0;
  // A frame is under way when the samples start off idle; the start bit
  // that began it is not held.
  if (!IsIdle(0)) {
    const std::optional<std::size_t> Back = NextEdge(View, Rx, 0);
    Sink.PutCut(0, Back ? *Back - 1 : Size - 1, Rx, true, "début coupé");
    if (!Back) {
      return Out;
    }
    From = *Back;
  }
  const int StopBit = 1 + DataBits + (Parity ? 1 : 0);
  for (;;) {
    // The edge into a start bit: idle before, active at S.
    std::optional<std::size_t> Edge = NextEdge(View, Rx, From);
    while (Edge && IsIdle(*Edge)) {
      Edge = NextEdge(View, Rx, *Edge);
    }
    if (!Edge) {
      break;
    }
    const std::size_t S = *Edge;
    if (Middle(S, DataBits) >= Size) {
      Sink.PutCut(S, Size - 1, Rx, true, "mot coupé");
      break;
    }
    if (IsIdle(Middle(S, 0))) {  // a glitch, not a start bit
      From = Middle(S, 0);
      continue;
    }
    std::uint32_t Value = 0;
    int Ones = 0;
    for (int K = 0; K < DataBits; ++K) {
      const bool One = View.Level(Rx, Middle(S, 1 + K)) == Idle;
      Ones += One ? 1 : 0;
      const int Weight = MsbFirst ? DataBits - 1 - K : K;
      Value |= One ? 1U << Weight : 0U;
    }
    Sink.Put(BitStart(S, 1), BitStart(S, 1 + DataBits) - 1, Rx, "data", Value);
    // The data is whole even when the end of the samples cuts what follows.
    if (Middle(S, StopBit) >= Size) {
      break;
    }
    if (Parity) {
      const bool One = View.Level(Rx, Middle(S, 1 + DataBits)) == Idle;
      if (((Ones + (One ? 1 : 0)) % 2 == 1) != OddParity) {
        Sink.Put(BitStart(S, 1 + DataBits), BitStart(S, 2 + DataBits) - 1, Rx, "parity-error");
      }
    }
    if (!IsIdle(Middle(S, StopBit))) {
      Sink.Put(BitStart(S, StopBit), BitStart(S, StopBit + StopBits) - 1, Rx, "frame-error");
    }
    From = Middle(S, StopBit);
  }
  return Out;
}

}  // namespace decoding
