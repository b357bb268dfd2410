// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/AnalyserFirmware.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "tests/simulator/SimulatorTestSupport.h"

using namespace SimulatorTest;

TEST(OutputReports, OnlyCompleteKnownCommandsAreTaken) {
  const std::uint8_t Loop[] = {0, cmdLoop};
  const std::uint8_t View[] = {0, cmdViewPosition, 6, 61};
  const std::uint8_t WrongId[] = {1, cmdLoop, 0, 0};
  const std::uint8_t CodeZero[] = {0, 0, 0, 0};
  const std::uint8_t CodeTwelve[] = {0, 12, 0, 0};
  const std::uint8_t ShortTimeBase[] = {0, cmdTimeBase};
  const std::uint8_t ShortView[] = {0, cmdViewPosition, 6};
  const std::uint8_t ShortSpeed[] = {0, cmdPcSpeed, 3};
  EXPECT_FALSE(ParseOutputReport(nullptr, 65));
  EXPECT_FALSE(ParseOutputReport(Loop, 0));
  EXPECT_FALSE(ParseOutputReport(Loop, 1));
  EXPECT_FALSE(ParseOutputReport(WrongId, sizeof WrongId));
  EXPECT_FALSE(ParseOutputReport(CodeZero, sizeof CodeZero));
  EXPECT_FALSE(ParseOutputReport(CodeTwelve, sizeof CodeTwelve));
  EXPECT_FALSE(ParseOutputReport(ShortTimeBase, sizeof ShortTimeBase));
  EXPECT_FALSE(ParseOutputReport(ShortView, sizeof ShortView));
  EXPECT_FALSE(ParseOutputReport(ShortSpeed, sizeof ShortSpeed));

  ASSERT_TRUE(ParseOutputReport(Loop, sizeof Loop));
  EXPECT_EQ(ParseOutputReport(Loop, sizeof Loop)->Code, cmdLoop);
  const std::optional<TFirmwareCommand> Parsed = ParseOutputReport(View, sizeof View);
  ASSERT_TRUE(Parsed);
  EXPECT_EQ(Parsed->Code, cmdViewPosition);
  EXPECT_EQ(Parsed->P1, 6);
  EXPECT_EQ(Parsed->P2, 61);
}

TEST(Firmware, SingleSendsOneRestitutionOfTheMemoryAtTheOffset) {
  TFirmwareDriver Driver;
  Driver.Send(cmdViewPosition, 0, 200);  // served from the power-on memory
  Driver.Run();
  Driver.Send(cmdSingle);
  const std::vector<TSent> Sent = Driver.Run();

  EXPECT_EQ(Codes(Sent), RestitutionOrder());
  const TSampleMemory& Memory = Driver.Firmware.Memory();
  EXPECT_EQ(DecodeWindow(Blocks(Sent)), MemoryWindow(Memory, 200));
  EXPECT_NE(std::count(Memory.begin(), Memory.end(), Memory[0]), MemorySamples);
  const TFirmwareState& State = Driver.Firmware.State();
  EXPECT_EQ(State.Activity, TFirmwareActivity::Idle);
  EXPECT_EQ(State.AcquisitionCount, 1);
  EXPECT_EQ(State.RestitutionCount, 2);
  EXPECT_EQ(State.BlocksSent, 36);
}

struct TViewCase {
  std::uint8_t P1;
  std::uint8_t P2;
  int Offset;
};

void PrintTo(const TViewCase& Case, std::ostream* Out) {
  *Out << int{Case.P1} << "_" << int{Case.P2};
}

class FirmwareView : public testing::TestWithParam<TViewCase> {};

TEST_P(FirmwareView, AnswersWithTheWindowAtTheClampedOffset) {
  TFirmwareDriver Driver;
  Driver.Send(cmdSingle);
  Driver.Run();
  Driver.Send(cmdViewPosition, GetParam().P1, GetParam().P2);
  const std::vector<TSent> Sent = Driver.Run();

  EXPECT_EQ(Codes(Sent), RestitutionOrder());
  EXPECT_EQ(Driver.Firmware.State().ViewOffset, GetParam().Offset);
  EXPECT_EQ(DecodeWindow(Blocks(Sent)), MemoryWindow(Driver.Firmware.Memory(), GetParam().Offset));
  EXPECT_EQ(Driver.Firmware.State().AcquisitionCount, 1);  // from memory, no new recording
}

INSTANTIATE_TEST_SUITE_P(Offsets, FirmwareView,
                         testing::Values(TViewCase{0, 0, 0}, TViewCase{0, 1, 1},
                                         TViewCase{1, 44, 300}, TViewCase{6, 61, 1597},
                                         TViewCase{6, 62, 1597}, TViewCase{0xFF, 0xFF, 1597}));

TEST(Firmware, LoopRestitutesEveryAcquisitionUntilHalt) {
  TFirmwareDriver Driver;
  Driver.Send(cmdLoop);
  const std::vector<TSent> Sent = Driver.Run(3 * 18);
  EXPECT_EQ(Codes(Sent), Repeated(RestitutionOrder(), 3));
  EXPECT_EQ(Driver.Firmware.State().AcquisitionCount, 3);
  // Each acquisition records a later stretch of the signals.
  EXPECT_NE(DecodeWindow(Blocks(Sent, 0)), DecodeWindow(Blocks(Sent, 18)));
  EXPECT_EQ(DecodeWindow(Blocks(Sent, 36)), MemoryWindow(Driver.Firmware.Memory(), 0));

  // The fourth acquisition is under way: halt abandons it and keeps the memory.
  ASSERT_EQ(Driver.Firmware.State().Activity, TFirmwareActivity::Acquiring);
  const TSampleMemory Before = Driver.Firmware.Memory();
  Driver.Send(cmdHalt);
  EXPECT_TRUE(Driver.Run().empty());
  EXPECT_EQ(Driver.Firmware.State().Activity, TFirmwareActivity::Idle);
  EXPECT_FALSE(Driver.Firmware.State().Looping);
  EXPECT_EQ(Driver.Firmware.State().AcquisitionCount, 3);
  EXPECT_EQ(Driver.Firmware.Memory(), Before);
}

TEST(Firmware, FixedMemoryIsWhatEveryAcquisitionRecordsOnTheSameTiming) {
  TSampleMemory Fixed{};
  for (std::size_t I = 0; I < Fixed.size(); ++I) {
    Fixed[I] = static_cast<std::uint16_t>(I * 37 + 0x8001);
  }
  TFirmwareDriver Driver(1, Fixed);
  TFirmwareDriver Signals(1);
  for (TFirmwareDriver* Each : {&Driver, &Signals}) {
    Each->Send(cmdTimeBase, TimeBaseCode(2, 1));
    Each->Send(cmdTriggerMode, 2);  // the external trigger's wait stays the same
    Each->Send(cmdLoop);
  }
  const std::vector<TSent> Sent = Driver.Run(2 * 18);
  const std::vector<TSent> Generated = Signals.Run(2 * 18);

  EXPECT_EQ(Driver.Firmware.Memory(), Fixed);
  EXPECT_EQ(DecodeWindow(Blocks(Sent, 0)), MemoryWindow(Fixed, 0));
  EXPECT_EQ(DecodeWindow(Blocks(Sent, 18)), MemoryWindow(Fixed, 0));
  EXPECT_NE(Signals.Firmware.Memory(), Fixed);
  ASSERT_EQ(Sent.size(), Generated.size());
  for (std::size_t I = 0; I < Sent.size(); ++I) {
    EXPECT_EQ(Sent[I].Time, Generated[I].Time) << "block " << I;
  }
  EXPECT_EQ(Driver.Firmware.State().TriggerTime, Signals.Firmware.State().TriggerTime);

  Driver.Send(cmdHalt);
  Driver.Run();
  Driver.Send(cmdViewPosition, 6, 61);
  EXPECT_EQ(DecodeWindow(Blocks(Driver.Run())), MemoryWindow(Fixed, MaxViewOffset));
}

TEST(Firmware, HaltFinishesTheRestitutionInProgressButCloseAndAttachCutIt) {
  for (const std::uint8_t Stopper : {cmdHalt, cmdClose, cmdAttach}) {
    TFirmwareDriver Driver;
    Driver.Send(cmdLoop);
    ASSERT_EQ(Driver.Run(5).size(), 5U);
    Driver.Send(cmdViewPosition, 0, 10);  // pending: dropped by close and attach
    Driver.Send(Stopper);
    const std::vector<TSent> Rest = Driver.Run();
    if (Stopper == cmdHalt) {
      ASSERT_EQ(Rest.size(), 13U + 18U);
      EXPECT_EQ(Rest[12].Block[0], BlockRestitutionEnd);
      EXPECT_EQ(DecodeWindow(Blocks(Rest, 13)), MemoryWindow(Driver.Firmware.Memory(), 10));
    } else {
      EXPECT_TRUE(Rest.empty()) << "command " << int{Stopper};
    }
    EXPECT_EQ(Driver.Firmware.State().Activity, TFirmwareActivity::Idle);
    EXPECT_EQ(Driver.Firmware.State().AcquisitionCount, 1);
  }
}

TEST(Firmware, ViewPositionsWhileLoopingAreServedBetweenAcquisitions) {
  TFirmwareDriver Driver;
  Driver.Send(cmdLoop);
  Driver.Send(cmdViewPosition, 1, 44);  // during the first acquisition
  const std::vector<TSent> First = Driver.Run(18);
  EXPECT_EQ(DecodeWindow(Blocks(First)), MemoryWindow(Driver.Firmware.Memory(), 300));
  EXPECT_EQ(Driver.Firmware.State().Activity, TFirmwareActivity::Acquiring);

  ASSERT_EQ(Driver.Run(4).size(), 4U);  // into the second restitution
  Driver.Send(cmdViewPosition, 0, 10);
  Driver.Send(cmdViewPosition, 0, 20);  // collapses with the previous one
  const std::vector<TSent> Rest = Driver.Run(14 + 18);
  EXPECT_EQ(Codes(Rest).back(), BlockRestitutionEnd);
  EXPECT_EQ(DecodeWindow(Blocks(Rest, 14)), MemoryWindow(Driver.Firmware.Memory(), 20));
  EXPECT_EQ(Driver.Firmware.State().AcquisitionCount, 2);
  EXPECT_EQ(Driver.Firmware.State().Activity, TFirmwareActivity::Acquiring);
}

TEST(Firmware, SingleEndsALoopAndWaitsForTheRestitutionInProgress) {
  TFirmwareDriver Driver;
  Driver.Send(cmdLoop);
  ASSERT_EQ(Driver.Run(3).size(), 3U);
  Driver.Send(cmdSingle);
  const std::vector<TSent> Rest = Driver.Run();
  EXPECT_EQ(Rest.size(), 15U + 18U);
  EXPECT_EQ(Driver.Firmware.State().AcquisitionCount, 2);
  EXPECT_FALSE(Driver.Firmware.State().Looping);
}
