// SPDX-License-Identifier: GPL-3.0-or-later
// The capture tool's session with the analyser, through the link's own
// controller and reader threads, on the simulated platform.
#include "tools/CaptureSession.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>

#include "tests/tools/CaptureTestSupport.h"

using namespace capturetest;
using namespace std::chrono_literals;

namespace {

class CaptureSession : public testing::Test {
 protected:
  /// The simulated analyser at full speed, plugged in after a decoy.
  TSimulatedAnalyserDevice& PlugSimulated() {
    Decoy = PlugDecoyInterface(Platform);
    Simulated = std::make_unique<TSimulatedAnalyserDevice>(Platform, TSimulatorOptions{0.0, 5});
    Simulated->Plug();
    return *Simulated;
  }

  std::variant<TCaptureResult, TCaptureFailure> Run(const std::vector<std::string>& Arguments) {
    auto Parsed = ParseCaptureArguments(Arguments);
    EXPECT_TRUE(std::holds_alternative<TCaptureOptions>(Parsed));
    Options = std::get<TCaptureOptions>(Parsed);
    Session = std::make_unique<TCaptureSession>(Platform, Loop);
    Session->SetLimits(WindowTimeout, StallLimit);
    return Session->Capture(Options, [this](const std::string& Text) { Progress.push_back(Text); });
  }

  static TCaptureResult Succeeded(const std::variant<TCaptureResult, TCaptureFailure>& Outcome) {
    if (const auto* Failure = std::get_if<TCaptureFailure>(&Outcome)) {
      ADD_FAILURE() << Failure->Status << " " << Failure->Message;
      return {};
    }
    return std::get<TCaptureResult>(Outcome);
  }

  static TCaptureFailure Failed(const std::variant<TCaptureResult, TCaptureFailure>& Outcome) {
    if (!std::holds_alternative<TCaptureFailure>(Outcome)) {
      ADD_FAILURE() << "the capture succeeded";
      return {CaptureSucceeded, ""};
    }
    return std::get<TCaptureFailure>(Outcome);
  }

  std::chrono::milliseconds WindowTimeout = 2s;
  std::chrono::milliseconds StallLimit = 1s;
  TSimulatedHidPlatform Platform;
  std::shared_ptr<TSimulatedHidInterface> Decoy;
  std::unique_ptr<TSimulatedAnalyserDevice> Simulated;
  TPollMainThreadLoop Loop;
  TCaptureOptions Options;
  std::unique_ptr<TCaptureSession> Session;
  std::vector<std::string> Progress;
};

TEST_F(CaptureSession, WholeMemoryIsExactlyTheSimulatorsRecording) {
  TSimulatedAnalyserDevice& Analyser = PlugSimulated();
  const TCaptureResult Result = Succeeded(Run({"--time-base", "20us"}));

  EXPECT_EQ(Result.FirstIndex, 0);
  EXPECT_EQ(Result.Samples, ToVector(Analyser.Analyser()->Memory()));
  EXPECT_EQ(Analyser.Analyser()->State().AcquisitionCount, 1);
  const std::vector<std::string> Expected{"attente du déclenchement et de l'acquisition…",
                                          "fenêtre 1 sur 5 (position 0)…",
                                          "fenêtre 2 sur 5 (position 450)…",
                                          "fenêtre 3 sur 5 (position 900)…",
                                          "fenêtre 4 sur 5 (position 1350)…",
                                          "fenêtre 5 sur 5 (position 1597)…"};
  EXPECT_EQ(Progress, Expected);
  // Nothing went to the decoy.
  EXPECT_TRUE(Decoy->WrittenReports().empty());
}

class CaptureSessionWindow : public CaptureSession, public testing::WithParamInterface<int> {};

TEST_P(CaptureSessionWindow, ReturnsTheFourHundredFiftySamplesAtItsOffset) {
  TSimulatedAnalyserDevice& Analyser = PlugSimulated();
  const int Offset = GetParam();
  const TCaptureResult Result = Succeeded(Run({"--window", std::to_string(Offset)}));

  const std::vector<TSample> Memory = ToVector(Analyser.Analyser()->Memory());
  ASSERT_EQ(Result.Samples.size(), static_cast<std::size_t>(SamplesPerWindow));
  EXPECT_EQ(Result.FirstIndex, Offset);
  EXPECT_TRUE(std::equal(Result.Samples.begin(), Result.Samples.end(), Memory.begin() + Offset));
}

INSTANTIATE_TEST_SUITE_P(Offsets, CaptureSessionWindow, testing::Values(0, 1, 777, 1596, 1597));

struct TBytesCase {
  std::string Name;
  std::vector<std::string> Arguments;
  std::vector<std::string> Reports;  // what the program would have sent
  TFirmwareState Reached;            // the settings the analyser ends with
};

void PrintTo(const TBytesCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class CaptureSessionBytes : public CaptureSession,
                            public testing::WithParamInterface<TBytesCase> {};

TFirmwareState Settings(std::uint8_t TimeBase, std::uint8_t Mode, std::uint8_t Pattern, bool PullUp,
                        std::uint16_t PcSpeed) {
  TFirmwareState State;
  State.TimeBaseCode = TimeBase;
  State.TriggerMode = Mode;
  State.TriggerPattern = Pattern;
  State.PullUp = PullUp;
  State.PcSpeed = PcSpeed;
  return State;
}

TEST_P(CaptureSessionBytes, ReachTheAnalyserAsTheProgramSendsThem) {
  TSimulatedAnalyserDevice& Analyser = PlugSimulated();
  Succeeded(Run(GetParam().Arguments));

  EXPECT_EQ(WrittenTexts(Analyser.HidInterface()), GetParam().Reports);
  const TFirmwareState State = Analyser.Analyser()->State();
  const TFirmwareState& Reached = GetParam().Reached;
  EXPECT_EQ(State.TimeBaseCode, Reached.TimeBaseCode);
  EXPECT_EQ(State.TriggerMode, Reached.TriggerMode);
  EXPECT_EQ(State.TriggerPattern, Reached.TriggerPattern);
  EXPECT_EQ(State.PullUp, Reached.PullUp);
  EXPECT_EQ(State.PcSpeed, Reached.PcSpeed);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CaptureSessionBytes,
    testing::Values(
        // Bytes 2 and 3 carry over from one command to the next, as in the
        // program; the session ends with cmdClose.
        TBytesCase{"Defaults",
                   {},
                   {"00 06 00 00", "00 0B 00 64", "00 01 03 64", "00 09 00 64", "00 04 00 64",
                    "00 07 00 00", "00 07 01 C2", "00 07 03 84", "00 07 05 46", "00 07 06 3D",
                    "00 05 06 3D"},
                   Settings(3, 0, 0, true, 100)},
        TBytesCase{"PatternPullUp",
                   {"--trigger", "pattern=10000001", "--pull", "up", "--pc-speed", "300",
                    "--time-base", "10us", "--window", "5"},
                   {"00 06 00 00", "00 0B 01 2C", "00 0A 01 2C", "00 01 01 2C", "00 08 81 2C",
                    "00 09 01 2C", "00 04 01 2C", "00 07 00 05", "00 05 00 05"},
                   Settings(1, 1, 0x81, true, 300)},
        TBytesCase{"HexPatternPullDown",
                   {"--trigger=pattern=0x3c", "--pull=down", "--time-base=2ms", "--window=1597"},
                   {"00 06 00 00", "00 0B 00 64", "00 0A 00 64", "00 01 0B 64", "00 08 3C 64",
                    "00 09 01 64", "00 04 01 64", "00 07 06 3D", "00 05 06 3D"},
                   Settings(11, 1, 0x3C, false, 100)},
        TBytesCase{"ExternalLowSlowest",
                   {"--trigger", "ext-low", "--pull", "down", "--pc-speed", "1000", "--time-base",
                    "500ms", "--window", "0"},
                   {"00 06 00 00", "00 0B 03 E8", "00 0A 00 E8", "00 01 15 E8", "00 09 03 E8",
                    "00 04 03 E8", "00 07 00 00", "00 05 00 00"},
                   Settings(21, 3, 0, false, 1000)},
        TBytesCase{"ExternalHighFastest",
                   {"--trigger", "ext-high", "--time-base", "1µs", "--window", "450"},
                   {"00 06 00 00", "00 0B 00 64", "00 01 00 64", "00 09 02 64", "00 04 02 64",
                    "00 07 01 C2", "00 05 01 C2"},
                   Settings(0, 2, 0, true, 100)}),
    [](const testing::TestParamInfo<TBytesCase>& Info) { return Info.param.Name; });

TEST_F(CaptureSession, PatternTriggerPutsThePatternAtSampleZero) {
  PlugSimulated();
  const TCaptureResult Result = Succeeded(Run({"--trigger", "pattern=01011010", "--window", "0"}));
  ASSERT_FALSE(Result.Samples.empty());
  EXPECT_EQ(Result.Samples[0] & 0xFF, 0x5A);
}

TEST_F(CaptureSession, PullReachesTheFloatingInput) {
  PlugSimulated();
  for (const char* Pull : {"up", "down"}) {
    const TCaptureResult Result = Succeeded(Run({"--pull", Pull, "--window", "100"}));
    ASSERT_EQ(Result.Samples.size(), 450U);
    const bool Up = std::string(Pull) == "up";
    for (const TSample Sample : Result.Samples) {
      ASSERT_EQ((Sample & 0x8000) != 0, Up) << Pull;
    }
  }
}

TEST_F(CaptureSession, NoAnalyserAmongOtherDevices) {
  Decoy = PlugDecoyInterface(Platform);
  const TCaptureFailure Failure = Failed(Run({}));
  EXPECT_EQ(Failure.Status, CaptureNoAnalyser);
  EXPECT_EQ(Failure.Message, NoAnalyserFailure(false).Message);
  EXPECT_TRUE(Decoy->WrittenReports().empty());
}

TEST_F(CaptureSession, AnalyserWithoutWriteAccessNamesTheUdevRule) {
  TSimulatedAnalyserDevice& Analyser = PlugSimulated();
  Analyser.HidInterface().RefuseWriteAccess(true);
  const TCaptureFailure Failure = Failed(Run({}));
  EXPECT_EQ(Failure.Status, CaptureNoPermission);
  EXPECT_NE(Failure.Message.find(Analyser.HidInterface().InterfacePath()), std::string::npos);
  EXPECT_NE(Failure.Message.find("packaging/linux/70-la16.rules"), std::string::npos);
  EXPECT_EQ(Analyser.Analyser()->State().AcquisitionCount, 0);
}

TEST_F(CaptureSession, ListsTheAnalysersWithTheirAccess) {
  TSimulatedAnalyserDevice& First = PlugSimulated();
  TSimulatedAnalyserDevice Second(Platform);
  Second.HidInterface().RefuseWriteAccess(true);
  Second.Plug();
  Session = std::make_unique<TCaptureSession>(Platform, Loop);
  const std::vector<TFoundAnalyser> Found = Session->Analysers();
  ASSERT_EQ(Found.size(), 2U);
  EXPECT_EQ(Found[0].Path, First.HidInterface().InterfacePath());
  EXPECT_TRUE(Found[0].ReadWriteAccess);
  EXPECT_EQ(Found[0].VersionNumber, SimulatedAnalyserVersion);
  EXPECT_EQ(Found[1].Path, Second.HidInterface().InterfacePath());
  EXPECT_FALSE(Found[1].ReadWriteAccess);
  Session.reset();
}

TEST_F(CaptureSession, SilentAnalyserTimesOutWaitingForTheTrigger) {
  TScriptedAnalyser Silent(Platform);
  Silent.AnswerSingle = false;
  const TCaptureFailure Failure = Failed(Run({"--timeout", "0.3"}));
  EXPECT_EQ(Failure.Status, CaptureTimedOut);
  EXPECT_EQ(Failure.Message,
            TimedOutFailure("attente du déclenchement et de l'acquisition", 0.3).Message);
  // The armed acquisition is called off before the tool goes.
  const std::vector<std::string> Written = WrittenTexts(*Silent.Interface);
  ASSERT_FALSE(Written.empty());
  EXPECT_EQ(Written.back().substr(0, 5), "00 05");
}

TEST_F(CaptureSession, UnansweredWindowTimesOutEvenWithoutTimeout) {
  TScriptedAnalyser Analyser(Platform);
  Analyser.AnswerViews = false;
  WindowTimeout = 200ms;
  const TCaptureFailure Failure = Failed(Run({}));
  EXPECT_EQ(Failure.Status, CaptureTimedOut);
  EXPECT_NE(Failure.Message.find("fenêtre 1 sur 5 (position 0)"), std::string::npos);
}

struct TScriptCase {
  std::string Name;
  std::function<void(TScriptedAnalyser::TBlocks&, int Request, int Offset)> Spoil;
  TCaptureStatus Status;
  int ViewRequests;
};

void PrintTo(const TScriptCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class CaptureSessionScripted : public CaptureSession,
                               public testing::WithParamInterface<TScriptCase> {};

TEST_P(CaptureSessionScripted, DamagedAnswers) {
  TScriptedAnalyser Analyser(Platform);
  Analyser.Spoil = GetParam().Spoil;
  StallLimit = 100ms;
  const auto Outcome = Run({});
  if (GetParam().Status == CaptureSucceeded) {
    EXPECT_EQ(Succeeded(Outcome).Samples, Analyser.Memory);
  } else {
    EXPECT_EQ(Failed(Outcome).Status, GetParam().Status) << Failed(Outcome).Message;
  }
  EXPECT_EQ(Analyser.ViewRequests, GetParam().ViewRequests);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CaptureSessionScripted,
    testing::Values(TScriptCase{"Whole", nullptr, CaptureSucceeded, 5},
                    // The single's answer only says the recording is done.
                    TScriptCase{"SingleAnswerIncomplete",
                                [](auto& B, int Request, int) {
                                  if (Request == 0) {
                                    B.erase(B.begin() + 3);
                                  }
                                },
                                CaptureSucceeded, 5},
                    TScriptCase{"OneWindowLosesABlockOnce",
                                [](auto& B, int Request, int) {
                                  if (Request == 2) {
                                    B.erase(B.begin() + 9);
                                  }
                                },
                                CaptureSucceeded, 6},
                    TScriptCase{"OneWindowLosesItsEndOnce",
                                [](auto& B, int Request, int) {
                                  if (Request == 3) {
                                    B.pop_back();
                                  }
                                },
                                CaptureSucceeded, 6},
                    TScriptCase{"WindowAlwaysShort",
                                [](auto& B, int, int Offset) {
                                  if (Offset == 900) {
                                    B[5].resize(30);
                                  }
                                },
                                CaptureInconsistent, 2 + CaptureToolFetch.WindowAttempts},
                    // A last window from another recording disagrees on the overlap.
                    TScriptCase{"OverlapDisagrees",
                                [](auto& B, int, int Offset) {
                                  if (Offset == 1597) {
                                    B[1][2] ^= 0x01;  // the first sample of window 1597
                                  }
                                },
                                CaptureInconsistent, 5}),
    [](const testing::TestParamInfo<TScriptCase>& Info) { return Info.param.Name; });

TEST_F(CaptureSession, AnalyserUnpluggedWhileWaitingIsLost) {
  TScriptedAnalyser Analyser(Platform);
  Analyser.AnswerSingle = false;
  Analyser.OnCommand = [&](std::uint8_t Code) {
    if (Code == cmdSingle) {
      Loop.Post([&] { Platform.Unplug(*Analyser.Interface); });
    }
  };
  const TCaptureFailure Failure = Failed(Run({}));
  EXPECT_EQ(Failure.Status, CaptureDeviceLost);
  EXPECT_NE(Failure.Message.find("débranché"), std::string::npos);
}

TEST_F(CaptureSession, FailedReadsAndWritesEndTheCapture) {
  {
    TScriptedAnalyser Analyser(Platform);
    Analyser.Interface->FailWrites(EIO);
    const TCaptureFailure Failure = Failed(Run({}));
    EXPECT_EQ(Failure.Status, CaptureDeviceLost);
    EXPECT_NE(Failure.Message.find(THidError::FromCode(EIO).Message), std::string::npos);
    Platform.Unplug(*Analyser.Interface);
  }
  {
    TScriptedAnalyser Analyser(Platform);
    Analyser.AnswerSingle = false;
    Analyser.Interface->FailReads(EPROTO);
    const TCaptureFailure Failure = Failed(Run({}));
    EXPECT_EQ(Failure.Status, CaptureDeviceLost);
    EXPECT_NE(Failure.Message.find(THidError::FromCode(EPROTO).Message), std::string::npos);
  }
}

}  // namespace
