// SPDX-License-Identifier: GPL-3.0-or-later
// Puts the analyser's restitutions back together from its input blocks. A
// restitution counts only when all 18 blocks came in the order the analyser
// sends them (20, 1-8, 11-18, 21), each with all its samples: the protocol
// has no checksum, so order and completeness are all there is to go by.
#pragma once

#include <cstddef>
#include <cstdint>

#include "acquisition/SampleBuffer.h"
#include "acquisition/WindowPlan.h"

class TRestitutionReceiver {
 public:
  /// What a block did to the restitution being received.
  enum class TOutcome {
    Pending,     ///< nothing ended: a start, a block in the middle, or a stray block
    Complete,    ///< an end block closed a whole restitution; Window() holds it
    Incomplete,  ///< an end block closed a restitution that lost or mixed blocks
  };

  /// Takes the bytes that follow the report id of one input report.
  TOutcome Take(const std::uint8_t* Data, std::size_t Size);

  /// A start block came and its end block has not yet.
  bool InProgress() const { return Active; }
  /// Gives up the restitution in progress: its later blocks are passed over.
  void Abandon() { Active = false; }

  /// The samples of the last complete restitution.
  const TWindowSamples& Window() const { return Last; }

 private:
  TSampleBuffer Buffer;
  bool Active = false;
  bool Damaged = false;
  int Next = 0;  // position of the next sample block in the sending order
  TWindowSamples Last{};
};
