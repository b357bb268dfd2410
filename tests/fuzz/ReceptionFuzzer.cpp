// SPDX-License-Identifier: GPL-3.0-or-later
// Any sequence of input reports of any length, as a firmware or a cable might
// deliver them: each is stored into a sample buffer block by block and fed to
// the restitution receiver. Nothing is read past a report; a block stores
// exactly the samples it carries; the receiver calls a restitution complete
// exactly when its 16 sample blocks came whole and in order between a start
// and an end, and then gives back their samples.
//
// Input: records of one byte then the report's bytes (from the block code
// on). The byte is the report's length, or 255 to abandon the restitution in
// progress instead.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "acquisition/RestitutionReceiver.h"

namespace {

using TReport = std::vector<std::uint8_t>;
using TOutcome = TRestitutionReceiver::TOutcome;

constexpr std::uint8_t AbandonRecord = 255;
constexpr std::array<std::uint8_t, 16> SendingOrder = {1,  2,  3,  4,  5,  6,  7,  8,
                                                       11, 12, 13, 14, 15, 16, 17, 18};

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "reception_fuzzer: %s\n", What);
    std::abort();
  }
}

// Stores one block and checks that exactly its cells changed, in order.
void CheckApplyBlock(TSampleBuffer& Buffer, const std::uint8_t* Block, std::size_t Size) {
  static_assert(std::is_trivially_copyable_v<TSampleBuffer>);
  const std::optional<TBlockPlacement> Place = Size == 0 ? std::nullopt : PlaceBlock(Block[0]);
  TSampleBuffer Expected = Buffer;
  int Count = 0;
  if (Place) {
    Check(Place->FirstCell >= 1 && Place->FirstCell + Place->Count - 1 <= SamplesPerWindow,
          "block placed outside the window");
    const int Received = static_cast<int>(Size) - 1;
    Count = Place->Count < Received ? Place->Count : Received;
    for (int I = 0; I < Count; ++I) {
      Expected.Cell(Place->Group, Place->FirstCell + I) = Block[I + 1];
    }
  }

  int Calls = 0;
  const int Stored = ApplyBlock(Buffer, Block, Size, [&](int Group, int N, std::uint8_t Value) {
    Check(Place && Group == Place->Group && N == Place->FirstCell + Calls &&
              Value == Block[Calls + 1],
          "sample drawn out of place or order");
    ++Calls;
  });
  Check(Stored == Count, "stored another number of samples than the block carries");
  Check(Calls == Stored, "one call per stored sample");
  Check(std::memcmp(&Expected, &Buffer, sizeof Buffer) == 0,
        "cells changed otherwise than the block carries");
}

// What the receiver must conclude, kept as the list of blocks since the start.
class TReceiverModel {
 public:
  TOutcome Take(const TReport& Report) {
    if (Report.empty()) {
      Empty = Empty || Active;
      return TOutcome::Pending;
    }
    const std::uint8_t Code = Report[0];
    if (Code == BlockRestitutionStart) {
      Active = true;
      Empty = false;
      Blocks.clear();
      return TOutcome::Pending;
    }
    if (Code == BlockRestitutionEnd) {
      if (!Active) {
        return TOutcome::Pending;
      }
      Active = false;
      if (!Whole()) {
        return TOutcome::Incomplete;
      }
      for (std::size_t B = 0; B < Blocks.size(); ++B) {
        const TBlockPlacement Place = *PlaceBlock(Blocks[B][0]);
        for (int I = 0; I < Place.Count; ++I) {
          TSample& Sample = Last[static_cast<std::size_t>(Place.FirstCell - 1 + I)];
          const std::uint8_t Byte = Blocks[B][static_cast<std::size_t>(I + 1)];
          Sample = static_cast<TSample>(Place.Group == 1 ? (Sample & 0xFF00) | Byte
                                                         : (Sample & 0x00FF) | (Byte << 8));
        }
      }
      return TOutcome::Complete;
    }
    if (Active && PlaceBlock(Code)) {
      Blocks.push_back(Report);
    }
    return TOutcome::Pending;
  }

  void Abandon() { Active = false; }
  bool InProgress() const { return Active; }
  const TWindowSamples& Window() const { return Last; }

 private:
  bool Whole() const {
    if (Empty || Blocks.size() != SendingOrder.size()) {
      return false;
    }
    for (std::size_t B = 0; B < Blocks.size(); ++B) {
      if (Blocks[B][0] != SendingOrder[B] ||
          Blocks[B].size() < static_cast<std::size_t>(PlaceBlock(Blocks[B][0])->Count) + 1) {
        return false;
      }
    }
    return true;
  }

  bool Active = false;
  bool Empty = false;
  std::vector<TReport> Blocks;
  TWindowSamples Last{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TSampleBuffer Buffer;
  TRestitutionReceiver Receiver;
  TReceiverModel Model;
  std::size_t At = 0;
  while (At < Size) {
    const std::uint8_t Record = Data[At++];
    if (Record == AbandonRecord) {
      Receiver.Abandon();
      Model.Abandon();
      continue;
    }
    const std::size_t Length = std::min<std::size_t>(Record, Size - At);
    // Each report in a buffer of exactly its length, so a read past it is caught.
    const auto Report = std::make_unique<std::uint8_t[]>(Length);
    std::memcpy(Report.get(), Data + At, Length);
    const TReport Copy(Data + At, Data + At + Length);
    At += Length;

    CheckApplyBlock(Buffer, Report.get(), Length);
    const TOutcome Outcome = Receiver.Take(Report.get(), Length);
    Check(Outcome == Model.Take(Copy), "receiver judged the restitution otherwise");
    Check(Receiver.InProgress() == Model.InProgress(), "receiver in another state");
    Check(Receiver.Window() == Model.Window(), "receiver holds other samples");
  }
  return 0;
}
