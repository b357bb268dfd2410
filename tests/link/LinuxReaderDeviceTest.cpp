// SPDX-License-Identifier: GPL-3.0-or-later
// The device and its reader thread on the Linux reader of an interface
// without report ids: the handler sees the report as Windows' HID class
// gives it, id 0 first, though the node delivers the 64 bytes alone.
#include "LinkTestSupport.h"
#include "link/LinuxHidHandle.h"
#include "link/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The simulated platform, with its readers on a FIFO that stands in for a
// hidraw node of an interface that does not number its reports.
class TFifoReaderPlatform : public TSimulatedHidPlatform {
 public:
  std::unique_ptr<THidHandle> OpenReader(const std::string&, THidError& Error) override {
    return OpenHidrawReader(Fifo, false, Error);
  }
  std::string Fifo;
};

TEST(LinuxReaderDevice, UnnumberedBlockReachesTheHandlerWithReportIdZero) {
  char Template[] = "/tmp/la16-reader-XXXXXX";
  ASSERT_NE(::mkdtemp(Template), nullptr);
  const std::filesystem::path Folder = Template;
  TFifoReaderPlatform Platform;
  Platform.Fifo = (Folder / "hidraw").string();
  ASSERT_EQ(::mkfifo(Platform.Fifo.c_str(), 0600), 0);
  Platform.PlugNew(AnalyserOptions);
  TPollMainThreadLoop Loop;
  TJvHidDeviceController Controller(Platform, Loop);
  Loop.RunUntil([] { return false; }, 50ms);

  TJvHidDevice* Held = nullptr;
  ASSERT_TRUE(Controller.CheckOutMatching(Held, 0x04D8, 0x0005));
  std::vector<std::uint8_t> Id, Data, Sizes;
  Held->SetOnReport(
      [&](TJvHidDevice&, std::uint8_t ReportID, const std::uint8_t* Bytes, std::uint16_t Size) {
        Id.push_back(ReportID);
        Sizes.push_back(static_cast<std::uint8_t>(Size));
        Data.assign(Bytes, Bytes + Size);
      });
  // The node can be opened for writing once the reader has it open.
  TUniqueFd Node;
  for (int I = 0; I < 500 && !Node.Valid(); ++I) {
    Node.Reset(::open(Platform.Fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!Node.Valid()) {
      std::this_thread::sleep_for(10ms);
    }
  }
  ASSERT_TRUE(Node.Valid());
  std::vector<std::uint8_t> Block(64);
  Block[0] = 20;  // the start of a restitution, as the analyser sends it
  for (std::size_t I = 1; I < Block.size(); ++I) {
    Block[I] = static_cast<std::uint8_t>(0x80 + I);
  }
  ASSERT_EQ(::write(Node.Get(), Block.data(), Block.size()), 64);

  EXPECT_TRUE(Loop.RunUntil([&] { return !Id.empty(); }, 5s));
  ASSERT_EQ(Id.size(), 1U);
  EXPECT_EQ(Id[0], 0);
  EXPECT_EQ(Sizes[0], 64) << "65 bytes read, the id byte included";
  EXPECT_EQ(Data, Block) << "the block code is the first data byte";
  delete Held;
  Node.Reset();
  std::filesystem::remove_all(Folder);
}

}  // namespace
