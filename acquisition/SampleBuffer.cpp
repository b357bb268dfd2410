// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SampleBuffer.h"

void TSampleBuffer::Clear() {
  for (auto& Plane : Planes) {
    Plane.fill(0);
  }
}

std::optional<TBlockPlacement> PlaceBlock(std::uint8_t BlockCode) {
  int Group = 0;
  int Part = 0;
  if (BlockCode >= 1 && BlockCode <= 8) {
    Group = 1;
    Part = BlockCode;
  } else if (BlockCode >= 11 && BlockCode <= 18) {
    Group = 2;
    Part = BlockCode - 10;
  } else {
    return std::nullopt;
  }
  const int Count = Part == 8 ? SamplesPerLastBlock : SamplesPerFullBlock;
  return TBlockPlacement{Group, SamplesPerFullBlock * (Part - 1) + 1, Count};
}

std::vector<std::array<std::uint8_t, BlockSize>> BuildRestitution(
    const std::array<std::uint16_t, SamplesPerWindow>& Window) {
  std::vector<std::array<std::uint8_t, BlockSize>> Blocks;
  Blocks.reserve(18);
  Blocks.push_back({BlockRestitutionStart});
  for (int Group = 1; Group <= 2; ++Group) {
    for (int Part = 1; Part <= 8; ++Part) {
      const auto BlockCode = static_cast<std::uint8_t>(Group == 1 ? Part : Part + 10);
      std::array<std::uint8_t, BlockSize> Block{BlockCode};
      const TBlockPlacement Place = *PlaceBlock(BlockCode);
      for (int I = 1; I <= Place.Count; ++I) {
        const std::uint16_t Sample = Window[static_cast<std::size_t>(Place.FirstCell + I - 2)];
        Block[static_cast<std::size_t>(I)] =
            static_cast<std::uint8_t>(Group == 1 ? Sample & 0xFF : Sample >> 8);
      }
      Blocks.push_back(Block);
    }
  }
  Blocks.push_back({BlockRestitutionEnd});
  return Blocks;
}
