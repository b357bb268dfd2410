// Reading restitutions back the way the program does, for the simulator tests.
#pragma once

#include <array>
#include <cstdint>
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

}  // namespace SimulatorTest
