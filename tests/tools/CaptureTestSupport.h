// SPDX-License-Identifier: GPL-3.0-or-later
// Analysers for the capture tool's tests: the simulated one at full speed on
// a simulated platform, and a scripted one that answers with restitutions of
// a memory the test chooses, damaged as the test likes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/SimulatedHidPlatform.h"
#include "simulator/SimulatedAnalyserDevice.h"
#include "acquisition/WindowPlan.h"

namespace capturetest {

/// The bytes of one output report as a text of hex pairs ("00 0B 01 2C"),
/// up to the last non-zero byte but never shorter than four bytes.
inline std::string Hex(const std::vector<std::uint8_t>& Report) {
  std::size_t Length = Report.size();
  while (Length > 4 && Report[Length - 1] == 0) {
    --Length;
  }
  std::string Text;
  for (std::size_t I = 0; I < Length; ++I) {
    char Pair[4];
    std::snprintf(Pair, sizeof Pair, "%02X", Report[I]);
    if (I != 0) {
      Text += ' ';
    }
    Text += Pair;
  }
  return Text;
}

/// Every output report the interface took, as Hex texts; fails the test if
/// one is not of the declared length.
inline std::vector<std::string> WrittenTexts(const TSimulatedHidInterface& Interface) {
  std::vector<std::string> Texts;
  for (const auto& Report : Interface.WrittenReports()) {
    EXPECT_EQ(Report.size(), Interface.Options().OutputReportByteLength);
    Texts.push_back(Hex(Report));
  }
  return Texts;
}

inline std::vector<TSample> RandomMemory(unsigned Seed) {
  std::mt19937 Random(Seed);
  std::vector<TSample> Memory(WholeMemorySamples);
  for (TSample& Sample : Memory) {
    Sample = static_cast<TSample>(Random());
  }
  return Memory;
}

inline std::vector<TSample> ToVector(const TSampleMemory& Memory) {
  return {Memory.begin(), Memory.end()};
}

/// A platform that lends out one the test owns, for code that wants to own its platform.
class TBorrowedPlatform : public THidPlatform {
 public:
  explicit TBorrowedPlatform(THidPlatform& Lender) : Lender(Lender) {}
  std::optional<std::vector<THidInterface>> Enumerate() override { return Lender.Enumerate(); }
  std::unique_ptr<THidHandle> OpenMain(const std::string& Path, THidError& Error) override {
    return Lender.OpenMain(Path, Error);
  }
  std::unique_ptr<THidHandle> OpenReader(const std::string& Path, THidError& Error) override {
    return Lender.OpenReader(Path, Error);
  }
  TWaitable ChangeNotice() const override { return Lender.ChangeNotice(); }
  void DrainChangeNotice() override { Lender.DrainChangeNotice(); }

 private:
  THidPlatform& Lender;
};

/// An interface with the analyser's ids that answers cmdSingle with a
/// restitution of window 0 and cmdViewPosition with the window asked for,
/// from Memory, at once. Spoil may change the blocks of each answer
/// (Request counts the view positions, from 1; 0 for the single).
class TScriptedAnalyser {
 public:
  using TBlocks = std::vector<std::vector<std::uint8_t>>;

  explicit TScriptedAnalyser(TSimulatedHidPlatform& Platform)
      : Interface(Platform.PlugNew(SimulatedAnalyserInterfaceOptions())) {
    Interface->SetWriteHook([this](const std::uint8_t* Report, std::size_t Size) {
      if (Size < 4) {
        return;
      }
      if (OnCommand) {
        OnCommand(Report[1]);
      }
      if (Report[1] == 4 && AnswerSingle) {
        Answer(0, 0);
      } else if (Report[1] == 7) {
        ++ViewRequests;
        Offsets.push_back(Report[2] << 8 | Report[3]);
        if (AnswerViews) {
          Answer(Offsets.back(), ViewRequests);
        }
      }
    });
  }
  ~TScriptedAnalyser() { Interface->SetWriteHook(nullptr); }
  TScriptedAnalyser(const TScriptedAnalyser&) = delete;
  TScriptedAnalyser& operator=(const TScriptedAnalyser&) = delete;

  std::shared_ptr<TSimulatedHidInterface> Interface;
  std::vector<TSample> Memory = RandomMemory(3);
  std::function<void(TBlocks& Blocks, int Request, int Offset)> Spoil;
  std::function<void(std::uint8_t Code)> OnCommand;
  bool AnswerSingle = true;
  bool AnswerViews = true;
  int ViewRequests = 0;
  std::vector<int> Offsets;

 private:
  void Answer(int Offset, int Request) {
    std::array<std::uint16_t, SamplesPerWindow> Window{};
    for (int I = 0; I < SamplesPerWindow; ++I) {
      Window[static_cast<std::size_t>(I)] = Memory[static_cast<std::size_t>(Offset + I)];
    }
    TBlocks Blocks;
    for (const auto& Block : BuildRestitution(Window)) {
      std::vector<std::uint8_t> Report{0};
      Report.insert(Report.end(), Block.begin(), Block.end());
      Blocks.push_back(Report);
    }
    if (Spoil) {
      Spoil(Blocks, Request, Offset);
    }
    for (const auto& Report : Blocks) {
      Interface->InjectReport(Report);
    }
  }
};

}  // namespace capturetest
