// SPDX-License-Identifier: GPL-3.0-or-later
// Reading restitutions back the way the program does, for the simulator tests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "simulator/AnalyserFirmware.h"

namespace SimulatorTest {

/// Block codes of one restitution in the order the program relies on.
inline std::vector<int> RestitutionOrder() {
  std::vector<int> Codes{BlockRestitutionStart};
  for (int Code = 1; Code <= 8; ++Code) {
    Codes.push_back(Code);
  }
  for (int Code = 11; Code <= 18; ++Code) {
    Codes.push_back(Code);
  }
  Codes.push_back(BlockRestitutionEnd);
  return Codes;
}

/// The window the blocks carry, decoded with the program's block decoder;
/// inputs 1 to 8 in the low byte, 9 to 16 in the high byte.
inline std::array<std::uint16_t, SamplesPerWindow> DecodeWindow(
    const std::vector<TInputBlock>& Blocks) {
  TSampleBuffer Buffer;
  for (const TInputBlock& Block : Blocks) {
    ApplyBlock(Buffer, Block.data(), Block.size(), [](int, int, std::uint8_t) {});
  }
  std::array<std::uint16_t, SamplesPerWindow> Window{};
  for (int N = 1; N <= SamplesPerWindow; ++N) {
    Window[static_cast<std::size_t>(N - 1)] =
        static_cast<std::uint16_t>(Buffer.Cell(1, N) | Buffer.Cell(2, N) << 8);
  }
  return Window;
}

/// Samples Offset to Offset + 449 of a memory.
inline std::array<std::uint16_t, SamplesPerWindow> MemoryWindow(const TSampleMemory& Memory,
                                                                int Offset) {
  std::array<std::uint16_t, SamplesPerWindow> Window{};
  for (int I = 0; I < SamplesPerWindow; ++I) {
    Window[static_cast<std::size_t>(I)] = Memory[static_cast<std::size_t>(Offset + I)];
  }
  return Window;
}

/// A block and the simulated instant it went out.
struct TSent {
  TSimTime Time;
  TInputBlock Block;
};

// Runs the firmware as its thread would with a clock that jumps to every
// deadline, until it is idle or MaxBlocks blocks have gone out.
class TFirmwareDriver {
 public:
  explicit TFirmwareDriver(std::uint32_t Seed = 1,
                           std::optional<TSampleMemory> FixedMemory = std::nullopt)
      : Firmware(Seed, std::move(FixedMemory)) {}

  void Send(std::uint8_t Code, std::uint8_t P1 = 0, std::uint8_t P2 = 0) {
    Firmware.Execute({Code, P1, P2}, Now);
  }

  std::vector<TSent> Run(std::size_t MaxBlocks = 10000) {
    std::vector<TSent> Sent;
    while (Sent.size() < MaxBlocks) {
      const std::optional<TSimTime> Due = Firmware.NextEventTime();
      if (!Due) {
        break;
      }
      Now = std::max(Now, *Due);
      if (std::optional<TInputBlock> Block = Firmware.Advance(Now)) {
        Sent.push_back({Now, *Block});
      }
    }
    return Sent;
  }

  // Runs until simulated time Until without sending anything past it.
  std::vector<TSent> RunUntil(TSimTime Until) {
    std::vector<TSent> Sent;
    for (;;) {
      const std::optional<TSimTime> Due = Firmware.NextEventTime();
      if (!Due || *Due > Until) {
        break;
      }
      Now = std::max(Now, *Due);
      if (std::optional<TInputBlock> Block = Firmware.Advance(Now)) {
        Sent.push_back({Now, *Block});
      }
    }
    Now = std::max(Now, Until);
    return Sent;
  }

  TAnalyserFirmware Firmware;
  TSimTime Now = 0;
};

inline std::vector<int> Codes(const std::vector<TSent>& Sent) {
  std::vector<int> Result;
  for (const TSent& Item : Sent) {
    Result.push_back(Item.Block[0]);
  }
  return Result;
}

inline std::vector<TInputBlock> Blocks(const std::vector<TSent>& Sent, std::size_t First = 0,
                                       std::size_t Count = 18) {
  std::vector<TInputBlock> Result;
  for (std::size_t I = First; I < First + Count && I < Sent.size(); ++I) {
    Result.push_back(Sent[I].Block);
  }
  return Result;
}

inline std::vector<int> Repeated(const std::vector<int>& Codes, int Times) {
  std::vector<int> Result;
  for (int I = 0; I < Times; ++I) {
    Result.insert(Result.end(), Codes.begin(), Codes.end());
  }
  return Result;
}

}  // namespace SimulatorTest
