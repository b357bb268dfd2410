#include "simulator/AnalyserFirmware.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "tests/simulator/SimulatorTestSupport.h"

using namespace SimulatorTest;

namespace {

struct TSent {
  TSimTime Time;
  TInputBlock Block;
};

// Runs the firmware as its thread would with a clock that jumps to every
// deadline, until it is idle or MaxBlocks blocks have gone out.
class TFirmwareDriver {
 public:
  explicit TFirmwareDriver(std::uint32_t Seed = 1) : Firmware(Seed) {}

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

std::vector<int> Codes(const std::vector<TSent>& Sent) {
  std::vector<int> Result;
  for (const TSent& Item : Sent) {
    Result.push_back(Item.Block[0]);
  }
  return Result;
}

std::vector<TInputBlock> Blocks(const std::vector<TSent>& Sent, std::size_t First = 0,
                                std::size_t Count = 18) {
  std::vector<TInputBlock> Result;
  for (std::size_t I = First; I < First + Count && I < Sent.size(); ++I) {
    Result.push_back(Sent[I].Block);
  }
  return Result;
}

std::vector<int> Repeated(const std::vector<int>& Codes, int Times) {
  std::vector<int> Result;
  for (int I = 0; I < Times; ++I) {
    Result.insert(Result.end(), Codes.begin(), Codes.end());
  }
  return Result;
}

}  // namespace

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
