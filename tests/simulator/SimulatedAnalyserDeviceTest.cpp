// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated analyser plugged into the simulated HID platform, driven
// through the link's own controller, devices and reader threads.
#include "simulator/SimulatedAnalyserDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "link/JvHidControllerClass.h"
#include "link/PollMainThreadLoop.h"
#include "tests/simulator/SimulatorTestSupport.h"

using namespace SimulatorTest;
using namespace std::chrono_literals;

namespace {

struct TReceivedReport {
  std::uint8_t ReportID;
  std::uint16_t Size;
  TInputBlock Block;
};

class SimulatedAnalyserDevice : public testing::Test {
 protected:
  void SetUp() override { Analyser = std::make_unique<TSimulatedAnalyserDevice>(Platform, Fast); }

  void TearDown() override {
    // The order the program keeps: the device before the controller.
    Held.reset();
    Controller.reset();
  }

  void StartController() {
    Controller = std::make_unique<TJvHidDeviceController>(Platform, Loop);
    Controller->SetOnArrival([this](TJvHidDevice& Dev) {
      Arrivals.push_back({Dev.VendorID(), Dev.ProductID()});
    });
    Controller->SetOnRemoval([this](TJvHidDevice&) { ++Removals; });
    Controller->SetOnDeviceChange([this](TJvHidDeviceController&) { ++Changes; });
    const int Before = Changes;
    ASSERT_TRUE(Loop.RunUntil([&] { return Changes > Before; }, 5s));
  }

  /// Checks the analyser out with a recording report handler; its reader
  /// has its handle open before this returns, so no report can be missed.
  void CheckOutAnalyser() {
    TJvHidDevice* Device = nullptr;
    ASSERT_TRUE(Controller->CheckOutMatching(Device, AnalyserVendorId, AnalyserProductId));
    Held.reset(Device);
    ASSERT_TRUE(Held->OpenReadHandle());
    Held->SetOnReport(
        [this](TJvHidDevice&, std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size) {
          TReceivedReport Report{ReportID, Size, {}};
          std::copy(Data, Data + std::min<std::size_t>(Size, BlockSize), Report.Block.begin());
          Received.push_back(Report);
        });
    ASSERT_TRUE(Held->ReaderRunning());
  }

  /// Sends a command the way the program does: the one buffer, the length
  /// the device declares.
  bool Send(TAnalyserCommand Code) {
    Command.SetCommand(Code);
    return Write();
  }
  bool Send16(TAnalyserCommand Code, std::uint16_t Value) {
    Command.SetCommand16(Code, Value);
    return Write();
  }
  bool Write() {
    const std::vector<std::uint8_t> Report =
        Command.OutputReport(Held->QueryCaps().OutputReportByteLength);
    std::uint32_t Written = 0;
    return Held->WriteReport(Report.data(), static_cast<std::uint32_t>(Report.size()), Written) &&
           Written == Report.size();
  }

  /// Runs the loop until Count reports arrived, then lets the analyser
  /// settle and the loop drain, so that any extra report shows up too.
  void ReceiveAtLeast(std::size_t Count) {
    ASSERT_TRUE(Loop.RunUntil([&] { return Received.size() >= Count; }, 10s))
        << Received.size() << " of " << Count;
    ASSERT_TRUE(Analyser->Analyser()->WaitIdle(5s));
    Loop.RunUntil([] { return false; }, 100ms);
  }

  std::vector<TInputBlock> Blocks() const {
    std::vector<TInputBlock> Result;
    for (const TReceivedReport& Report : Received) {
      Result.push_back(Report.Block);
    }
    return Result;
  }

  std::vector<int> ReceivedCodes() const {
    std::vector<int> Result;
    for (const TReceivedReport& Report : Received) {
      Result.push_back(Report.Block[0]);
    }
    return Result;
  }

  const TSimulatorOptions Fast{0.0, 1};
  TSimulatedHidPlatform Platform;
  TPollMainThreadLoop Loop;
  std::unique_ptr<TSimulatedAnalyserDevice> Analyser;
  std::unique_ptr<TJvHidDeviceController> Controller;
  std::unique_ptr<TJvHidDevice> Held;
  TCommandReport Command;
  std::vector<std::pair<int, int>> Arrivals;
  int Removals = 0;
  int Changes = 0;
  std::vector<TReceivedReport> Received;
};

TEST_F(SimulatedAnalyserDevice, IsAnnouncedWithTheAnalysersIdsBesideTheDecoy) {
  const auto Decoy = PlugDecoyInterface(Platform);
  Analyser->Plug();
  StartController();

  const std::vector<std::pair<int, int>> Expected{{0x046D, 0xC31C}, {0x04D8, 0x0005}};
  EXPECT_EQ(Arrivals, Expected);
  CheckOutAnalyser();
  EXPECT_EQ(Held->PnPInfo().InterfacePath, Analyser->HidInterface().InterfacePath());
  EXPECT_EQ(Held->VersionNumber(), SimulatedAnalyserVersion);
  EXPECT_TRUE(Held->ReadWriteAccess());
  const THidCaps Caps = Held->QueryCaps();
  EXPECT_EQ(Caps.InputReportByteLength, 65);
  EXPECT_EQ(Caps.OutputReportByteLength, 65);
  // Only one device has the analyser's ids.
  TJvHidDevice* Other = nullptr;
  EXPECT_FALSE(Controller->CheckOutMatching(Other, AnalyserVendorId, -1));
}

TEST_F(SimulatedAnalyserDevice, SingleAcquisitionGivesOneRestitutionOfTheMemory) {
  Analyser->Plug();
  StartController();
  CheckOutAnalyser();
  ASSERT_TRUE(Send(cmdAttach));
  ASSERT_TRUE(Send16(cmdViewPosition, 700));
  ASSERT_TRUE(Analyser->Analyser()->WaitIdle(5s));
  Loop.RunUntil([] { return false; }, 50ms);
  Received.clear();  // the answer to the view position, from power-on memory

  ASSERT_TRUE(Send(cmdSingle));
  ReceiveAtLeast(18);

  EXPECT_EQ(ReceivedCodes(), RestitutionOrder());
  for (const TReceivedReport& Report : Received) {
    EXPECT_EQ(Report.ReportID, 0);
    EXPECT_EQ(Report.Size, BlockSize);
  }
  const TSampleMemory Memory = Analyser->Analyser()->Memory();
  EXPECT_EQ(DecodeWindow(Blocks()), MemoryWindow(Memory, 700));
  EXPECT_EQ(Analyser->Analyser()->State().AcquisitionCount, 1);
}

TEST_F(SimulatedAnalyserDevice, ViewPositionsOfOneRecordingAgreeWhereTheyOverlap) {
  Analyser->Plug();
  StartController();
  CheckOutAnalyser();
  ASSERT_TRUE(Send(cmdAttach));
  ASSERT_TRUE(Send(cmdSingle));
  ReceiveAtLeast(18);
  const TSampleMemory Memory = Analyser->Analyser()->Memory();

  for (const int Offset : {0, 1597, 1350}) {
    Received.clear();
    ASSERT_TRUE(Send16(cmdViewPosition, static_cast<std::uint16_t>(Offset)));
    ReceiveAtLeast(18);
    ASSERT_EQ(ReceivedCodes(), RestitutionOrder()) << Offset;
    EXPECT_EQ(DecodeWindow(Blocks()), MemoryWindow(Memory, Offset)) << Offset;
  }
  EXPECT_EQ(Analyser->Analyser()->State().AcquisitionCount, 1);
}

TEST_F(SimulatedAnalyserDevice, UnpluggingStopsTheAnalyserAndIsAnnouncedAsARemoval) {
  Analyser->Plug();
  StartController();
  CheckOutAnalyser();
  int Unplugged = 0;
  Held->SetOnUnplugged([&](TJvHidDevice&) { ++Unplugged; });
  ASSERT_TRUE(Send(cmdAttach));
  ASSERT_TRUE(Send(cmdLoop));
  ASSERT_TRUE(Loop.RunUntil([&] { return Received.size() >= 5; }, 10s));

  Analyser->Unplug();
  EXPECT_FALSE(Analyser->Plugged());
  const std::int64_t Sent = Analyser->Analyser()->State().BlocksSent;
  ASSERT_TRUE(Loop.RunUntil([&] { return Removals == 1; }, 5s));
  EXPECT_EQ(Unplugged, 1);
  EXPECT_FALSE(Held->Plugged());
  EXPECT_FALSE(Send(cmdHalt));
  Loop.RunUntil([] { return false; }, 50ms);
  // The stopped analyser sends nothing more and its state stays readable.
  EXPECT_EQ(Analyser->Analyser()->State().BlocksSent, Sent);
  EXPECT_TRUE(Analyser->Analyser()->State().Looping);
}

TEST_F(SimulatedAnalyserDevice, ReplugPowersUpAFreshAnalyserAsANewDevice) {
  Analyser->Plug();
  StartController();
  const std::uint32_t FirstInstance = Analyser->HidInterface().InstanceNumber();
  CheckOutAnalyser();
  ASSERT_TRUE(Send(cmdAttach));
  ASSERT_TRUE(Send(cmdSingle));
  ReceiveAtLeast(18);
  const TSimulatedAnalyser* First = Analyser->Analyser();
  ASSERT_EQ(First->State().AcquisitionCount, 1);

  Analyser->Unplug();
  ASSERT_TRUE(Loop.RunUntil([&] { return Removals == 1; }, 5s));
  Held.reset();
  Analyser->Plug();
  ASSERT_TRUE(Loop.RunUntil([&] { return Arrivals.size() == 2; }, 5s));

  EXPECT_NE(Analyser->HidInterface().InstanceNumber(), FirstInstance);
  EXPECT_NE(Analyser->Analyser(), First);
  EXPECT_EQ(Analyser->Analyser()->State().AcquisitionCount, 0);
  Received.clear();
  CheckOutAnalyser();
  ASSERT_TRUE(Send(cmdSingle));
  ReceiveAtLeast(18);
  EXPECT_EQ(ReceivedCodes(), RestitutionOrder());
}

TEST_F(SimulatedAnalyserDevice, GoesAwayWhileReportsAreStillFlowing) {
  // A looping analyser at full speed, with a reader mid-read, destroyed
  // before the device that reads it: nothing may reach the dead firmware
  // and nothing may crash.
  Analyser->Plug();
  StartController();
  CheckOutAnalyser();
  ASSERT_TRUE(Send(cmdAttach));
  ASSERT_TRUE(Send(cmdLoop));
  ASSERT_TRUE(Loop.RunUntil([&] { return Received.size() >= 40; }, 10s));
  Analyser.reset();
  EXPECT_FALSE(Send(cmdHalt));
  ASSERT_TRUE(Loop.RunUntil([&] { return Removals == 1; }, 5s));
  Held.reset();
}

}  // namespace
