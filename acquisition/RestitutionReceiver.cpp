// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/RestitutionReceiver.h"

#include <array>

namespace {

// The sample blocks of a restitution in the order they are sent.
constexpr std::array<std::uint8_t, 16> SampleBlockOrder = {1,  2,  3,  4,  5,  6,  7,  8,
                                                           11, 12, 13, 14, 15, 16, 17, 18};

}  // namespace

TRestitutionReceiver::TOutcome TRestitutionReceiver::Take(const std::uint8_t* Data,
                                                          std::size_t Size) {
  if (Size == 0) {
    // A report with no block at all cannot be part of a sound restitution.
    Damaged = Damaged || Active;
    return TOutcome::Pending;
  }
  const std::uint8_t BlockCode = Data[0];
  if (BlockCode == BlockRestitutionStart) {
    // A start in the middle of another restitution abandons that one.
    Active = true;
    Damaged = false;
    Next = 0;
    Buffer.Clear();
    return TOutcome::Pending;
  }
  if (BlockCode == BlockRestitutionEnd) {
    if (!Active) {
      return TOutcome::Pending;
    }
    Active = false;
    if (Damaged || Next != static_cast<int>(SampleBlockOrder.size())) {
      return TOutcome::Incomplete;
    }
    Last = WindowFromBuffer(Buffer);
    return TOutcome::Complete;
  }
  const std::optional<TBlockPlacement> Place = PlaceBlock(BlockCode);
  if (!Place || !Active) {
    // Codes that carry nothing, and blocks of a restitution whose start we
    // did not see, are passed over.
    return TOutcome::Pending;
  }
  if (Next >= static_cast<int>(SampleBlockOrder.size()) ||
      SampleBlockOrder[static_cast<std::size_t>(Next)] != BlockCode) {
    Damaged = true;
    return TOutcome::Pending;
  }
  ++Next;
  if (ApplyBlock(Buffer, Data, Size, [](int, int, std::uint8_t) {}) != Place->Count) {
    Damaged = true;  // a short report
  }
  return TOutcome::Pending;
}
