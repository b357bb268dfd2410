// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/AnalyserFirmware.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "tests/simulator/SimulatorTestSupport.h"

using namespace SimulatorTest;

struct TTriggerCase {
  std::uint8_t TimeBaseCode;
  std::uint8_t Pattern;
  TSimTime Start;
};

void PrintTo(const TTriggerCase& Case, std::ostream* Out) {
  *Out << "code" << int{Case.TimeBaseCode} << "_pattern" << int{Case.Pattern} << "_at"
       << Case.Start;
}

class FirmwareInternalTrigger : public testing::TestWithParam<TTriggerCase> {};

TEST_P(FirmwareInternalTrigger, PutsThePatternAtSampleZero) {
  const TTriggerCase& Case = GetParam();
  TFirmwareDriver Driver;
  Driver.Now = Case.Start;
  Driver.Send(cmdTimeBase, Case.TimeBaseCode);
  Driver.Send(cmdTriggerMode, 1);
  Driver.Send(cmdTriggerPattern, Case.Pattern);
  Driver.Send(cmdSingle);
  const std::vector<TSent> Sent = Driver.Run();

  const TSampleMemory& Memory = Driver.Firmware.Memory();
  const TSimTime Period = SamplePeriodOfCode(Case.TimeBaseCode);
  const TSimTime Trigger = Driver.Firmware.State().TriggerTime;
  EXPECT_EQ(Memory[0] & 0xFF, Case.Pattern);
  // The wait for the trigger comes on top of the recording.
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Sent.front().Time, Trigger + MemorySamples * Period);
  // The first match on the sample clock that started with the command.
  EXPECT_EQ((Trigger - Case.Start) % Period, 0);
  for (TSimTime T = Case.Start; T < Trigger; T += Period) {
    ASSERT_NE(TSignalGenerator::Counter(T, Period), Case.Pattern) << "earlier match at " << T;
  }
}

INSTANTIATE_TEST_SUITE_P(Patterns, FirmwareInternalTrigger,
                         testing::Values(TTriggerCase{3, 0x00, 0}, TTriggerCase{3, 0x5A, 0},
                                         TTriggerCase{0, 0xFF, 123457}, TTriggerCase{21, 0x80, 7},
                                         TTriggerCase{17, 0x01, 3 * SimTicksPerSecond}));

struct TExternalCase {
  std::uint8_t Mode;
  TSimTime Start;
  TSimTime Edge;
};

void PrintTo(const TExternalCase& Case, std::ostream* Out) {
  *Out << "mode" << int{Case.Mode} << "_at" << Case.Start;
}

class FirmwareExternalTrigger : public testing::TestWithParam<TExternalCase> {};

TEST_P(FirmwareExternalTrigger, FiresOnTheFirstSampleOnceTheLineEntersTheLevel) {
  const TExternalCase& Case = GetParam();
  TFirmwareDriver Driver;
  Driver.Now = Case.Start;
  Driver.Send(cmdTimeBase, 19);  // 5 ms per division: samples far wider than 1 µs
  Driver.Send(cmdTriggerMode, Case.Mode);
  Driver.Send(cmdSingle);
  const TSimTime Trigger = Driver.Firmware.State().TriggerTime;
  const TSimTime Period = SamplePeriodOfCode(19);
  EXPECT_GE(Trigger, Case.Edge);
  EXPECT_LT(Trigger, Case.Edge + Period);
  EXPECT_EQ((Trigger - Case.Start) % Period, 0);
  const std::vector<TSent> Sent = Driver.Run();
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Sent.front().Time, Trigger + MemorySamples * Period);
}

constexpr TSimTime Ms = SimTicksPerMillisecond;
INSTANTIATE_TEST_SUITE_P(Levels, FirmwareExternalTrigger,
                         testing::Values(TExternalCase{2, 50 * Ms + 7, 100 * Ms},
                                         TExternalCase{3, 50 * Ms + 7, 101 * Ms},
                                         TExternalCase{2, 100 * Ms + Ms / 2 + 7, 200 * Ms},
                                         TExternalCase{3, 100 * Ms + Ms / 2, 101 * Ms},
                                         TExternalCase{2, 0, 0}));

class FirmwareAcquisitionTime : public testing::TestWithParam<int> {};

TEST_P(FirmwareAcquisitionTime, TriggerOffRecordsAtOnceFor2047SamplePeriods) {
  TFirmwareDriver Driver;
  Driver.Now = 5 * Ms;
  const auto Code = static_cast<std::uint8_t>(GetParam());
  Driver.Send(cmdTimeBase, Code);
  Driver.Send(cmdSingle);
  const std::vector<TSent> Sent = Driver.Run();
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Driver.Firmware.State().TriggerTime, 5 * Ms);
  EXPECT_EQ(Sent.front().Time, 5 * Ms + 2047 * SamplePeriodOfCode(Code));
  // The counter on inputs 1 to 8 follows the time base: one step every four samples.
  const TSampleMemory& Memory = Driver.Firmware.Memory();
  int LastStep = 0;
  for (int K = 1; K < MemorySamples; ++K) {
    const int Step =
        (Memory[static_cast<std::size_t>(K)] - Memory[static_cast<std::size_t>(K - 1)]) & 0xFF;
    ASSERT_TRUE(Step == 0 || Step == 1) << "sample " << K;
    if (Step == 1) {
      if (LastStep > 0) {
        ASSERT_EQ(K - LastStep, CounterSamplesPerStep) << "sample " << K;
      }
      LastStep = K;
    }
  }
  EXPECT_GT(LastStep, MemorySamples - 1 - CounterSamplesPerStep);
}

INSTANTIATE_TEST_SUITE_P(TimeBases, FirmwareAcquisitionTime, testing::Values(0, 8, 3, 12, 21));

TEST(Firmware, FloatingInputFollowsThePull) {
  for (const std::uint8_t Pull : {0, 1}) {
    TFirmwareDriver Driver;
    Driver.Send(cmdPull, Pull);
    Driver.Send(cmdSingle);
    Driver.Run();
    for (const std::uint16_t Sample : Driver.Firmware.Memory()) {
      ASSERT_EQ((Sample & InputFloating) != 0, Pull == 1);
    }
  }
}

struct TPacingCase {
  std::uint16_t PcSpeed;
  TSimTime Interval;
};

void PrintTo(const TPacingCase& Case, std::ostream* Out) {
  *Out << Case.PcSpeed;
}

class FirmwarePacing : public testing::TestWithParam<TPacingCase> {};

TEST_P(FirmwarePacing, PcSpeedSpacesTheReports) {
  TFirmwareDriver Driver;
  Driver.Send(cmdPcSpeed, static_cast<std::uint8_t>(GetParam().PcSpeed >> 8),
              static_cast<std::uint8_t>(GetParam().PcSpeed));
  Driver.Send(cmdLoop);
  const std::vector<TSent> Sent = Driver.Run(2 * 18);
  ASSERT_EQ(Sent.size(), 36U);
  for (std::size_t I = 1; I < 18; ++I) {
    EXPECT_EQ(Sent[I].Time - Sent[I - 1].Time, GetParam().Interval) << "report " << I;
  }
  // Across restitutions the gap is the next acquisition, never less than the interval.
  EXPECT_GE(Sent[18].Time - Sent[17].Time, GetParam().Interval);
}

INSTANTIATE_TEST_SUITE_P(Speeds, FirmwarePacing,
                         testing::Values(TPacingCase{100, Ms}, TPacingCase{300, 3 * Ms},
                                         TPacingCase{1000, 10 * Ms}, TPacingCase{50, Ms},
                                         TPacingCase{0xFFFF, 10 * Ms}));

TEST(Firmware, SettingChangeRestartsTheAcquisitionInProgress) {
  TFirmwareDriver Driver;
  Driver.Send(cmdTimeBase, 21);  // 500 ms per division: 34 s of recording
  Driver.Send(cmdSingle);
  EXPECT_TRUE(Driver.RunUntil(SimTicksPerSecond).empty());
  Driver.Send(cmdTimeBase, 0);
  const std::vector<TSent> Sent = Driver.Run();
  ASSERT_EQ(Sent.size(), 18U);
  EXPECT_EQ(Driver.Firmware.State().TriggerTime, SimTicksPerSecond);
  EXPECT_EQ(Sent.front().Time, SimTicksPerSecond + 2047 * SamplePeriodOfCode(0));

  // A PC speed change does not restart it.
  Driver.Send(cmdSingle);
  const TSimTime Trigger = Driver.Firmware.State().TriggerTime;
  Driver.Send(cmdPcSpeed, 3, 0xE8);
  Driver.Run();
  EXPECT_EQ(Driver.Firmware.State().TriggerTime, Trigger);
}

TEST(Firmware, ValuesItCannotUseAreIgnored) {
  TFirmwareDriver Driver;
  const TFirmwareState Before = Driver.Firmware.State();
  Driver.Send(cmdTimeBase, 7);  // decade 7 does not exist
  Driver.Send(cmdTimeBase, 0x18);
  Driver.Send(cmdTriggerMode, 4);
  Driver.Send(cmdPull, 2);
  Driver.Send(0);
  Driver.Send(12);
  const TFirmwareState& After = Driver.Firmware.State();
  EXPECT_EQ(After.TimeBaseCode, Before.TimeBaseCode);
  EXPECT_EQ(After.TriggerMode, Before.TriggerMode);
  EXPECT_EQ(After.PullUp, Before.PullUp);
  EXPECT_EQ(After.Activity, TFirmwareActivity::Idle);
  EXPECT_TRUE(Driver.Run().empty());
}
