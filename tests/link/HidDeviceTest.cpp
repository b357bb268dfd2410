// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkTestSupport.h"

#include <cerrno>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct TReceived {
  std::uint8_t ReportID;
  std::vector<std::uint8_t> Data;
  std::uint16_t Size;
  std::thread::id Thread;
};

class HidDevice : public LinkTest {
 protected:
  void SetUp() override {
    Interface = Platform.PlugNew(AnalyserOptions);
    MakeController();
    Settle();
  }
  void TearDown() override {
    delete Held;
    Controller.reset();
  }

  /// Checks the analyser out and gives it a report handler that records.
  void CheckOutReading() {
    ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
    Held->SetOnReport(Recorder());
    ASSERT_TRUE(Held->ReaderRunning());
    ASSERT_TRUE(Interface->WaitForReaders(1, 5s));
  }

  TJvHidDataEvent Recorder() {
    return [this](TJvHidDevice& Dev, std::uint8_t ReportID, const std::uint8_t* Data,
                  std::uint16_t Size) {
      EXPECT_EQ(&Dev, Held);
      Received.push_back({ReportID, {Data, Data + Size}, Size, std::this_thread::get_id()});
    };
  }

  std::shared_ptr<TSimulatedHidInterface> Interface;
  TJvHidDevice* Held = nullptr;
  std::vector<TReceived> Received;
};

TEST_F(HidDevice, ConstructionFailuresRaiseControllerErrors) {
  auto Info = [this] {
    return std::make_unique<TJvHidPnPInfo>(
        TJvHidPnPInfo{Interface->InstanceNumber(), Interface->InterfacePath()});
  };
  Interface->RefuseOpen(EBUSY);
  try {
    TJvHidDevice Device(Info(), *Controller);
    ADD_FAILURE() << "opened";
  } catch (const EControllerError& Error) {
    EXPECT_STREQ(Error.what(), "device cannot be opened");
  }
  Interface->RefuseOpen(0);
  Interface->FailIdentify(EIO);
  try {
    TJvHidDevice Device(Info(), *Controller);
    ADD_FAILURE() << "identified";
  } catch (const EControllerError& Error) {
    EXPECT_STREQ(Error.what(), "device cannot be identified");
  }
  Interface->FailIdentify(0);
  TJvHidDevice Device(Info(), *Controller);
  EXPECT_EQ(Device.VendorID(), 0x04D8);
  EXPECT_EQ(Device.ProductID(), 0x0005);
  EXPECT_EQ(Device.VersionNumber(), 0x0100);
  EXPECT_TRUE(Device.ReadWriteAccess());
  EXPECT_TRUE(Device.Plugged());
  EXPECT_FALSE(Device.MainHandleOpen()) << "closed again after identification";
}

TEST_F(HidDevice, ReportOf65BytesReachesTheHandlerOnTheMainThread) {
  CheckOutReading();
  std::vector<std::uint8_t> Report(65);
  for (std::size_t I = 0; I < Report.size(); ++I) {
    Report[I] = static_cast<std::uint8_t>(I + 7);
  }
  Interface->InjectReport(Report);
  Interface->InjectReport({});      // an empty report is not handed on
  Interface->InjectReport({0x42});  // an id alone arrives with no data
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 2; }));
  EXPECT_EQ(Received[0].ReportID, 7);
  EXPECT_EQ(Received[0].Size, 64);
  EXPECT_EQ(Received[0].Data, std::vector<std::uint8_t>(Report.begin() + 1, Report.end()));
  EXPECT_EQ(Received[0].Thread, std::this_thread::get_id());
  EXPECT_EQ(Received[1].ReportID, 0x42);
  EXPECT_EQ(Received[1].Size, 0);
}

TEST_F(HidDevice, ShorterReportAfterALongOneCarriesOnlyItsOwnBytes) {
  CheckOutReading();
  Interface->InjectReport(std::vector<std::uint8_t>(65, 0xFF));
  Interface->InjectReport({0, 20});  // shorter: the rest must not be stale bytes
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 2; }));
  EXPECT_EQ(Received[0].Data, std::vector<std::uint8_t>(64, 0xFF));
  EXPECT_EQ(Received[1].Size, 1);
  EXPECT_EQ(Received[1].Data, std::vector<std::uint8_t>({20}));
}

TEST_F(HidDevice, NoReaderWithoutWriteAccess) {
  Interface->RefuseWriteAccess(true);
  Platform.Unplug(*Interface);
  Platform.Plug(Interface);
  Settle();
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  EXPECT_FALSE(Held->ReadWriteAccess());
  Held->SetOnReport(Recorder());
  EXPECT_FALSE(Held->ReaderRunning());
  std::uint32_t Written = 1;
  const std::uint8_t Command[65] = {0, 6};
  EXPECT_FALSE(Held->WriteReport(Command, sizeof Command, Written));
  EXPECT_EQ(Written, 0U);
  EXPECT_EQ(Held->LastWriteError().Code, EBADF);
  EXPECT_TRUE(Interface->WrittenReports().empty());
}

TEST_F(HidDevice, EmptyHandlerStopsTheReaderBeforeReturningAndANewOneRestartsIt) {
  CheckOutReading();
  Held->SetOnReport(nullptr);
  EXPECT_FALSE(Held->ReaderRunning());
  Interface->InjectReport({0, 1});
  Settle();
  std::this_thread::sleep_for(20ms);
  Settle();
  EXPECT_TRUE(Received.empty());

  Held->SetOnReport(Recorder());
  EXPECT_TRUE(Held->ReaderRunning());
  Interface->InjectReport({0, 2});
  // The read handle stayed open: what came meanwhile was kept, not lost.
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 2; }));
  EXPECT_EQ(Received[0].Data, std::vector<std::uint8_t>({1}));
  EXPECT_EQ(Received[1].Data, std::vector<std::uint8_t>({2}));
}

TEST_F(HidDevice, StopWithAQueuedHandoffRunsItAndEndsWithoutDeadlock) {
  CheckOutReading();
  Interface->InjectReport({0, 9});
  // The report now waits in a handoff, which only the main thread can run.
  const auto Deadline = std::chrono::steady_clock::now() + 5s;
  while (Loop.QueuedHandoffs() == 0 && std::chrono::steady_clock::now() < Deadline) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(Loop.QueuedHandoffs(), 1U);
  Held->SetOnReport(nullptr);
  EXPECT_FALSE(Held->ReaderRunning());
  ASSERT_EQ(Received.size(), 1U);
  EXPECT_EQ(Received[0].Data, std::vector<std::uint8_t>({9}));
}

// The main thread busy (a slow repaint, a box opening) while the device
// sends: the reader goes on reading into its own queue, beyond the 64
// reports the system keeps, and the handler gets every one, in order, once
// the main thread is back.
TEST_F(HidDevice, ReaderKeepsReadingWhileTheMainThreadIsBusy) {
  CheckOutReading();
  constexpr std::size_t Count = 3 * TSimulatedHidInterface::ReaderQueueLength;
  const auto Deadline = std::chrono::steady_clock::now() + 10s;
  for (std::size_t I = 0; I < Count; ++I) {
    const std::size_t Attempts = Interface->ReadAttempts();
    Interface->InjectReport({0, static_cast<std::uint8_t>(I)});
    // The report is taken once the reader starts its next read; this thread
    // runs no loop meanwhile.
    while (Interface->ReadAttempts() <= Attempts && std::chrono::steady_clock::now() < Deadline) {
      std::this_thread::sleep_for(100us);
    }
  }
  EXPECT_TRUE(Received.empty());
  ASSERT_TRUE(RunUntil([&] { return Received.size() == Count; }));
  for (std::size_t I = 0; I < Count; ++I) {
    ASSERT_EQ(Received[I].Data, std::vector<std::uint8_t>({static_cast<std::uint8_t>(I)})) << I;
  }
  EXPECT_EQ(Interface->DroppedReports(), 0U);
}

// Reports closely following one handed over wait for the period's end to go
// together: the last of them too, with no report after it to push it.
TEST_F(HidDevice, HandOverPeriodHoldsReportsBackOnlyUntilItsEnd) {
  CheckOutReading();
  Held->SetHandOverPeriodMs(300);
  Interface->InjectReport({0, 1});
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 1; }));
  Interface->InjectReport({0, 2});
  Interface->InjectReport({0, 3});
  ASSERT_TRUE(RunUntil([&] { return Received.size() == 3; }));
  for (std::uint8_t Report = 1; Report <= 3; ++Report) {
    EXPECT_EQ(Received[Report - 1U].Data, std::vector<std::uint8_t>({Report}));
  }
}

TEST_F(HidDevice, StopIsPromptEvenWithTheLongestWait) {
  CheckOutReading();
  Held->SetReaderWaitMs(10000);
  std::this_thread::sleep_for(20ms);  // let the reader enter a long read
  const auto Start = std::chrono::steady_clock::now();
  Held->StopReader();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);
}

TEST_F(HidDevice, HandlerFailureWhileStoppingReachesTheLoopAfterwards) {
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  Held->SetOnReport([](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {
    throw std::runtime_error("draw failed");
  });
  ASSERT_TRUE(Interface->WaitForReaders(1, 5s));
  Interface->InjectReport({0, 1});
  const auto Deadline = std::chrono::steady_clock::now() + 5s;
  while (Loop.QueuedHandoffs() == 0 && std::chrono::steady_clock::now() < Deadline) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_NO_THROW(Held->StopReader());
  EXPECT_FALSE(Held->ReaderRunning());
  EXPECT_THROW(Loop.RunOnce(0ms), std::runtime_error);
}

TEST_F(HidDevice, FailingReadsAreReportedAndRetriedWithAPause) {
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  Held->SetReaderWaitMs(50);
  std::vector<std::uint32_t> Errors;
  Held->SetOnReportError([&](TJvHidDevice& Dev, std::uint32_t Error) {
    EXPECT_EQ(&Dev, Held);
    Errors.push_back(Error);
  });
  Interface->FailReads(EIO);
  Held->SetOnReport(Recorder());
  RunUntil([] { return false; }, 300ms);
  Held->StopReader();
  // Without the pause this would be hundreds of thousands of attempts.
  EXPECT_GE(Interface->ReadAttempts(), 2U);
  EXPECT_LE(Interface->ReadAttempts(), 12U);
  ASSERT_FALSE(Errors.empty());
  EXPECT_EQ(Errors.front(), static_cast<std::uint32_t>(EIO));
  EXPECT_GE(Errors.size() + 1, Interface->ReadAttempts()) << "each failure is reported";
}

TEST_F(HidDevice, UnpluggedReaderWaitsForItsReleaseWithoutSpinning) {
  CheckOutReading();
  Held->SetReaderWaitMs(50);
  int Unplugged = 0;
  Held->SetOnUnplugged([&](TJvHidDevice&) { ++Unplugged; });
  Held->MarkUnplugged();
  EXPECT_FALSE(Held->Plugged());
  EXPECT_EQ(Unplugged, 1);
  EXPECT_FALSE(Held->OnUnplugged()) << "raised once, then cleared";
  EXPECT_TRUE(Held->ReaderRunning()) << "the reader stays until the release";
  int Errors = 0;
  Held->SetOnReportError([&](TJvHidDevice&, std::uint32_t Error) {
    EXPECT_EQ(Error, static_cast<std::uint32_t>(ENODEV));
    ++Errors;
  });
  RunUntil([] { return false; }, 200ms);
  EXPECT_GE(Errors, 1);
  EXPECT_LE(Errors, 8) << "one attempt per wait, not a busy loop";
  std::uint32_t Written = 0;
  const std::uint8_t Command[2] = {0, 3};
  EXPECT_FALSE(Held->WriteReport(Command, 2, Written));
  EXPECT_EQ(Held->LastWriteError().Code, ENODEV);
}

struct TWaitCase {
  int Value;
  int Expected;
};

class ReaderWait : public HidDevice, public testing::WithParamInterface<TWaitCase> {};

TEST_P(ReaderWait, TakesOnlyValuesFrom10To10000) {
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  EXPECT_EQ(Held->ReaderWaitMs(), 100);
  Held->SetReaderWaitMs(GetParam().Value);
  EXPECT_EQ(Held->ReaderWaitMs(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Bounds, ReaderWait,
                         testing::Values(TWaitCase{5, 100}, TWaitCase{9, 100}, TWaitCase{10, 10},
                                         TWaitCase{10000, 10000}, TWaitCase{10001, 100},
                                         TWaitCase{20000, 100}, TWaitCase{-1, 100}));

class HandOverPeriod : public HidDevice, public testing::WithParamInterface<TWaitCase> {};

// A period out of bounds would hold reports back for good.
TEST_P(HandOverPeriod, TakesOnlyValuesFrom0To1000) {
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  EXPECT_EQ(Held->HandOverPeriodMs(), 0);
  Held->SetHandOverPeriodMs(7);
  Held->SetHandOverPeriodMs(GetParam().Value);
  EXPECT_EQ(Held->HandOverPeriodMs(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Bounds, HandOverPeriod,
                         testing::Values(TWaitCase{-1, 7}, TWaitCase{0, 0}, TWaitCase{1000, 1000},
                                         TWaitCase{1001, 7}));

TEST_F(HidDevice, WritesAndQueriesOnlyWhileAccessible) {
  TJvHidDevice* Listed = Controller->Devices().front();
  ASSERT_FALSE(Listed->Accessible());
  std::uint32_t Written = 0;
  std::uint8_t Command[65] = {0, 11, 0x01, 0x2C};
  EXPECT_FALSE(Listed->WriteReport(Command, sizeof Command, Written));
  EXPECT_EQ(Listed->QueryCaps().OutputReportByteLength, 0) << "not fetched while inaccessible";

  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  EXPECT_EQ(Held, Listed);
  const THidCaps Caps = Held->QueryCaps();
  EXPECT_EQ(Caps.InputReportByteLength, 65);
  EXPECT_EQ(Caps.OutputReportByteLength, 65);
  EXPECT_FALSE(Held->MainHandleOpen());
  ASSERT_TRUE(Held->WriteReport(Command, Caps.OutputReportByteLength, Written));
  EXPECT_EQ(Written, 65U);
  ASSERT_EQ(Interface->WrittenReports().size(), 1U);
  EXPECT_EQ(Interface->WrittenReports()[0],
            std::vector<std::uint8_t>(std::begin(Command), std::end(Command)));
  EXPECT_EQ(Held->NumInputBuffers(), TSimulatedHidInterface::ReaderQueueLength)
      << "read back after the open";
  Held->CloseMainHandle();
  EXPECT_EQ(Held->NumInputBuffers(), 0U);

  Platform.Unplug(*Interface);
  Held->MarkUnplugged();
  EXPECT_EQ(Held->QueryCaps().OutputReportByteLength, 65) << "kept once fetched";
}

}  // namespace
