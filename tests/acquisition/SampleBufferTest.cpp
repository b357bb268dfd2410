// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SampleBuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

struct TStored {
  int Group;
  int N;
  int Value;
};

std::vector<TStored> Apply(TSampleBuffer& Buffer, const std::uint8_t* Block, std::size_t Size) {
  std::vector<TStored> Stored;
  ApplyBlock(Buffer, Block, Size, [&](int Group, int N, std::uint8_t Value) {
    Stored.push_back({Group, N, Value});
  });
  return Stored;
}

}  // namespace

TEST(BlockPlacement, CodesMapToCellsOfTheirGroup) {
  EXPECT_FALSE(PlaceBlock(0));
  EXPECT_FALSE(PlaceBlock(9));
  EXPECT_FALSE(PlaceBlock(10));
  EXPECT_FALSE(PlaceBlock(19));
  EXPECT_FALSE(PlaceBlock(BlockRestitutionStart));
  EXPECT_FALSE(PlaceBlock(BlockRestitutionEnd));
  const TBlockPlacement First = *PlaceBlock(1);
  EXPECT_EQ(First.Group, 1);
  EXPECT_EQ(First.FirstCell, 1);
  EXPECT_EQ(First.Count, 63);
  const TBlockPlacement Last = *PlaceBlock(18);
  EXPECT_EQ(Last.Group, 2);
  EXPECT_EQ(Last.FirstCell, 442);
  EXPECT_EQ(Last.Count, 9);
}

TEST(ApplyBlock, Block13Byte5LandsInGroupTwoCell131) {
  TSampleBuffer Buffer;
  std::array<std::uint8_t, BlockSize> Block{13};
  Block[5] = 0xA5;
  const auto Stored = Apply(Buffer, Block.data(), Block.size());
  ASSERT_EQ(Stored.size(), 63U);
  EXPECT_EQ(Stored.front().N, 127);
  EXPECT_EQ(Stored.back().N, 189);
  EXPECT_EQ(Buffer.Cell(2, 131), 0xA5);
  EXPECT_EQ(Buffer.Cell(1, 131), 0);
}

TEST(ApplyBlock, LastBlockUsesOnlyItsNineBytes) {
  TSampleBuffer Buffer;
  std::array<std::uint8_t, BlockSize> Block{};
  Block.fill(0x00);
  Block[0] = 8;
  for (int I = 1; I <= 9; ++I) {
    Block[static_cast<std::size_t>(I)] = 0xFF;
  }
  Buffer.Cell(1, 441) = 7;
  const auto Stored = Apply(Buffer, Block.data(), Block.size());
  ASSERT_EQ(Stored.size(), 9U);
  for (int N = 442; N <= 450; ++N) {
    EXPECT_EQ(Buffer.Cell(1, N), 255) << N;
  }
  EXPECT_EQ(Buffer.Cell(1, 441), 7);
}

TEST(ApplyBlock, ShortBlockKeepsCellsItDoesNotCarry) {
  TSampleBuffer Buffer;
  for (int N = 1; N <= 63; ++N) {
    Buffer.Cell(1, N) = 0x55;
  }
  const std::uint8_t Block[] = {1, 0x10, 0x20, 0x30};
  const auto Stored = Apply(Buffer, Block, sizeof Block);
  EXPECT_EQ(Stored.size(), 3U);
  EXPECT_EQ(Buffer.Cell(1, 3), 0x30);
  EXPECT_EQ(Buffer.Cell(1, 4), 0x55);
  EXPECT_EQ(Apply(Buffer, Block, 1).size(), 0U);
  EXPECT_EQ(Apply(Buffer, Block, 0).size(), 0U);
}

TEST(BuildRestitution, DecodesBackToTheSameWindow) {
  std::array<std::uint16_t, SamplesPerWindow> Window{};
  for (std::size_t I = 0; I < Window.size(); ++I) {
    Window[I] = static_cast<std::uint16_t>(I * 2654435761U >> 7);
  }
  const auto Blocks = BuildRestitution(Window);
  ASSERT_EQ(Blocks.size(), 18U);
  const std::vector<int> Expected = {20, 1,  2,  3,  4,  5,  6,  7,  8,
                                     11, 12, 13, 14, 15, 16, 17, 18, 21};
  TSampleBuffer Buffer;
  for (std::size_t I = 0; I < Blocks.size(); ++I) {
    EXPECT_EQ(Blocks[I][0], Expected[I]);
    Apply(Buffer, Blocks[I].data(), Blocks[I].size());
  }
  for (int N = 1; N <= SamplesPerWindow; ++N) {
    const std::uint16_t Sample = Window[static_cast<std::size_t>(N - 1)];
    ASSERT_EQ(Buffer.Cell(1, N), Sample & 0xFF) << N;
    ASSERT_EQ(Buffer.Cell(2, N), Sample >> 8) << N;
  }
  EXPECT_EQ(Blocks[8][10], 0);  // block 8: bytes past the ninth stay zero
}
