// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DecoderSettings.h"

#include <variant>

std::vector<TDecoderSpec> ParseDecoderSettings(std::string_view Bytes) {
  std::vector<TDecoderSpec> Specs;
  while (!Bytes.empty()) {
    const std::size_t End = Bytes.find('\n');
    std::string_view Line = Bytes.substr(0, End);
    Bytes = End == std::string_view::npos ? std::string_view() : Bytes.substr(End + 1);
    while (!Line.empty() && (Line.back() == '\r' || Line.back() == ' ')) {
      Line.remove_suffix(1);
    }
    if (Line.empty()) {
      continue;
    }
    auto Parsed = ParseDecoderSpec(Line);
    if (auto* Spec = std::get_if<TDecoderSpec>(&Parsed)) {
      Specs.push_back(std::move(*Spec));
    }
  }
  return Specs;
}

std::string FormatDecoderSettings(const std::vector<TDecoderSpec>& Specs) {
  std::string Bytes;
  for (const TDecoderSpec& Spec : Specs) {
    Bytes += FormatDecoderSpec(Spec) + "\r\n";
  }
  return Bytes;
}
