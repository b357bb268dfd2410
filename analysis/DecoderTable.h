// SPDX-License-Identifier: GPL-3.0-or-later
// Decoders and their options, described by tables, and the "name:key=value"
// text that chooses one (sigrok's option names, inputs by number 1..16),
// shared by la16-capture's --decode and the window's decoding dialog.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "acquisition/SampleView.h"
#include "analysis/Annotation.h"

/// One option of a decoder (an input is an option whose value is 1..16).
struct TDecoderOption {
  const char* Name;                 ///< sigrok's name: "rx", "baudrate", "cpol", ...
  const char* Caption;              ///< French caption for the dialog, UTF-8
  const char* Default;              ///< "" for an input or option that must be given
  std::vector<const char*> Values;  ///< allowed values; empty for free text
  bool IsInput = false;
  bool Optional = false;  ///< an input that may be left out (SPI's cs, miso, mosi)
};

/// One decoder: its name, caption, options and the event words it puts.
struct TDecoderInfo {
  const char* Name;     ///< "uart", "i2c", "spi", "pwm"
  const char* Caption;  ///< "UART", "I2C", ...
  std::vector<TDecoderOption> Options;
  std::vector<const char*> Events;
};

/// Every decoder, in the order the dialog lists them.
std::span<const TDecoderInfo> DecoderTable();

/// A decoder chosen with its options, every option present (defaults filled
/// in) and checked.
struct TDecoderSpec {
  const TDecoderInfo* Info = nullptr;
  std::vector<std::pair<std::string, std::string>> Options;  ///< in the table's order
  /// The value of option Name ("" when absent).
  std::string Option(std::string_view Name) const;
};

/// Parses "uart:rx=9:baudrate=9600"; a one-line message naming what is wrong.
std::variant<TDecoderSpec, std::string> ParseDecoderSpec(std::string_view Text);

/// The text ParseDecoderSpec reads back as the same spec.
std::string FormatDecoderSpec(const TDecoderSpec& Spec);

/// Runs the decoder of Spec over View; annotations in sample order.
TAnnotations Decode(const TDecoderSpec& Spec, const TSampleView& View);
