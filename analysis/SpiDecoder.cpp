// SPDX-License-Identifier: GPL-3.0-or-later
// SPI: each sampling edge of the clock (rising when CPOL equals CPHA) reads
// one bit of MOSI and MISO while the chip select, when there is one, is
// asserted; a word is complete after wordsize bits.
#include "analysis/DecoderSupport.h"

namespace decoding {

const TDecoderInfo& SpiInfo() {
  static const TDecoderInfo Info = {
      "spi",
      "SPI",
      {
          {"clk", "Entrée horloge (CLK)", "", {}, true, false},
          {"mosi", "Entrée MOSI", "", {}, true, true},
          {"miso", "Entrée MISO", "", {}, true, true},
          {"cs", "Entrée de sélection (CS)", "", {}, true, true},
          {"cs_polarity",
           "Sélection active",
           "active-low",
           {"active-low", "active-high"},
           false,
           false},
          {"cpol", "Polarité d'horloge (CPOL)", "0", {"0", "1"}, false, false},
          {"cpha", "Phase d'horloge (CPHA)", "0", {"0", "1"}, false, false},
          {"bitorder", "Ordre des bits", "msb-first", {"msb-first", "lsb-first"}, false, false},
          {"wordsize", "Bits par mot", "8", {"8", "16"}, false, false},
      },
      {"mosi", "miso", CutEvent},
  };
  return Info;
}

TAnnotations DecodeSpi(const TDecoderSpec& Spec, const TSampleView& View) {
  TAnnotations Out;
  const int Clk = IntOption(Spec, "clk");
  const int Mosi = IntOption(Spec, "mosi");
  const int Miso = IntOption(Spec, "miso");
  const int Cs = IntOption(Spec, "cs");
  if (Clk < 1) {
    return Out;
  }
  TAnnotationSink Sink(View, "spi", Out);
  const bool CsActiveHigh = OptionIs(Spec, "cs_polarity", "active-high");
  const bool SampleOnRise = Spec.Option("cpol") == Spec.Option("cpha");
  const bool MsbFirst = !OptionIs(Spec, "bitorder", "lsb-first");
  const int WordSize = IntOption(Spec, "wordsize", 8);
  const int RowInput = Mosi > 0 ? Mosi : Miso;
  const std::size_t Size = View.Size();
  auto Selected = [&](std::size_t I) { return Cs < 1 || View.Level(Cs, I) == CsActiveHigh; };

  int Bits = 0;
  std::uint32_t MosiWord = 0, MisoWord = 0;
  std::size_t WordStart = 0;
  std::size_t I = 1;
  // Selected from the first sample: the transfer began before it, its words
  // cannot be told apart.
  if (Cs > 0 && Selected(0)) {
    while (I < Size && Selected(I)) {
      ++I;
    }
    Sink.PutCut(0, I - 1, RowInput, true, "transfert coupé");
  }
  for (; I < Size; ++I) {
    if (Cs > 0 && Selected(I - 1) && !Selected(I) && Bits > 0) {
      Sink.PutCut(WordStart, I - 1, RowInput, false, "mot interrompu");
      Bits = 0;
    }
    if (View.Level(Clk, I) == View.Level(Clk, I - 1) || View.Level(Clk, I) != SampleOnRise ||
        !Selected(I)) {
      continue;
    }
    if (Bits == 0) {
      WordStart = I;
      MosiWord = MisoWord = 0;
    }
    const int Weight = MsbFirst ? WordSize - 1 - Bits : Bits;
    MosiWord |= Mosi > 0 && View.Level(Mosi, I) ? 1U << Weight : 0U;
    MisoWord |= Miso > 0 && View.Level(Miso, I) ? 1U << Weight : 0U;
    if (++Bits < WordSize) {
      continue;
    }
    if (Mosi > 0) {
      Sink.Put(WordStart, I, Mosi, "mosi", MosiWord);
    }
    if (Miso > 0) {
      Sink.Put(WordStart, I, Miso, "miso", MisoWord);
    }
    Bits = 0;
  }
  if (Bits > 0) {
    Sink.PutCut(WordStart, Size - 1, RowInput, true, "mot coupé");
  }
  return Out;
}

}  // namespace decoding
