// SPDX-License-Identifier: GPL-3.0-or-later
// The memory as data: a sample of the 16 inputs and a view of consecutive
// samples that does not own them. The live window, an opened capture and a
// fetched memory are each seen through a TSampleView; analysis takes only
// that view and never asks for pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct TTimeBase;

/// Samples of each input in one restitution (a window of the memory, the
/// picture's 450 columns), numbered 1..450 where a window is drawn.
inline constexpr int SamplesPerWindow = 450;

/// One sample of all 16 inputs: inputs 1-8 in the low byte, 9-16 in the
/// high byte, bit set for high.
using TSample = std::uint16_t;

/// Consecutive samples, not owned: the caller keeps them alive while the
/// view is used.
struct TSampleView {
  std::span<const TSample> Samples;
  /// Memory index of Samples[0] (the analyser's memory, or 0 for a file
  /// that records none).
  int FirstIndex = 0;
  /// Time between two samples; 0 when unknown.
  double SecondsPerSample = 0.0;
  /// The time base the samples were taken at, when they were taken at one
  /// of the analyser's (a file from another writer may have none).
  const TTimeBase* TimeBase = nullptr;

  std::size_t Size() const { return Samples.size(); }
  bool Empty() const { return Samples.empty(); }
  /// Level of Input (1..16) at position I (0..Size() - 1): true for high.
  bool Level(int Input, std::size_t I) const { return ((Samples[I] >> (Input - 1)) & 1U) != 0; }
  /// Memory index of position I.
  std::int64_t IndexOf(std::size_t I) const { return FirstIndex + static_cast<std::int64_t>(I); }
  /// Time of position I from the first sample of the view, in seconds.
  double TimeOf(std::size_t I) const { return SecondsPerSample * static_cast<double>(I); }
};
