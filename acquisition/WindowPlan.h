// SPDX-License-Identifier: GPL-3.0-or-later
// The analyser answers a view position with 450 samples; its memory holds
// 2047. These are the windows needed to fetch all of it and the stitching of
// their samples into one record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "acquisition/SampleView.h"

/// Samples in the analyser's memory, sample 0 to 2046.
inline constexpr int WholeMemorySamples = 2047;
/// The last view offset: its window ends on the last sample of the memory.
inline constexpr int LastWindowOffset = WholeMemorySamples - SamplesPerWindow;

/// The 450 samples of one window, first sample first.
using TWindowSamples = std::array<TSample, SamplesPerWindow>;

/// A window as received: its view offset and its samples.
struct TCapturedWindow {
  int Offset;
  TWindowSamples Samples;
};

/// The view offsets to ask for so that the windows cover the whole memory,
/// in increasing order: as few as possible, the last one ending on the last
/// sample (0, 450, 900, 1350, 1597).
std::vector<int> PlanWholeMemory();

/// The samples held by both planes of Buffer, cell 1 first.
TWindowSamples WindowFromBuffer(const TSampleBuffer& Buffer);

/// Why windows could not be put together: a one-line French message.
struct TStitchFailure {
  std::string Message;
};

/// Puts the windows together into the 2047 samples of the memory. Fails if a
/// window lies outside the memory, if a sample is covered by no window, or if
/// two windows disagree on a sample they share (the message names the
/// sample, both offsets and the inputs that differ).
std::variant<std::vector<TSample>, TStitchFailure> StitchWindows(
    const std::vector<TCapturedWindow>& Windows);
