// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/DecoderSupport.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace decoding {

TAnnotation& TAnnotationSink::Put(std::size_t First, std::size_t Last, int Input, const char* Event,
                                  std::optional<std::uint32_t> Value, std::string Text) {
  const std::size_t End = View.Size() - 1;
  First = std::min(First, End);
  Last = std::clamp(Last, First, End);
  TAnnotation& A = Out.emplace_back();
  A.FirstSample = View.IndexOf(First);
  A.LastSample = View.IndexOf(Last);
  A.TimeSeconds = View.TimeOf(First);
  A.Decoder = Decoder;
  A.Event = Event;
  A.Value = Value;
  A.Text = Text.empty() && Value ? ValueText(*Value) : std::move(Text);
  A.ValueText = Value ? HexValueText(*Value) : std::string();
  A.Input = Input;
  return A;
}

void TAnnotationSink::PutCut(std::size_t First, std::size_t Last, int Input, bool ByEnd,
                             std::string Text) {
  Put(First, Last, Input, CutEvent, std::nullopt, std::move(Text)).Cut = ByEnd;
}

std::string HexValueText(std::uint32_t Value) {
  std::array<char, 16> Buffer{};
  std::snprintf(Buffer.data(), Buffer.size(), "0x%02X", static_cast<unsigned>(Value));
  return Buffer.data();
}

std::string ValueText(std::uint32_t Value) {
  std::string Text = HexValueText(Value);
  if (Value >= 0x20 && Value < 0x7F) {
    Text += " '";
    Text.push_back(static_cast<char>(Value));
    Text += "'";
  }
  return Text;
}

int IntOption(const TDecoderSpec& Spec, std::string_view Name, int Fallback) {
  const std::string Text = Spec.Option(Name);
  if (Text.empty() || Text.size() > 9) {
    return Fallback;
  }
  int Value = 0;
  for (char C : Text) {
    if (C < '0' || C > '9') {
      return Fallback;
    }
    Value = Value * 10 + (C - '0');
  }
  return Value;
}

bool OptionIs(const TDecoderSpec& Spec, std::string_view Name, std::string_view Value) {
  return Spec.Option(Name) == Value;
}

}  // namespace decoding
