// SPDX-License-Identifier: GPL-3.0-or-later
// What a decoder says about a stretch of samples: data in sample indices,
// never in pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// One decoded event.
struct TAnnotation {
  std::int64_t FirstSample = 0;  ///< memory index of its first sample
  std::int64_t LastSample = 0;   ///< memory index of its last sample (>= FirstSample)
  double TimeSeconds = 0.0;      ///< time of FirstSample from the view's first sample
  std::string Decoder;           ///< "uart", "i2c", "spi", "pwm"
  /// One word: "data", "start", "nack", "frame-error", ...; "cut" for a word
  /// or cycle an end of the samples (or SPI's chip select) cut short.
  std::string Event;
  std::optional<std::uint32_t> Value;  ///< the value carried, when there is one
  std::string Text;  ///< the value for a person: "0x41 'A'", "period=1.000ms duty=25.0%"
  /// The value as the CSV report writes it: "0x41", "period=0.001s duty=25.0%", "" for none.
  std::string ValueText;
  int Input = 0;     ///< the input (1..16) whose row it is drawn over
  bool Cut = false;  ///< cut by the start or end of the samples held
};

using TAnnotations = std::vector<TAnnotation>;
