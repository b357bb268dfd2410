// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/WindowPlan.h"

#include <string>

std::vector<int> PlanWholeMemory() {
  // Back-to-back windows as long as they fit; one last window at the highest
  // offset picks up the remainder, overlapping the one before.
  std::vector<int> Offsets;
  int Offset = 0;
  while (Offset + SamplesPerWindow < WholeMemorySamples) {
    Offsets.push_back(Offset);
    Offset += SamplesPerWindow;
  }
  Offsets.push_back(WholeMemorySamples - SamplesPerWindow);
  return Offsets;
}

TWindowSamples WindowFromBuffer(const TSampleBuffer& Buffer) {
  TWindowSamples Samples{};
  for (int N = 1; N <= SamplesPerWindow; ++N) {
    const auto Low = static_cast<std::uint16_t>(Buffer.Cell(1, N) & 0xFF);
    const auto High = static_cast<std::uint16_t>(Buffer.Cell(2, N) & 0xFF);
    Samples[static_cast<std::size_t>(N - 1)] = static_cast<TSample>(Low | (High << 8));
  }
  return Samples;
}

namespace {

std::string InputList(TSample Difference) {
  std::string Text;
  for (int Input = 1; Input <= 16; ++Input) {
    if ((Difference >> (Input - 1)) & 1U) {
      Text += Text.empty() ? "" : ", ";
      Text += std::to_string(Input);
    }
  }
  return Text;
}

}  // namespace

std::variant<std::vector<TSample>, TStitchFailure> StitchWindows(
    const std::vector<TCapturedWindow>& Windows) {
  std::vector<TSample> Samples(WholeMemorySamples, 0);
  // The offset of the window that first filled each sample, -1 while none did.
  std::vector<int> Source(WholeMemorySamples, -1);
  for (const TCapturedWindow& Window : Windows) {
    if (Window.Offset < 0 || Window.Offset > LastWindowOffset) {
      return TStitchFailure{"fenêtre hors de la mémoire à la position " +
                            std::to_string(Window.Offset)};
    }
    for (int I = 0; I < SamplesPerWindow; ++I) {
      const auto At = static_cast<std::size_t>(Window.Offset + I);
      const TSample Value = Window.Samples[static_cast<std::size_t>(I)];
      if (Source[At] < 0) {
        Samples[At] = Value;
        Source[At] = Window.Offset;
      } else if (Samples[At] != Value) {
        return TStitchFailure{"les fenêtres aux positions " + std::to_string(Source[At]) + " et " +
                              std::to_string(Window.Offset) + " diffèrent à l'échantillon " +
                              std::to_string(At) + " (entrées " + InputList(Samples[At] ^ Value) +
                              ")"};
      }
    }
  }
  for (std::size_t At = 0; At < Source.size(); ++At) {
    if (Source[At] < 0) {
      return TStitchFailure{"échantillon " + std::to_string(At) + " reçu dans aucune fenêtre"};
    }
  }
  return Samples;
}
