// SPDX-License-Identifier: GPL-3.0-or-later
// I2C: SDA changing while SCL is high is a start or a stop; otherwise each
// rising edge of SCL reads one bit, eight per byte and a ninth for the
// acknowledge. The first byte after a start is the address and direction.
#include "analysis/DecoderSupport.h"

namespace decoding {

const TDecoderInfo& I2cInfo() {
  static const TDecoderInfo Info = {
      "i2c",
      "I2C",
      {
          {"scl", "Entrée SCL", "", {}, true, false},
          {"sda", "Entrée SDA", "", {}, true, false},
      },
      {"start", "repeat-start", "stop", "address-read", "address-write", "data", "ack", "nack",
       CutEvent},
  };
  return Info;
}

TAnnotations DecodeI2c(const TDecoderSpec& Spec, const TSampleView& View) {
  TAnnotations Out;
  const int Scl = IntOption(Spec, "scl");
  const int Sda = IntOption(Spec, "sda");
  if (Scl < 1 || Sda < 1) {
    return Out;
  }
  TAnnotationSink Sink(View, "i2c", Out);
  const TSample SclMask = static_cast<TSample>(1U << (Scl - 1));
  const TSample SdaMask = static_cast<TSample>(1U << (Sda - 1));
  const std::size_t Size = View.Size();

  bool InTransfer = false;   // between a start and a stop
  bool AddressNext = false;  // the next byte is the address
  int Bits = 0;              // bits of the current byte read, 0..8 (8: the acknowledge is next)
  std::uint32_t Byte = 0;
  std::size_t ByteStart = 0, LastRise = 0, BitWidth = 0;
  bool ClockSeen = false;  // SCL moved before the first start: a transfer cut
  for (std::size_t I = 1; I < Size; ++I) {
    const TSample Before = View.Samples[I - 1];
    const TSample Now = View.Samples[I];
    const TSample Changed = Before ^ Now;
    if (Changed == 0) {
      continue;
    }
    const bool SclHigh = (Now & SclMask) != 0;
    if ((Changed & SdaMask) != 0 && (Changed & SclMask) == 0 && SclHigh) {
      const bool SdaHigh = (Now & SdaMask) != 0;
      if (!InTransfer && ClockSeen && Out.empty()) {
        Sink.PutCut(0, I - 1, Sda, true, "début coupé");
      }
      if (!SdaHigh) {
        Sink.Put(I, I, Sda, InTransfer ? "repeat-start" : "start");
        InTransfer = true;
        AddressNext = true;
      } else if (InTransfer) {
        Sink.Put(I, I, Sda, "stop");
        InTransfer = false;
      }
      Bits = 0;
      Byte = 0;
      continue;
    }
    if ((Changed & SclMask) == 0) {
      continue;
    }
    if (!InTransfer) {
      ClockSeen = true;
      continue;
    }
    if (!SclHigh) {
      continue;
    }
    // A rising edge of SCL: one bit.
    const bool Bit = (Now & SdaMask) != 0;
    if (Bits > 0) {
      BitWidth = I - LastRise;
    }
    LastRise = I;
    if (Bits < 8) {
      ByteStart = Bits == 0 ? I : ByteStart;
      Byte = Byte << 1 | (Bit ? 1U : 0U);
      if (++Bits < 8) {
        continue;
      }
      // The byte is known at its eighth bit, before the acknowledge.
      const std::size_t ByteEnd = I + BitWidth - 1;
      if (AddressNext) {
        Sink.Put(ByteStart, ByteEnd, Sda, (Byte & 1U) != 0 ? "address-read" : "address-write",
                 Byte >> 1, HexValueText(Byte >> 1));
        AddressNext = false;
      } else {
        Sink.Put(ByteStart, ByteEnd, Sda, "data", Byte);
      }
      continue;
    }
    Sink.Put(I, I + BitWidth - 1, Sda, Bit ? "nack" : "ack");
    Bits = 0;
    Byte = 0;
  }
  if (InTransfer && Bits > 0) {
    Sink.PutCut(ByteStart, Size - 1, Sda, true, Bits == 8 ? "acquittement coupé" : "mot coupé");
  } else if (!InTransfer && ClockSeen && Out.empty()) {
    Sink.PutCut(0, Size - 1, Sda, true, "transfert coupé");
  }
  return Out;
}

}  // namespace decoding
