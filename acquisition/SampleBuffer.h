// SPDX-License-Identifier: GPL-3.0-or-later
// The window of 450 samples the PC holds, and where each input block puts
// its sample bytes. Qt-free: the program, the simulator and la16-capture
// share it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "acquisition/SampleView.h"
#include "link/AnalyserProtocol.h"

/// Samples carried by a full block and by the last block of a group.
inline constexpr int SamplesPerFullBlock = 63;
inline constexpr int SamplesPerLastBlock = 9;

/// Two planes of 450 cells, indexed 1 to 450: group 1 holds inputs 1-8,
/// group 2 inputs 9-16; bit j of a cell is input j + 1 (or j + 9), 1 high.
/// Both planes start at zero and are never cleared: a restitution overwrites
/// only the cells its blocks carry.
class TSampleBuffer {
 public:
  /// Cell N (1..450) of Group (1 or 2).
  std::int32_t& Cell(int Group, int N) { return Planes[PlaneIndex(Group)][CellIndex(N)]; }
  std::int32_t Cell(int Group, int N) const { return Planes[PlaneIndex(Group)][CellIndex(N)]; }
  /// Sets every cell of both planes to 0.
  void Clear();

 private:
  static std::size_t PlaneIndex(int Group) { return Group == 1 ? 0 : 1; }
  static std::size_t CellIndex(int N) { return static_cast<std::size_t>(N - 1); }
  std::array<std::array<std::int32_t, SamplesPerWindow>, 2> Planes{};
};

/// Where the samples of a block go: group, first cell and how many.
struct TBlockPlacement {
  int Group;      ///< 1 for block codes 1-8, 2 for 11-18
  int FirstCell;  ///< cell of block byte 1
  int Count;      ///< 63, or 9 for blocks 8 and 18
};

/// The placement of block code BlockCode, or nothing for codes that carry no samples.
std::optional<TBlockPlacement> PlaceBlock(std::uint8_t BlockCode);

/// Stores the samples of one block (Block[0] is the code, Size the bytes
/// received from the code on) and calls OnSample(Group, N, Value) for each
/// stored sample in ascending N. Only bytes actually received are used; cells
/// a short block does not carry keep their contents. Returns the number stored.
template <typename TOnSample>
int ApplyBlock(TSampleBuffer& Buffer, const std::uint8_t* Block, std::size_t Size,
               TOnSample&& OnSample) {
  if (Size == 0) {
    return 0;
  }
  const std::optional<TBlockPlacement> Place = PlaceBlock(Block[0]);
  if (!Place) {
    return 0;
  }
  const int Received = static_cast<int>(Size - 1);
  const int Count = Place->Count < Received ? Place->Count : Received;
  for (int I = 1; I <= Count; ++I) {
    const int N = Place->FirstCell + I - 1;
    Buffer.Cell(Place->Group, N) = Block[I];
    OnSample(Place->Group, N, Block[I]);
  }
  return Count;
}

/// The 18 blocks of one restitution of a window, in the order the analyser
/// sends them: 20, 1-8, 11-18, 21. Window[i] holds sample i + 1, inputs 1-8
/// in the low byte and 9-16 in the high byte. Unused bytes are zero.
std::vector<std::array<std::uint8_t, BlockSize>> BuildRestitution(
    const std::array<std::uint16_t, SamplesPerWindow>& Window);
