// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkTestSupport.h"
#include "link/QtMainThreadLoop.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Catches what handlers throw, as the program's application object does.
class TCatchingApplication : public QCoreApplication {
 public:
  using QCoreApplication::QCoreApplication;
  bool notify(QObject* Receiver, QEvent* Event) override {
    try {
      return QCoreApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
      Errors.push_back(Error.what());
      return false;
    }
  }
  std::vector<std::string> Errors;
};

class QtLink : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int Argc = 1;
    static char Name[] = "link_qt_tests";
    static char* Argv[] = {Name, nullptr};
    App = new TCatchingApplication(Argc, Argv);
  }
  static void TearDownTestSuite() {
    delete App;
    App = nullptr;
  }

  /// Runs Qt's event loop until Done() or the timeout.
  static bool RunUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout = 5s) {
    const auto Deadline = std::chrono::steady_clock::now() + Timeout;
    while (!Done() && std::chrono::steady_clock::now() < Deadline) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return Done();
  }

  static TCatchingApplication* App;
};

TCatchingApplication* QtLink::App = nullptr;

TEST_F(QtLink, ControllerAnnouncesLendsReadsAndLosesTheAnalyser) {
  TSimulatedHidPlatform Platform;
  TQtMainThreadLoop Loop;
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  TJvHidDeviceController Controller(Platform, Loop);
  TJvHidDevice* Held = nullptr;
  std::vector<std::vector<std::uint8_t>> Blocks;
  bool Removed = false;
  Controller.SetOnArrival([&](TJvHidDevice& Dev) {
    if (Dev.VendorID() != 0x04D8 || Dev.ProductID() != 0x0005 || !Dev.ReadWriteAccess()) {
      return;
    }
    ASSERT_TRUE(Controller.CheckOutMatching(Held, 0x04D8, 0x0005));
    Held->SetOnReport([&](TJvHidDevice&, std::uint8_t, const std::uint8_t* Data,
                          std::uint16_t Size) { Blocks.emplace_back(Data, Data + Size); });
    const std::uint8_t Attach[65] = {0, 6};
    std::uint32_t Written = 0;
    EXPECT_TRUE(Held->WriteReport(Attach, Held->QueryCaps().OutputReportByteLength, Written));
  });
  Controller.SetOnRemoval([&](TJvHidDevice& Dev) {
    if (Dev.VendorID() == 0x04D8) {
      Removed = true;
      delete Held;
      Held = nullptr;
    }
  });
  // A device model: the single command is answered by two reports.
  Analyser->SetWriteHook([&](const std::uint8_t* Report, std::size_t Size) {
    if (Size > 1 && Report[1] == 4) {
      Analyser->InjectReport(std::vector<std::uint8_t>(65, 20));
      Analyser->InjectReport(std::vector<std::uint8_t>(65, 21));
    }
  });

  ASSERT_TRUE(RunUntil([&] { return Held != nullptr; }));
  EXPECT_EQ(Analyser->WrittenReports().size(), 1U);
  ASSERT_TRUE(Analyser->WaitForReaders(1, 5s));
  const std::uint8_t Single[65] = {0, 4};
  std::uint32_t Written = 0;
  ASSERT_TRUE(Held->WriteReport(Single, 65, Written));
  ASSERT_TRUE(RunUntil([&] { return Blocks.size() == 2; }));
  EXPECT_EQ(Blocks[0], std::vector<std::uint8_t>(64, 20));
  EXPECT_EQ(Blocks[1], std::vector<std::uint8_t>(64, 21));

  Platform.Unplug(*Analyser);
  ASSERT_TRUE(RunUntil([&] { return Removed; }));
  EXPECT_EQ(Held, nullptr);
  EXPECT_TRUE(Controller.Devices().empty());
}

TEST_F(QtLink, FailingReportHandlerReleasesTheReaderAndReachesNotify) {
  TSimulatedHidPlatform Platform;
  TQtMainThreadLoop Loop;
  auto Analyser = Platform.PlugNew(AnalyserOptions);
  TJvHidDeviceController Controller(Platform, Loop);
  ASSERT_TRUE(RunUntil([&] { return !Controller.Devices().empty(); }));
  TJvHidDevice* Held = nullptr;
  ASSERT_TRUE(Controller.CheckOutMatching(Held, 0x04D8, 0x0005));
  int Calls = 0;
  Held->SetOnReport([&](TJvHidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {
    if (++Calls == 1) {
      throw std::runtime_error("handler failed");
    }
  });
  ASSERT_TRUE(Analyser->WaitForReaders(1, 5s));
  App->Errors.clear();
  Analyser->InjectReport({0, 1});
  Analyser->InjectReport({0, 2});
  ASSERT_TRUE(RunUntil([&] { return Calls == 2; })) << "the reader went on after the failure";
  EXPECT_EQ(App->Errors, std::vector<std::string>({"handler failed"}));
  delete Held;
}

TEST_F(QtLink, WatchAndPostRunOnTheEventLoop) {
  TSimulatedHidPlatform Platform;
  TQtMainThreadLoop Loop;
  int Notices = 0;
  auto Watch = Loop.WatchSignalled(Platform.ChangeNotice(), [&] {
    Platform.DrainChangeNotice();
    ++Notices;
  });
  bool Posted = false;
  Loop.Post([&] { Posted = true; });
  EXPECT_FALSE(Posted);
  Platform.PlugNew(MouseOptions);
  ASSERT_TRUE(RunUntil([&] { return Posted && Notices == 1; }));
  std::thread Reader([&] { Loop.RunSynchronously([&] { ++Notices; }); });
  ASSERT_TRUE(RunUntil([&] { return Notices == 2; }));
  Reader.join();
}

}  // namespace
