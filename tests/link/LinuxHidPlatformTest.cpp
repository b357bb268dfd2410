// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/InstanceNumbers.h"
#include "link/LinuxHidHandle.h"
#include "link/LinuxHidPlatform.h"
#include "link/UniqueFd.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool MachineHasHidraw() {
  std::error_code Error;
  for (const auto& Entry : std::filesystem::directory_iterator("/dev", Error)) {
    if (Entry.path().filename().string().starts_with("hidraw")) {
      return true;
    }
  }
  return false;
}

TEST(LinuxHidPlatform, EnumeratesWhatIsThereWithStableNumbers) {
  TLinuxHidPlatform Platform;
  const auto First = Platform.Enumerate().value();
  const auto Second = Platform.Enumerate().value();
  if (!MachineHasHidraw()) {
    EXPECT_TRUE(First.empty());
  }
  ASSERT_EQ(First.size(), Second.size());
  std::set<std::uint32_t> Numbers;
  for (std::size_t I = 0; I < First.size(); ++I) {
    EXPECT_TRUE(std::filesystem::exists(First[I].InterfacePath)) << First[I].InterfacePath;
    EXPECT_EQ(First[I].InstanceNumber, Second[I].InstanceNumber);
    EXPECT_NE(First[I].InstanceNumber, 0U);
    Numbers.insert(First[I].InstanceNumber);
  }
  EXPECT_EQ(Numbers.size(), First.size()) << "numbers are unique";
}

TEST(LinuxHidPlatform, DrainingAnEmptyNoticeReturnsAtOnce) {
  TLinuxHidPlatform Platform;
  const auto Start = std::chrono::steady_clock::now();
  Platform.DrainChangeNotice();
  Platform.DrainChangeNotice();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 2s);
  EXPECT_GE(Platform.ChangeNotice(), NoWaitable);
}

TEST(LinuxHidPlatform, OpeningAMissingNodeFailsWithTheSystemsReason) {
  TLinuxHidPlatform Platform;
  THidError Error;
  EXPECT_FALSE(Platform.OpenMain("/dev/hidraw-none", Error));
  EXPECT_EQ(Error.Code, ENOENT);
  EXPECT_EQ(Error.Message, "No such file or directory");
  Error = {};
  EXPECT_FALSE(Platform.OpenReader("/dev/hidraw-none", Error));
  EXPECT_EQ(Error.Code, ENOENT);
}

TEST(LinuxHidPlatform, NodeThatIsNotHidCannotBeIdentified) {
  TLinuxHidPlatform Platform;
  THidError Error;
  auto Handle = Platform.OpenMain("/dev/null", Error);
  ASSERT_TRUE(Handle);
  THidAttributes Attributes;
  EXPECT_FALSE(Handle->GetAttributes(Attributes, Error));
  EXPECT_NE(Error.Code, 0);
  EXPECT_FALSE(Error.Message.empty());
  THidCaps Caps;
  EXPECT_FALSE(Handle->GetCaps(Caps, Error));
  std::uint8_t Buffer[4];
  EXPECT_EQ(Handle->Read(Buffer, 4, 0).Error.Code, EBADF) << "main handles do not read";
}

TEST(LinuxHidPlatform, ReaderOnANodeWithoutReportDescriptorIsRefused) {
  // Without the descriptor the reader could not tell an id byte from data.
  TLinuxHidPlatform Platform;
  THidError Error;
  EXPECT_FALSE(Platform.OpenReader("/dev/null", Error));
  EXPECT_NE(Error.Code, 0);
  EXPECT_FALSE(Error.Message.empty());
}

// A FIFO stands in for a device node: one write is one report, as hidraw
// delivers it. The fixture's reader takes it for a node with numbered input
// reports; OpenUnnumbered() makes it one without.
class LinuxReadHandle : public testing::Test {
 protected:
  void SetUp() override {
    char Template[] = "/tmp/la16-link-XXXXXX";
    ASSERT_NE(::mkdtemp(Template), nullptr);
    Folder = Template;
    Fifo = Folder + "/node";
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    Open(true);
  }

  void Open(bool InputNumbered) {
    Device.Reset();
    Reader.reset();
    THidError Error;
    Reader = OpenHidrawReader(Fifo, InputNumbered, Error);
    ASSERT_TRUE(Reader) << Error.Message;
    // The writer comes after the reader, so that its going reads as a hang-up.
    Device = TUniqueFd(::open(Fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_TRUE(Device.Valid());
  }

  void Send(const std::vector<std::uint8_t>& Bytes) {
    ASSERT_EQ(::write(Device.Get(), Bytes.data(), Bytes.size()),
              static_cast<ssize_t>(Bytes.size()));
  }
  void TearDown() override { std::filesystem::remove_all(Folder); }

  void Send(std::initializer_list<std::uint8_t> Report) { Send(std::vector<std::uint8_t>(Report)); }

  std::string Folder;
  std::string Fifo;
  TUniqueFd Device;
  std::unique_ptr<THidHandle> Reader;
};

TEST_F(LinuxReadHandle, ReadsWaitTimeOutAndAreCancelled) {
  EXPECT_EQ(Reader->Access(), THidAccess::ReadOnly);
  std::uint8_t Buffer[65] = {};
  auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 30).Status, THidReadResult::TimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - Start, 25ms);

  Send({0, 20, 7});
  auto Result = Reader->Read(Buffer, sizeof Buffer, 1000);
  ASSERT_EQ(Result.Status, THidReadResult::Report);
  EXPECT_EQ(Result.Bytes, 3U);
  EXPECT_EQ(Buffer[1], 20);
  EXPECT_EQ(Buffer[2], 7);

  std::thread Canceller([&] {
    std::this_thread::sleep_for(20ms);
    Reader->Cancel();
  });
  Start = std::chrono::steady_clock::now();
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 10000).Status, THidReadResult::Cancelled);
  Canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 0).Status, THidReadResult::TimedOut)
      << "a cancel ends one read only";

  EXPECT_EQ(Reader->Read(Buffer, 0, 0).Error.Code, EINVAL);
  std::size_t Written = 0;
  THidError Error;
  EXPECT_FALSE(Reader->Write(Buffer, 1, Written, Error));
  EXPECT_EQ(Error.Code, EBADF);
}

TEST_F(LinuxReadHandle, UnnumberedReportsGetReportIdZeroInFront) {
  Open(false);
  // The analyser's 64-byte block as hidraw gives it: block code first.
  std::vector<std::uint8_t> Block(64);
  for (std::size_t I = 0; I < Block.size(); ++I) {
    Block[I] = static_cast<std::uint8_t>(I + 20);
  }
  Send(Block);
  std::uint8_t Buffer[65] = {};
  auto Result = Reader->Read(Buffer, sizeof Buffer, 1000);
  ASSERT_EQ(Result.Status, THidReadResult::Report);
  EXPECT_EQ(Result.Bytes, 65U) << "the id byte counts";
  EXPECT_EQ(Buffer[0], 0);
  EXPECT_EQ(std::vector<std::uint8_t>(Buffer + 1, Buffer + 65), Block);
}

TEST_F(LinuxReadHandle, HangUpReadsAsUnplugged) {
  Device.Reset();
  std::uint8_t Buffer[65];
  const auto Result = Reader->Read(Buffer, sizeof Buffer, 10000);
  EXPECT_EQ(Result.Status, THidReadResult::Failed);
  EXPECT_EQ(Result.Error.Code, ENODEV);
}

struct THidIdCase {
  const char* Text;
  bool Valid;
  std::uint16_t Vendor;
  std::uint16_t Product;
};

class HidIdParsing : public testing::TestWithParam<THidIdCase> {};

TEST_P(HidIdParsing, SplitsBusVendorAndProduct) {
  std::uint16_t Vendor = 1, Product = 2;
  const auto& Case = GetParam();
  EXPECT_EQ(ParseHidId(Case.Text, Vendor, Product), Case.Valid) << Case.Text;
  if (Case.Valid) {
    EXPECT_EQ(Vendor, Case.Vendor);
    EXPECT_EQ(Product, Case.Product);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HidIdParsing,
                         testing::Values(THidIdCase{"0003:000004D8:00000005", true, 0x04D8, 5},
                                         THidIdCase{"0005:0000046d:0000B342", true, 0x046D, 0xB342},
                                         THidIdCase{"0003:000104D8:00000005", false, 0, 0},
                                         THidIdCase{"0003:04D8", false, 0, 0},
                                         THidIdCase{"0003::0005", false, 0, 0},
                                         THidIdCase{"0003:04G8:0005", false, 0, 0},
                                         THidIdCase{"", false, 0, 0}));

TEST(InstanceNumbers, StayWhilePresentAndChangeAfterRemoval) {
  TInstanceNumbers Numbers;
  const auto A = Numbers.NumberOf("/sys/a");
  const auto B = Numbers.NumberOf("/sys/b");
  EXPECT_NE(A, B);
  EXPECT_NE(A, 0U);
  EXPECT_EQ(Numbers.NumberOf("/sys/a"), A);

  Numbers.Forget("/sys/a");
  const auto AAgain = Numbers.NumberOf("/sys/a");
  EXPECT_NE(AAgain, A);
  EXPECT_NE(AAgain, B);

  Numbers.KeepOnly({"/sys/a"});
  EXPECT_EQ(Numbers.Size(), 1U);
  EXPECT_EQ(Numbers.NumberOf("/sys/a"), AAgain);
  EXPECT_NE(Numbers.NumberOf("/sys/b"), B);
}

}  // namespace
