// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SimulatedHidPlatform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

const TSimulatedInterfaceOptions Analyser{0x04D8, 0x0005, 0x0100, 65, 65};

bool NoticePending(const THidPlatform& Platform) {
  return WaitForSignals({Platform.ChangeNotice()}, 0ms)[0];
}

TEST(SimulatedHidPlatform, PlugAndUnplugChangeTheListAndSignalTheNotice) {
  TSimulatedHidPlatform Platform;
  EXPECT_TRUE(Platform.Enumerate().value().empty());
  EXPECT_FALSE(NoticePending(Platform));

  auto First = Platform.PlugNew(Analyser);
  auto Second = Platform.PlugNew({0x046D, 0xC077, 0, 5, 0});
  EXPECT_TRUE(NoticePending(Platform));
  Platform.DrainChangeNotice();
  EXPECT_FALSE(NoticePending(Platform));

  auto Present = Platform.Enumerate().value();
  ASSERT_EQ(Present.size(), 2U);
  EXPECT_EQ(Present[0].InstanceNumber, First->InstanceNumber());
  EXPECT_EQ(Present[0].InterfacePath, First->InterfacePath());
  EXPECT_NE(Present[0].InstanceNumber, Present[1].InstanceNumber);

  const auto OldNumber = First->InstanceNumber();
  Platform.Unplug(*First);
  EXPECT_TRUE(NoticePending(Platform));
  ASSERT_EQ(Platform.Enumerate().value().size(), 1U);
  Platform.Plug(First);
  EXPECT_NE(First->InstanceNumber(), OldNumber) << "a replug is a new instance";
  EXPECT_EQ(Platform.Enumerate().value().size(), 2U);

  Platform.FailEnumeration(true);
  EXPECT_FALSE(Platform.Enumerate());
}

TEST(SimulatedHidPlatform, MainHandleIdentifiesWritesAndFallsBackToQueryOnly) {
  TSimulatedHidPlatform Platform;
  auto Interface = Platform.PlugNew(Analyser);
  std::vector<std::vector<std::uint8_t>> Hooked;
  Interface->SetWriteHook([&](const std::uint8_t* Report, std::size_t Size) {
    Hooked.emplace_back(Report, Report + Size);
  });

  THidError Error;
  auto Handle = Platform.OpenMain(Interface->InterfacePath(), Error);
  ASSERT_TRUE(Handle);
  EXPECT_EQ(Handle->Access(), THidAccess::ReadWrite);
  THidAttributes Attributes;
  ASSERT_TRUE(Handle->GetAttributes(Attributes, Error));
  EXPECT_EQ(Attributes.VendorID, 0x04D8);
  EXPECT_EQ(Attributes.ProductID, 0x0005);
  EXPECT_EQ(Attributes.VersionNumber, 0x0100);
  THidCaps Caps;
  ASSERT_TRUE(Handle->GetCaps(Caps, Error));
  EXPECT_EQ(Caps.InputReportByteLength, 65);
  EXPECT_EQ(Caps.OutputReportByteLength, 65);

  const std::uint8_t Command[] = {0, 6, 0, 0};
  std::size_t Written = 0;
  ASSERT_TRUE(Handle->Write(Command, sizeof Command, Written, Error));
  EXPECT_EQ(Written, 4U);
  ASSERT_EQ(Interface->WrittenReports().size(), 1U);
  EXPECT_EQ(Interface->WrittenReports()[0], std::vector<std::uint8_t>({0, 6, 0, 0}));
  EXPECT_EQ(Hooked, Interface->WrittenReports());
  EXPECT_FALSE(Handle->Write(Command, 0, Written, Error));
  EXPECT_EQ(Error.Code, EINVAL);

  Interface->RefuseWriteAccess(true);
  auto QueryOnly = Platform.OpenMain(Interface->InterfacePath(), Error);
  ASSERT_TRUE(QueryOnly);
  EXPECT_EQ(QueryOnly->Access(), THidAccess::QueryOnly);
  EXPECT_TRUE(QueryOnly->GetAttributes(Attributes, Error));
  EXPECT_FALSE(QueryOnly->Write(Command, sizeof Command, Written, Error));
  EXPECT_EQ(Error.Code, EBADF);
  EXPECT_EQ(Written, 0U);
  EXPECT_EQ(Interface->WrittenReports().size(), 1U);
}

TEST(SimulatedHidPlatform, FailuresCarryTheErrorNumberAndTheSystemsMessage) {
  TSimulatedHidPlatform Platform;
  auto Interface = Platform.PlugNew(Analyser);
  THidError Error;
  EXPECT_FALSE(Platform.OpenMain("/dev/simulated-hid/none", Error));
  EXPECT_EQ(Error.Code, ENOENT);
  EXPECT_EQ(Error.Message, "No such file or directory");

  Interface->RefuseOpen(EBUSY);
  EXPECT_FALSE(Platform.OpenMain(Interface->InterfacePath(), Error));
  EXPECT_FALSE(Platform.OpenReader(Interface->InterfacePath(), Error));
  EXPECT_EQ(Error.Code, EBUSY);
  Interface->RefuseOpen(0);

  auto Handle = Platform.OpenMain(Interface->InterfacePath(), Error);
  ASSERT_TRUE(Handle);
  THidAttributes Attributes;
  Interface->FailIdentify(EIO);
  EXPECT_FALSE(Handle->GetAttributes(Attributes, Error));
  EXPECT_EQ(Error.Code, EIO);
  Interface->FailIdentify(0);

  Interface->FailWrites(EPIPE);
  const std::uint8_t Command[] = {0, 3};
  std::size_t Written = 0;
  EXPECT_FALSE(Handle->Write(Command, 2, Written, Error));
  EXPECT_EQ(Error.Code, EPIPE);
  EXPECT_TRUE(Interface->WrittenReports().empty());

  Platform.Unplug(*Interface);
  Interface->FailWrites(0);
  EXPECT_FALSE(Handle->Write(Command, 2, Written, Error));
  EXPECT_EQ(Error.Code, ENODEV);
  EXPECT_FALSE(Handle->GetAttributes(Attributes, Error));
  EXPECT_EQ(Error.Code, ENODEV);
}

TEST(SimulatedHidPlatform, ReaderGetsOneReportPerReadInOrderAndOnlyWhileOpen) {
  TSimulatedHidPlatform Platform;
  auto Interface = Platform.PlugNew(Analyser);
  Interface->InjectReport({0, 99});  // nobody reads yet: lost

  THidError Error;
  auto Reader = Platform.OpenReader(Interface->InterfacePath(), Error);
  ASSERT_TRUE(Reader);
  EXPECT_EQ(Interface->ReaderCount(), 1U);
  Interface->InjectReport({0, 20, 1, 2});
  Interface->InjectReport({0, 21});

  std::uint8_t Buffer[65] = {};
  auto Result = Reader->Read(Buffer, sizeof Buffer, 1000);
  ASSERT_EQ(Result.Status, THidReadResult::Report);
  EXPECT_EQ(Result.Bytes, 4U);
  EXPECT_EQ(Buffer[1], 20);
  // A buffer shorter than the report gets its beginning; the rest is lost.
  Result = Reader->Read(Buffer, 1, 1000);
  ASSERT_EQ(Result.Status, THidReadResult::Report);
  EXPECT_EQ(Result.Bytes, 1U);
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 0).Status, THidReadResult::TimedOut);

  Result = Reader->Read(Buffer, 0, 0);
  EXPECT_EQ(Result.Status, THidReadResult::Failed);
  EXPECT_EQ(Result.Error.Code, EINVAL);

  Reader.reset();
  EXPECT_EQ(Interface->ReaderCount(), 0U);
}

TEST(SimulatedHidPlatform, ReadWaitsForItsTimeoutOrIsWokenEarly) {
  TSimulatedHidPlatform Platform;
  auto Interface = Platform.PlugNew(Analyser);
  THidError Error;
  auto Reader = Platform.OpenReader(Interface->InterfacePath(), Error);
  std::uint8_t Buffer[65];

  auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 30).Status, THidReadResult::TimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - Start, 30ms);

  // Each of these ends a long read long before its timeout.
  std::thread Injector([&] {
    std::this_thread::sleep_for(20ms);
    Interface->InjectReport({0, 1});
  });
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 10000).Status, THidReadResult::Report);
  Injector.join();

  std::thread Canceller([&] {
    std::this_thread::sleep_for(20ms);
    Reader->Cancel();
  });
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 10000).Status, THidReadResult::Cancelled);
  Canceller.join();
  // A cancel is used up by the read it ended.
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 0).Status, THidReadResult::TimedOut);

  Interface->FailReads(EIO);
  auto Result = Reader->Read(Buffer, sizeof Buffer, 10000);
  EXPECT_EQ(Result.Status, THidReadResult::Failed);
  EXPECT_EQ(Result.Error.Code, EIO);
  Interface->FailReads(0);

  std::thread Unplugger([&] {
    std::this_thread::sleep_for(20ms);
    Platform.Unplug(*Interface);
  });
  Start = std::chrono::steady_clock::now();
  Result = Reader->Read(Buffer, sizeof Buffer, 10000);
  Unplugger.join();
  EXPECT_EQ(Result.Status, THidReadResult::Failed);
  EXPECT_EQ(Result.Error.Code, ENODEV);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);

  // The old handle stays dead after a replug; a new one works.
  Platform.Plug(Interface);
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 0).Error.Code, ENODEV);
  auto Fresh = Platform.OpenReader(Interface->InterfacePath(), Error);
  ASSERT_TRUE(Fresh);
  Interface->InjectReport({0, 2});
  EXPECT_EQ(Fresh->Read(Buffer, sizeof Buffer, 1000).Status, THidReadResult::Report);
}

TEST(SimulatedHidPlatform, FullReaderQueueLosesNewReports) {
  TSimulatedHidPlatform Platform;
  auto Interface = Platform.PlugNew(Analyser);
  THidError Error;
  auto Reader = Platform.OpenReader(Interface->InterfacePath(), Error);
  for (std::size_t I = 0; I < TSimulatedHidInterface::ReaderQueueLength + 3; ++I) {
    Interface->InjectReport({0, static_cast<std::uint8_t>(I)});
  }
  EXPECT_EQ(Interface->DroppedReports(), 3U);
  std::uint8_t Buffer[2];
  std::size_t Count = 0;
  std::uint8_t Last = 0;
  while (Reader->Read(Buffer, 2, 0).Status == THidReadResult::Report) {
    Last = Buffer[1];
    ++Count;
  }
  EXPECT_EQ(Count, TSimulatedHidInterface::ReaderQueueLength);
  EXPECT_EQ(Last, TSimulatedHidInterface::ReaderQueueLength - 1);
}

}  // namespace
