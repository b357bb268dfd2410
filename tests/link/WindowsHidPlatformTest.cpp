// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows HID platform on the system's own libraries. Interfaces that a
// machine may lack are stood in for by named pipes, which open, read and
// write through the same file calls as a HID interface path.
#include "link/WindowsHidPlatform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <cerrno>
#include <chrono>
#include <set>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

/// The server end of a named pipe; a client opened on Path() connects to it.
class TPipeServer {
 public:
  explicit TPipeServer(DWORD OpenMode = PIPE_ACCESS_DUPLEX) {
    static int Count = 0;
    Name = "\\\\.\\pipe\\la16-hid-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++Count);
    Server = ::CreateNamedPipeA(Name.c_str(), OpenMode, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE, 1,
                                4096, 4096, 0, nullptr);
  }
  ~TPipeServer() { Close(); }

  bool Valid() const { return Server != INVALID_HANDLE_VALUE; }
  const std::string& Path() const { return Name; }
  bool Send(const std::string& Bytes) {
    DWORD Written = 0;
    return ::WriteFile(Server, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr) &&
           Written == Bytes.size();
  }
  std::string Receive(std::size_t Size) {
    std::string Bytes(Size, '\0');
    DWORD Read = 0;
    if (!::ReadFile(Server, Bytes.data(), static_cast<DWORD>(Size), &Read, nullptr)) {
      return {};
    }
    Bytes.resize(Read);
    return Bytes;
  }
  void Close() {
    if (Server != INVALID_HANDLE_VALUE) {
      ::CloseHandle(Server);
      Server = INVALID_HANDLE_VALUE;
    }
  }

 private:
  std::string Name;
  HANDLE Server = INVALID_HANDLE_VALUE;
};

std::string AsText(const std::uint8_t* Bytes, std::size_t Size) {
  return std::string(reinterpret_cast<const char*>(Bytes), Size);
}

TEST(LibraryBinding, BindsOnlyWhenEveryEntryIsThere) {
  const TLibraryBinding Whole("kernel32.dll", {"CreateFileA", "WriteFile", "CancelIoEx"});
  EXPECT_TRUE(Whole.Bound());
  EXPECT_NE(Whole.Entry<void (*)()>(0), nullptr);
  EXPECT_NE(Whole.Entry<void (*)()>(2), nullptr);

  const TLibraryBinding Partial("kernel32.dll", {"CreateFileA", "La16NoSuchEntry", "WriteFile"});
  EXPECT_FALSE(Partial.Bound());
  EXPECT_EQ(Partial.Entry<void (*)()>(0), nullptr) << "nothing of a partial binding is kept";
  EXPECT_EQ(Partial.Entry<void (*)()>(2), nullptr);

  const TLibraryBinding Missing("la16-no-such-library.dll", {"CreateFileA"});
  EXPECT_FALSE(Missing.Bound());
  EXPECT_EQ(Missing.Entry<void (*)()>(0), nullptr);
}

TEST(WindowsHidPlatform, WithoutTheHidLibraryUsesTheFixedClassAndFindsNothing) {
  TWindowsHidPlatform NoHid("setupapi.dll", "la16-no-such-hid.dll");
  EXPECT_TRUE(NoHid.SetupLibraryBound());
  EXPECT_FALSE(NoHid.HidLibraryBound());
  EXPECT_EQ(NoHid.InterfaceClassGuid(), FixedHidInterfaceClass);
  EXPECT_EQ(NoHid.Enumerate(), std::vector<THidInterface>{}) << "an empty list, not a failed one";
  EXPECT_EQ(NoHid.ChangeNotice(), NoWaitable);
  EXPECT_EQ(NoHid.NoticeWindow(), 0) << "no window without the HID library";

  // The HID library is bound only after the device-installation library.
  TWindowsHidPlatform NoSetup("la16-no-such-setupapi.dll", "hid.dll");
  EXPECT_FALSE(NoSetup.SetupLibraryBound());
  EXPECT_FALSE(NoSetup.HidLibraryBound());
  EXPECT_EQ(NoSetup.Enumerate(), std::vector<THidInterface>{});
}

TEST(WindowsHidPlatform, EnumeratesTheSystemsHidClassWithStableNumbers) {
  TWindowsHidPlatform Platform;
  ASSERT_TRUE(Platform.SetupLibraryBound());
  ASSERT_TRUE(Platform.HidLibraryBound());
  EXPECT_EQ(Platform.InterfaceClassGuid(), FixedHidInterfaceClass)
      << "the HID library names the same class";
  const auto First = Platform.Enumerate().value();
  const auto Second = Platform.Enumerate().value();
  ASSERT_EQ(First.size(), Second.size());
  std::set<std::uint32_t> Numbers;
  for (std::size_t I = 0; I < First.size(); ++I) {
    EXPECT_FALSE(First[I].InterfacePath.empty());
    EXPECT_EQ(First[I].InterfacePath, Second[I].InterfacePath);
    EXPECT_EQ(First[I].InstanceNumber, Second[I].InstanceNumber);
    Numbers.insert(First[I].InstanceNumber);
  }
  EXPECT_EQ(Numbers.size(), First.size()) << "numbers are unique";
}

TEST(WindowsHidPlatform, TheHiddenWindowHearsTheDeviceChangeBroadcast) {
  TWindowsHidPlatform Platform;
  const TWaitable Notice = Platform.ChangeNotice();
  ASSERT_NE(Notice, NoWaitable);
  const auto Window = reinterpret_cast<HWND>(Platform.NoticeWindow());
  ASSERT_NE(Window, nullptr);
  EXPECT_FALSE(WaitForSignals({Notice}, 0ms)[0]);

  // Other device-change messages do not mean that interfaces changed.
  ::SendMessageA(Window, WM_DEVICECHANGE, DBT_CONFIGCHANGED, 0);
  EXPECT_FALSE(WaitForSignals({Notice}, 0ms)[0]);

  // The system broadcasts to top-level windows only: the notice window must
  // be one (a message-only window would never hear this).
  DWORD_PTR Ignored = 0;
  ::SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG,
                        5000, &Ignored);
  EXPECT_TRUE(WaitForSignals({Notice}, 5000ms)[0]);
  Platform.DrainChangeNotice();
  EXPECT_FALSE(WaitForSignals({Notice}, 0ms)[0]);

  ::SendMessageA(Window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  EXPECT_TRUE(WaitForSignals({Notice}, 0ms)[0]) << "a removal of the class is a change too";
}

TEST(WindowsHidPlatform, OpeningAMissingPathFailsWithTheSystemsReason) {
  TWindowsHidPlatform Platform;
  const std::string Missing = "\\\\.\\pipe\\la16-no-such-interface";
  THidError Error;
  EXPECT_EQ(Platform.OpenMain(Missing, Error), nullptr);
  EXPECT_EQ(Error.Code, ENOENT);
  EXPECT_FALSE(Error.Message.empty());
  Error = {};
  EXPECT_EQ(Platform.OpenReader(Missing, Error), nullptr);
  EXPECT_EQ(Error.Code, ENOENT);
}

TEST(WindowsHidPlatform, SystemErrorsMapOntoWhatTheLinkTellsApart) {
  EXPECT_EQ(WindowsError(ERROR_DEVICE_NOT_CONNECTED).Code, ENODEV);
  EXPECT_EQ(WindowsError(ERROR_GEN_FAILURE).Code, ENODEV);
  EXPECT_EQ(WindowsError(ERROR_ACCESS_DENIED).Code, EACCES);
  EXPECT_EQ(WindowsError(ERROR_FILE_NOT_FOUND).Code, ENOENT);
  EXPECT_EQ(WindowsError(ERROR_BROKEN_PIPE).Code, EIO);
  const std::string Message = WindowsError(ERROR_ACCESS_DENIED).Message;
  EXPECT_FALSE(Message.empty());
  EXPECT_NE(Message.back(), '\n') << "one line, as the tool prints it";
}

TEST(WindowsHidPlatform, MainHandleWritesSynchronouslyAndIdentifiesOnlyHid) {
  TPipeServer Pipe;
  ASSERT_TRUE(Pipe.Valid());
  TWindowsHidPlatform Platform;
  THidError Error;
  auto Main = Platform.OpenMain(Pipe.Path(), Error);
  ASSERT_NE(Main, nullptr) << Error.Message;
  EXPECT_EQ(Main->Access(), THidAccess::ReadWrite);

  const std::uint8_t Command[4] = {0, 11, 1, 44};
  std::size_t Written = 0;
  ASSERT_TRUE(Main->Write(Command, sizeof Command, Written, Error)) << Error.Message;
  EXPECT_EQ(Written, sizeof Command);
  EXPECT_EQ(Pipe.Receive(16), AsText(Command, sizeof Command)) << "gone out when Write returns";
  EXPECT_FALSE(Main->Write(Command, 0, Written, Error));
  EXPECT_EQ(Error.Code, EINVAL);

  // A pipe is no HID interface: the HID library says so.
  THidAttributes Attributes;
  EXPECT_FALSE(Main->GetAttributes(Attributes, Error));
  THidCaps Caps;
  EXPECT_FALSE(Main->GetCaps(Caps, Error));
}

TEST(WindowsHidPlatform, MainHandleRefusedWritingOpensForQueriesOnly) {
  // The server only reads: a client may write to it but not read from it,
  // so an open for reading and writing is refused.
  TPipeServer Pipe(PIPE_ACCESS_INBOUND);
  ASSERT_TRUE(Pipe.Valid());
  TWindowsHidPlatform Platform;
  THidError Error;
  auto Main = Platform.OpenMain(Pipe.Path(), Error);
  ASSERT_NE(Main, nullptr) << Error.Message;
  EXPECT_EQ(Main->Access(), THidAccess::QueryOnly);
  EXPECT_EQ(Error.Code, EACCES) << "the reason the read-write open failed";
  const std::uint8_t Command[2] = {0, 6};
  std::size_t Written = 1;
  EXPECT_FALSE(Main->Write(Command, sizeof Command, Written, Error));
  EXPECT_EQ(Written, 0U);
  EXPECT_EQ(Error.Code, EBADF);
}

TEST(WindowsHidPlatform, ReadsEndWithAReportATimeoutOrACancelAndLoseNothing) {
  TPipeServer Pipe;
  ASSERT_TRUE(Pipe.Valid());
  TWindowsHidPlatform Platform;
  THidError Error;
  auto Reader = Platform.OpenReader(Pipe.Path(), Error);
  ASSERT_NE(Reader, nullptr) << Error.Message;
  EXPECT_EQ(Reader->Access(), THidAccess::ReadOnly);
  std::uint8_t Buffer[8] = {};

  auto Result = Reader->Read(Buffer, sizeof Buffer, 20);
  EXPECT_EQ(Result.Status, THidReadResult::TimedOut);
  // The read cut short by the timeout is still outstanding: what arrives
  // now is the next Read()'s.
  ASSERT_TRUE(Pipe.Send("abc"));
  Result = Reader->Read(Buffer, sizeof Buffer, 5000);
  ASSERT_EQ(Result.Status, THidReadResult::Report);
  EXPECT_EQ(AsText(Buffer, Result.Bytes), "abc");

  // A cancel from another thread ends a read that would otherwise wait.
  std::thread Canceller([&] {
    std::this_thread::sleep_for(20ms);
    Reader->Cancel();
  });
  const auto Start = std::chrono::steady_clock::now();
  Result = Reader->Read(Buffer, sizeof Buffer, 10000);
  Canceller.join();
  EXPECT_EQ(Result.Status, THidReadResult::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);
  // A cancel with no read waiting ends the next one, and only that one.
  Reader->Cancel();
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 5000).Status, THidReadResult::Cancelled);
  EXPECT_EQ(Reader->Read(Buffer, sizeof Buffer, 0).Status, THidReadResult::TimedOut);

  EXPECT_EQ(Reader->Read(Buffer, 0, 0).Status, THidReadResult::Failed);

  // The other end goes away: the read fails with the system's reason.
  Pipe.Close();
  Result = Reader->Read(Buffer, sizeof Buffer, 5000);
  EXPECT_EQ(Result.Status, THidReadResult::Failed);
  EXPECT_NE(Result.Error.Code, 0);
  EXPECT_FALSE(Result.Error.Message.empty());
}

TEST(WindowsHidPlatform, AReaderClosedMidReadLetsGoAtOnce) {
  TPipeServer Pipe;
  ASSERT_TRUE(Pipe.Valid());
  TWindowsHidPlatform Platform;
  THidError Error;
  auto Reader = Platform.OpenReader(Pipe.Path(), Error);
  ASSERT_NE(Reader, nullptr) << Error.Message;
  std::uint8_t Buffer[8] = {};
  ASSERT_EQ(Reader->Read(Buffer, sizeof Buffer, 0).Status, THidReadResult::TimedOut);
  const auto Start = std::chrono::steady_clock::now();
  Reader.reset();  // the outstanding read is cancelled before its buffer goes
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 5s);
}

}  // namespace
