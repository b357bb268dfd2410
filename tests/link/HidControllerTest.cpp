// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkTestSupport.h"

#include <cerrno>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class HidController : public LinkTest {};

TEST_F(HidController, PresentInterfacesArriveOnceTheLoopRunsThenOneChange) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  auto Mouse = Platform.PlugNew(MouseOptions);
  MakeController();
  EXPECT_TRUE(Controller->Devices().empty()) << "nothing before the loop runs";
  EXPECT_TRUE(Events.empty());
  Settle();
  EXPECT_EQ(Events, Strings({Arrival(*Analyser), Arrival(*Mouse), "change"}));
  ASSERT_EQ(Controller->Devices().size(), 2U);
  EXPECT_EQ(Controller->Devices()[0]->ProductID(), 0x0005);
  EXPECT_EQ(Controller->Devices()[1]->ProductID(), 0xC077);
}

TEST_F(HidController, FirstChangeRaisesDeviceChangeEvenWithNothingPresent) {
  MakeController();
  Settle();
  EXPECT_EQ(Events, Strings({"change"}));
}

TEST_F(HidController, ChangeWhereNothingChangedRaisesNothing) {
  Platform.PlugNew(AnalyserOptions);
  MakeController();
  Settle();
  Events.clear();
  Controller->DeviceChangeNotice(0);
  Controller->DeviceChange();
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(Controller->Devices().size(), 1U);
}

TEST_F(HidController, AnnouncedDeviceIsAccessibleOnlyDuringItsHandler) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  MakeController();
  bool WroteDuringArrival = false;
  OnArrival = [&](TJvHidDevice& Dev) {
    EXPECT_TRUE(Dev.Announcing());
    EXPECT_TRUE(Controller->ChangeInProgress());
    const std::uint8_t Command[65] = {0, 6};
    std::uint32_t Written = 0;
    WroteDuringArrival = Dev.WriteReport(Command, sizeof Command, Written);
    Dev.CloseMainHandle();
  };
  Settle();
  EXPECT_TRUE(WroteDuringArrival);
  EXPECT_EQ(Analyser->WrittenReports().size(), 1U);
  TJvHidDevice* Dev = Controller->Devices().front();
  EXPECT_FALSE(Dev->Announcing());
  EXPECT_FALSE(Controller->ChangeInProgress());
  EXPECT_FALSE(Dev->OpenMainHandle());
}

TEST_F(HidController, UnplugAndReplugGiveRemovalOfTheOldAndArrivalOfANewObject) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  MakeController();
  Settle();
  TJvHidDevice* Old = Controller->Devices().front();
  const auto OldNumber = Analyser->InstanceNumber();
  TJvHidDevice* Removed = nullptr;
  OnRemoval = [&](TJvHidDevice& Dev) {
    Removed = &Dev;
    EXPECT_FALSE(Dev.Plugged()) << "marked unplugged before the handler";
    EXPECT_TRUE(Dev.Announcing());
  };
  Events.clear();
  Platform.Unplug(*Analyser);
  Settle();
  EXPECT_EQ(Removed, Old);
  EXPECT_EQ(Events, Strings({Removal(OldNumber), "change"}));
  EXPECT_TRUE(Controller->Devices().empty());

  Events.clear();
  TJvHidDevice* New = nullptr;
  OnArrival = [&](TJvHidDevice& Dev) { New = &Dev; };
  Platform.Plug(Analyser);
  Settle();
  EXPECT_EQ(Events, Strings({Arrival(*Analyser), "change"}));
  ASSERT_NE(New, nullptr);
  EXPECT_EQ(New->PnPInfo().InstanceNumber, Analyser->InstanceNumber());
  EXPECT_NE(New->PnPInfo().InstanceNumber, OldNumber);
}

TEST_F(HidController, RemovalsComeBeforeArrivalsLastListedFirst) {
  auto A = Platform.PlugNew(AnalyserOptions);
  auto B = Platform.PlugNew(MouseOptions);
  MakeController();
  Settle();
  Events.clear();
  const auto NumberA = A->InstanceNumber();
  const auto NumberB = B->InstanceNumber();
  auto C = Platform.PlugNew(MouseOptions);
  Platform.Unplug(*A);
  Platform.Unplug(*B);
  Settle();
  EXPECT_EQ(Events, Strings({Removal(NumberB), Removal(NumberA), Arrival(*C), "change"}));
}

TEST_F(HidController, CheckOutMatchingTakesTheFirstFreeDeviceOfTheVendor) {
  Platform.PlugNew(MouseOptions);
  auto First = Platform.PlugNew({0x04D8, 0x0007, 0, 65, 65});
  auto Second = Platform.PlugNew(AnalyserOptions);
  MakeController();
  Settle();
  TJvHidDevice* Dev = Controller->Devices().front();  // something to see emptied
  ASSERT_TRUE(Controller->CheckOutMatching(Dev, 0x04D8, -1));
  EXPECT_EQ(Dev, Listed(*First));
  EXPECT_TRUE(Dev->CheckedOut());
  TJvHidDevice* Next = nullptr;
  ASSERT_TRUE(Controller->CheckOutMatching(Next, 0x04D8, -1));
  EXPECT_EQ(Next, Listed(*Second));
  TJvHidDevice* None = Dev;
  EXPECT_FALSE(Controller->CheckOutMatching(None, 0x04D8, -1));
  EXPECT_EQ(None, nullptr);
  EXPECT_FALSE(Controller->CheckOutMatching(None, 0x04D8, 0x0005)) << "already checked out";
  EXPECT_EQ(Controller->Devices().size(), 3U) << "checked-out devices stay listed";
  delete Dev;
  delete Next;
  ASSERT_TRUE(Controller->CheckOutMatching(None, 0x04D8, 0x0005));
  EXPECT_EQ(None->PnPInfo().InstanceNumber, Second->InstanceNumber());
  delete None;
}

TEST_F(HidController, ReleaseOfAPluggedDeviceChecksInAFreshObject) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  Platform.PlugNew(MouseOptions);
  MakeController();
  Settle();
  TJvHidDevice* Held = nullptr;
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  Held->SetReaderWaitMs(250);
  int Reports = 0;
  Held->SetOnReport(
      [&](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) { ++Reports; });
  ASSERT_TRUE(Analyser->WaitForReaders(1, 5s));
  delete Held;
  EXPECT_EQ(Analyser->ReaderCount(), 0U) << "the release closes the read handle";
  ASSERT_EQ(Controller->Devices().size(), 2U);
  TJvHidDevice* Fresh = Controller->Devices().front();
  EXPECT_EQ(Fresh->PnPInfo().InstanceNumber, Analyser->InstanceNumber());
  EXPECT_FALSE(Fresh->CheckedOut());
  EXPECT_TRUE(Fresh->Plugged());
  EXPECT_EQ(Fresh->ReaderWaitMs(), 250);
  EXPECT_TRUE(Fresh->OnReport()) << "keeps the report handler";
  EXPECT_FALSE(Fresh->ReaderRunning()) << "not checked out, so no reader";

  Events.clear();
  Controller->DeviceChange();
  EXPECT_TRUE(Events.empty()) << "the fresh object is not a new arrival";

  // Checked out again, it reads with the handler it kept.
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  EXPECT_EQ(Held, Fresh);
  EXPECT_TRUE(Held->ReaderRunning());
  ASSERT_TRUE(Analyser->WaitForReaders(1, 5s));
  Analyser->InjectReport({0, 1});
  EXPECT_TRUE(RunUntil([&] { return Reports == 1; }));
  delete Held;
}

TEST_F(HidController, ReleaseOfAnUnpluggedDeviceRemovesIt) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  MakeController();
  Settle();
  TJvHidDevice* Held = nullptr;
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  Platform.Unplug(*Analyser);
  Settle();
  ASSERT_EQ(Controller->Devices().size(), 1U) << "a checked-out device waits for its holder";
  EXPECT_FALSE(Held->Plugged());
  // Reported again at every change until released.
  Events.clear();
  Controller->DeviceChangeNotice(0);
  EXPECT_EQ(Events, Strings({Removal(Held->PnPInfo().InstanceNumber), "change"}));
  delete Held;
  EXPECT_TRUE(Controller->Devices().empty());
  Events.clear();
  Controller->DeviceChangeNotice(0);
  EXPECT_TRUE(Events.empty());
}

TEST_F(HidController, RemovalHandlerMayReleaseItsDeviceAndTheScanGoesOn) {
  auto A = Platform.PlugNew(AnalyserOptions);
  auto B = Platform.PlugNew(AnalyserOptions);
  auto Mouse = Platform.PlugNew(MouseOptions);
  MakeController();
  Settle();
  TJvHidDevice* HeldA = nullptr;
  TJvHidDevice* HeldB = nullptr;
  ASSERT_TRUE(Controller->CheckOutMatching(HeldA, 0x04D8, 0x0005));
  ASSERT_TRUE(Controller->CheckOutMatching(HeldB, 0x04D8, 0x0005));
  HeldA->SetOnReport([](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
  OnRemoval = [&](TJvHidDevice& Dev) {
    if (&Dev == HeldA) {
      delete HeldA;
      HeldA = nullptr;
    }
  };
  const auto NumberA = A->InstanceNumber();
  const auto NumberB = B->InstanceNumber();
  const auto NumberMouse = Mouse->InstanceNumber();
  Events.clear();
  Platform.Unplug(*A);
  Platform.Unplug(*B);
  Platform.Unplug(*Mouse);
  Settle();
  EXPECT_EQ(Events, Strings({Removal(NumberMouse), Removal(NumberB), Removal(NumberA), "change"}));
  ASSERT_EQ(Controller->Devices().size(), 1U);
  EXPECT_EQ(Controller->Devices().front(), HeldB);
  delete HeldB;
  EXPECT_TRUE(Controller->Devices().empty());
}

TEST_F(HidController, InterfaceThatCannotBeOpenedIsSkippedAndLookedAtAgain) {
  auto Refusing = Platform.PlugNew(MouseOptions);
  Refusing->RefuseOpen(EACCES);
  auto Unidentified = Platform.PlugNew(MouseOptions);
  Unidentified->FailIdentify(EIO);
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  MakeController();
  Settle();
  EXPECT_EQ(Events, Strings({Arrival(*Analyser), "change"}));
  Events.clear();
  Refusing->RefuseOpen(0);
  Unidentified->FailIdentify(0);
  Controller->DeviceChangeNotice(0);
  EXPECT_EQ(Events, Strings({Arrival(*Refusing), Arrival(*Unidentified), "change"}));
}

TEST_F(HidController, ListThatCannotBeHadChangesNothingUntilTheNextNotice) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  MakeController();
  Settle();
  Events.clear();
  const std::vector<TJvHidDevice*> Before = Controller->Devices();
  Platform.FailEnumeration(true);
  auto Mouse = Platform.PlugNew(MouseOptions);
  Controller->DeviceChangeNotice(0);
  EXPECT_EQ(Events, Strings{}) << "the analyser is not taken for removed";
  EXPECT_EQ(Controller->Devices(), Before);
  EXPECT_TRUE(Before[0]->Plugged());
  Platform.FailEnumeration(false);
  Controller->DeviceChangeNotice(0);
  EXPECT_EQ(Events, Strings({Arrival(*Mouse), "change"})) << "the next notice catches up";
}

TEST_F(HidController, HandlerFailureDoesNotCutTheChangeShort) {
  auto A = Platform.PlugNew(AnalyserOptions);
  auto B = Platform.PlugNew(MouseOptions);
  MakeController();
  OnArrival = [&](TJvHidDevice& Dev) {
    if (Dev.ProductID() == 0x0005) {
      throw std::runtime_error("'abc' n'est pas une valeur entière correcte");
    }
  };
  EXPECT_THROW(Settle(), std::runtime_error);
  EXPECT_EQ(Events, Strings({Arrival(*A), Arrival(*B), "change"}));
  EXPECT_EQ(Controller->Devices().size(), 2U);
  EXPECT_FALSE(Controller->ChangeInProgress());
  EXPECT_FALSE(Controller->Devices().front()->Announcing());
}

TEST_F(HidController, NoticeDuringAChangeRunsAnotherChangeAfterIt) {
  auto A = Platform.PlugNew(AnalyserOptions);
  MakeController();
  std::shared_ptr<TSimulatedHidInterface> B;
  OnArrival = [&](TJvHidDevice&) {
    if (!B) {
      // As if a nested loop (a message box) delivered the notice.
      B = Platform.PlugNew(MouseOptions);
      Controller->DeviceChangeNotice(0);
      EXPECT_EQ(Controller->Devices().size(), 1U) << "not handled inside the change";
    }
  };
  Settle();
  EXPECT_EQ(Events, Strings({Arrival(*A), "change", Arrival(*B), "change"}));
}

TEST_F(HidController, DestructionLeavesCheckedOutDevicesToTheirHolders) {
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  Platform.PlugNew(MouseOptions);
  MakeController();
  Settle();
  TJvHidDevice* Held = nullptr;
  ASSERT_TRUE(Controller->CheckOutMatching(Held, 0x04D8, 0x0005));
  Held->SetOnReport([](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
  int Unplugged = 0;
  Held->SetOnUnplugged([&](TJvHidDevice&) { ++Unplugged; });
  Controller.reset();
  EXPECT_EQ(Held->Controller(), nullptr);
  EXPECT_FALSE(Held->Plugged());
  EXPECT_EQ(Unplugged, 1);
  EXPECT_FALSE(Held->ReaderRunning()) << "no reader left to outlive the loop";
  delete Held;  // still fine without its controller
  EXPECT_EQ(Analyser->ReaderCount(), 0U);
}

TEST_F(HidController, FirstNoticeAfterTheControllerIsGoneDoesNothing) {
  Platform.PlugNew(AnalyserOptions);
  MakeController();
  Controller.reset();
  Settle();
  EXPECT_TRUE(Events.empty());
}

TEST_F(HidController, DefaultsReachDevicesThatStillHoldThePreviousOnes) {
  Platform.PlugNew(AnalyserOptions);
  Platform.PlugNew(MouseOptions);
  MakeController();
  Settle();
  TJvHidDevice* Own = Controller->Devices()[1];
  Own->SetOnUnplugged([](TJvHidDevice&) {});
  Own->SetReaderWaitMs(300);
  int DefaultUnplugs = 0;
  Controller->SetOnDeviceUnplug([&](TJvHidDevice&) { ++DefaultUnplugs; });
  Controller->SetDevThreadSleepTime(40);
  TJvHidDevice* Other = Controller->Devices()[0];
  EXPECT_EQ(Other->ReaderWaitMs(), 40);
  EXPECT_EQ(Own->ReaderWaitMs(), 300);
  Other->MarkUnplugged();
  Own->MarkUnplugged();
  EXPECT_EQ(DefaultUnplugs, 1) << "only the device that kept the default";
  Controller->SetOnDeviceData(
      [](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
  EXPECT_TRUE(Other->OnReport());
}

}  // namespace
