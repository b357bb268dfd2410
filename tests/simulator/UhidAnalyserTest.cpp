// SPDX-License-Identifier: GPL-3.0-or-later
// The whole la16-uhid-analyser against a stand-in for the kernel: a
// SOCK_SEQPACKET socket pair keeps each event whole, as /dev/uhid does, and
// the test plays the uhid driver's side of it.
#include "simulator/UhidAnalyser.h"

#include <gtest/gtest.h>

#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "link/UniqueFd.h"
#include "simulator/SampleMemoryFile.h"
#include "simulator/UhidEvents.h"
#include "tests/simulator/SimulatorTestSupport.h"

namespace {

using namespace SimulatorTest;

uhid_event KernelEvent(std::uint32_t Type) {
  uhid_event Event;
  std::memset(&Event, 0, sizeof Event);
  Event.type = Type;
  return Event;
}

// What hidraw's write() of a 65-byte command hands on through uhid.
uhid_event CommandFromHidraw(std::uint8_t Code) {
  uhid_event Event = KernelEvent(UHID_OUTPUT);
  Event.u.output.data[1] = Code;
  Event.u.output.size = 65;
  Event.u.output.rtype = UHID_OUTPUT_REPORT;
  return Event;
}

std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream File(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(File), {}};
}

class UhidAnalyserRun : public testing::Test {
 protected:
  void SetUp() override {
    int Pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, Pair), 0);
    Kernel = TUniqueFd(Pair[0]);
    Device = TUniqueFd(Pair[1]);
    Stop = TUniqueFd(::eventfd(0, EFD_CLOEXEC));
    char Template[] = "/tmp/la16-uhid-XXXXXX";
    ASSERT_NE(::mkdtemp(Template), nullptr);
    Folder = Template;
    for (std::size_t I = 0; I < Memory.size(); ++I) {
      Memory[I] = static_cast<std::uint16_t>(I * 7919 + 3);
    }
  }

  void TearDown() override {
    if (Program.joinable()) {
      RequestUnplug();
      Program.join();
    }
    std::filesystem::remove_all(Folder);
  }

  void Start(std::vector<std::string> Arguments) {
    Env.OpenUhid = [this] { return ::dup(Device.Get()); };
    Env.StopFd = Stop.Get();
    Program = std::thread([this, Arguments] { Status = RunUhidAnalyser(Arguments, Env); });
  }

  int Finish() {
    Program.join();
    return Status;
  }

  void RequestUnplug() {
    const std::uint64_t One = 1;
    ASSERT_EQ(::write(Stop.Get(), &One, sizeof One), static_cast<ssize_t>(sizeof One));
  }

  void Send(const uhid_event& Event) {
    ASSERT_EQ(::write(Kernel.Get(), &Event, sizeof Event), static_cast<ssize_t>(sizeof Event));
  }

  // The next event the program writes; type 0 (never sent) if none comes
  // within a generous guard against a hang.
  uhid_event Next() {
    uhid_event Event = KernelEvent(0);
    pollfd Ready{Kernel.Get(), POLLIN, 0};
    if (::poll(&Ready, 1, 20000) == 1) {
      EXPECT_EQ(::read(Kernel.Get(), &Event, sizeof Event), static_cast<ssize_t>(sizeof Event));
    }
    return Event;
  }

  // The blocks of Count UHID_INPUT2 events, each of the 64 data bytes alone.
  std::vector<TInputBlock> Inputs(std::size_t Count) {
    std::vector<TInputBlock> Blocks;
    for (std::size_t I = 0; I < Count; ++I) {
      const uhid_event Event = Next();
      EXPECT_EQ(Event.type, UHID_INPUT2) << "event " << I;
      EXPECT_EQ(Event.u.input2.size, 64) << "no report id: the descriptor has none";
      TInputBlock Block{};
      std::memcpy(Block.data(), Event.u.input2.data, Block.size());
      Blocks.push_back(Block);
    }
    return Blocks;
  }

  std::string PathOf(const char* Name) const { return (Folder / Name).string(); }

  TUniqueFd Kernel, Device, Stop;
  std::filesystem::path Folder;
  TSampleMemory Memory{};
  std::ostringstream Out, Err;
  TUhidAnalyserEnvironment Env{Out, Err};
  std::thread Program;
  int Status = -1;
};

TEST_F(UhidAnalyserRun, RegistersTheAnalyserAndAnswersCommandsWithItsMemory) {
  std::string Error;
  ASSERT_TRUE(WriteSampleMemoryFile(PathOf("memory"), Memory, Error)) << Error;
  Start({"--memory", PathOf("memory"), "--record", PathOf("record"), "--log", PathOf("log"),
         "--ready-file", PathOf("ready"), "--time-scale", "0"});

  const uhid_event Create = Next();
  ASSERT_EQ(Create.type, UHID_CREATE2);
  EXPECT_EQ(Create.u.create2.bus, BUS_USB);
  EXPECT_EQ(Create.u.create2.vendor, 0x04D8U);
  EXPECT_EQ(Create.u.create2.product, 0x0005U);
  EXPECT_STREQ(reinterpret_cast<const char*>(Create.u.create2.name), UhidAnalyserName);
  ASSERT_EQ(Create.u.create2.rd_size, AnalyserReportDescriptor().size());
  EXPECT_EQ(std::memcmp(Create.u.create2.rd_data, AnalyserReportDescriptor().data(),
                        AnalyserReportDescriptor().size()),
            0);
  EXPECT_FALSE(std::filesystem::exists(PathOf("ready"))) << "no device before UHID_START";

  Send(KernelEvent(UHID_START));
  Send(KernelEvent(UHID_OPEN));
  Send(CommandFromHidraw(cmdSingle));
  const std::vector<TInputBlock> Blocks = Inputs(18);
  std::vector<int> Order;
  for (const TInputBlock& Block : Blocks) {
    Order.push_back(Block[0]);
  }
  EXPECT_EQ(Order, RestitutionOrder());
  EXPECT_EQ(DecodeWindow(Blocks), MemoryWindow(Memory, 0));
  EXPECT_TRUE(std::filesystem::exists(PathOf("ready")));
  EXPECT_EQ(ReadFile(PathOf("record")), FormatSampleMemory(Memory));

  // The analyser has no report to give on request: both are refused.
  uhid_event Request = KernelEvent(UHID_GET_REPORT);
  Request.u.get_report.id = 7;
  Send(Request);
  uhid_event Reply = Next();
  ASSERT_EQ(Reply.type, UHID_GET_REPORT_REPLY);
  EXPECT_EQ(Reply.u.get_report_reply.id, 7U);
  EXPECT_NE(Reply.u.get_report_reply.err, 0);
  Request = KernelEvent(UHID_SET_REPORT);
  Request.u.set_report.id = 9;
  Send(Request);
  Reply = Next();
  ASSERT_EQ(Reply.type, UHID_SET_REPORT_REPLY);
  EXPECT_EQ(Reply.u.set_report_reply.id, 9U);
  EXPECT_NE(Reply.u.set_report_reply.err, 0);

  // A feature report handed on as output is no command; the view command is.
  uhid_event Feature = CommandFromHidraw(cmdLoop);
  Feature.u.output.rtype = UHID_FEATURE_REPORT;
  Send(Feature);
  uhid_event View = CommandFromHidraw(cmdViewPosition);
  View.u.output.data[3] = 100;
  Send(View);
  EXPECT_EQ(DecodeWindow(Inputs(18)), MemoryWindow(Memory, 100));

  RequestUnplug();
  EXPECT_EQ(Next().type, UHID_DESTROY);
  EXPECT_EQ(Finish(), UhidAnalyserUnplugged) << Err.str();
  std::string Single = "00 04";
  std::string ViewLine = "00 07 00 64";
  for (int I = 2; I < 65; ++I) {
    Single += " 00";
    ViewLine += I >= 4 ? " 00" : "";
  }
  EXPECT_EQ(ReadFile(PathOf("log")), Single + "\n" + ViewLine + "\n")
      << "every output report, as delivered";
}

TEST_F(UhidAnalyserRun, UnplugsAfterTheNthInputReport) {
  Start({"--unplug-after", "5", "--time-scale", "0"});
  ASSERT_EQ(Next().type, UHID_CREATE2);
  Send(KernelEvent(UHID_START));
  Send(CommandFromHidraw(cmdLoop));
  Inputs(5);
  EXPECT_EQ(Next().type, UHID_DESTROY) << "nothing after the fifth report";
  EXPECT_EQ(Finish(), UhidAnalyserUnplugged);
}

TEST_F(UhidAnalyserRun, SilentAnalyserAcquiresButNeverAnswers) {
  Start({"--silent", "--record", PathOf("record"), "--time-scale", "0"});
  ASSERT_EQ(Next().type, UHID_CREATE2);
  Send(KernelEvent(UHID_START));
  Send(CommandFromHidraw(cmdSingle));
  // The record is written as the restitution's first report is due.
  for (int I = 0; I < 2000 && !std::filesystem::exists(PathOf("record")); ++I) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(PathOf("record")));
  RequestUnplug();
  EXPECT_EQ(Next().type, UHID_DESTROY) << "no input report went out";
  EXPECT_EQ(Finish(), UhidAnalyserUnplugged);
}

TEST_F(UhidAnalyserRun, BadFilesAndAMissingUhidNodeAreClearErrors) {
  bool Opened = false;
  Env.OpenUhid = [&] {
    Opened = true;
    errno = ENOENT;
    return -1;
  };
  std::ofstream(PathOf("short")) << "0000\n";
  EXPECT_EQ(RunUhidAnalyser({"--memory", PathOf("short")}, Env), UhidAnalyserBadArguments);
  EXPECT_EQ(RunUhidAnalyser({"--log", PathOf("none/log")}, Env), UhidAnalyserBadArguments);
  EXPECT_EQ(RunUhidAnalyser({"--seed", "x"}, Env), UhidAnalyserBadArguments);
  EXPECT_FALSE(Opened) << "nothing is plugged in for a run that cannot be done";

  EXPECT_EQ(RunUhidAnalyser({}, Env), UhidAnalyserSystemError);
  EXPECT_NE(Err.str().find("modprobe uhid"), std::string::npos) << Err.str();
  Env.OpenUhid = [] {
    errno = EACCES;
    return -1;
  };
  EXPECT_EQ(RunUhidAnalyser({}, Env), UhidAnalyserSystemError);
  EXPECT_NE(Err.str().find("root"), std::string::npos);
  EXPECT_EQ(RunUhidAnalyser({"--help"}, Env), UhidAnalyserUnplugged);
  for (const char* Option : {"--memory", "--record", "--log", "--unplug-after", "--silent",
                             "--vendor", "--product", "--time-scale", "--seed", "--ready-file"}) {
    EXPECT_NE(Out.str().find(Option), std::string::npos) << Option << " is in the help";
  }
}

}  // namespace
