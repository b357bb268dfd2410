// SPDX-License-Identifier: GPL-3.0-or-later
// What the decoders share: their entries in the table, the annotations they
// put and the reading of their checked options. Inside the library only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/DecoderTable.h"

namespace decoding {

// Each decoder's table entry and machine, one file each.
const TDecoderInfo& UartInfo();
TAnnotations DecodeUart(const TDecoderSpec& Spec, const TSampleView& View);
const TDecoderInfo& I2cInfo();
TAnnotations DecodeI2c(const TDecoderSpec& Spec, const TSampleView& View);
const TDecoderInfo& SpiInfo();
TAnnotations DecodeSpi(const TDecoderSpec& Spec, const TSampleView& View);
const TDecoderInfo& PwmInfo();
TAnnotations DecodePwm(const TDecoderSpec& Spec, const TSampleView& View);

/// Event word of a word or cycle an end of the samples (or SPI's chip select)
/// cut short; it carries no value.
inline constexpr const char* CutEvent = "cut";

/// Puts annotations of one decoder over one input's row.
class TAnnotationSink {
 public:
  TAnnotationSink(const TSampleView& View, const char* Decoder, TAnnotations& Out)
      : View(View), Decoder(Decoder), Out(Out) {}
  /// Positions First..Last of the view (clamped to it).
  TAnnotation& Put(std::size_t First, std::size_t Last, int Input, const char* Event,
                   std::optional<std::uint32_t> Value = std::nullopt, std::string Text = {});
  /// A word cut short: event CutEvent, Cut set when the end of the samples cut it.
  void PutCut(std::size_t First, std::size_t Last, int Input, bool ByEnd, std::string Text);

 private:
  const TSampleView& View;
  const char* Decoder;
  TAnnotations& Out;
};

/// "0x41", with at least two digits.
std::string HexValueText(std::uint32_t Value);
/// "0x41 'A'" for a printable ASCII value, else the hex text alone.
std::string ValueText(std::uint32_t Value);

/// A checked option's value as a number (the parser has vetted it).
int IntOption(const TDecoderSpec& Spec, std::string_view Name, int Fallback = 0);
/// Whether the option's value is Value.
bool OptionIs(const TDecoderSpec& Spec, std::string_view Name, std::string_view Value);

}  // namespace decoding
