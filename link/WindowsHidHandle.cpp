// SPDX-License-Identifier: GPL-3.0-or-later
// Handles on a Windows HID interface: the main handle (synchronous, for
// queries and writes) and the read handle (overlapped, with a cancel event).
#include "link/WindowsHidLibraries.h"

#include <algorithm>
#include <cerrno>
#include <string>

THidError WindowsError(unsigned long Code) {
  int Errno = EIO;
  switch (Code) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
      Errno = ENODEV;  // the device went away under the handle
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      Errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
      Errno = EACCES;
      break;
    case ERROR_SHARING_VIOLATION:
      Errno = EBUSY;
      break;
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_USER_BUFFER:
      Errno = EINVAL;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      Errno = ENOMEM;
      break;
    case ERROR_INVALID_HANDLE:
      Errno = EBADF;
      break;
    default:
      break;
  }
  char* Text = nullptr;
  const DWORD Length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Code, 0, reinterpret_cast<char*>(&Text), 0, nullptr);
  std::string Message = Length > 0 && Text != nullptr ? std::string(Text, Length) : std::string();
  if (Text != nullptr) {
    ::LocalFree(Text);
  }
  while (!Message.empty() && (Message.back() == '\n' || Message.back() == '\r' ||
                              Message.back() == ' ' || Message.back() == '.')) {
    Message.pop_back();
  }
  if (Message.empty()) {
    Message = "Windows error " + std::to_string(Code);
  }
  return {Errno, Message};
}

namespace {

THidError LastError() {
  return WindowsError(::GetLastError());
}

// A read on a handle that was opened fine and is now refused: the device is
// being removed (STATUS_DELETE_PENDING comes out as ERROR_ACCESS_DENIED).
THidError LastReadError() {
  const DWORD Code = ::GetLastError();
  return WindowsError(Code == ERROR_ACCESS_DENIED ? ERROR_DEVICE_NOT_CONNECTED : Code);
}

class TWindowsHidHandle : public THidHandle {
 public:
  TWindowsHidHandle(const TWindowsHidLibraries& Libraries, HANDLE File, THidAccess Mode)
      : Libraries(Libraries), File(File), Mode(Mode) {}
  ~TWindowsHidHandle() override { ::CloseHandle(File); }

  THidAccess Access() const override { return Mode; }

  bool GetAttributes(THidAttributes& Attributes, THidError& Error) override {
    HIDD_ATTRIBUTES Found{};
    Found.Size = sizeof Found;
    if (!Libraries.HidBound() || !Libraries.GetAttributes(File, &Found)) {
      Error = LastError();
      return false;
    }
    Attributes = {Found.VendorID, Found.ProductID, Found.VersionNumber};
    return true;
  }

  bool GetCaps(THidCaps& Caps, THidError& Error) override {
    PHIDP_PREPARSED_DATA Preparsed = nullptr;
    if (!Libraries.HidBound() || !Libraries.GetPreparsedData(File, &Preparsed)) {
      Error = LastError();
      return false;
    }
    HIDP_CAPS Found{};
    const NTSTATUS Status = Libraries.GetCaps(Preparsed, &Found);
    Libraries.FreePreparsedData(Preparsed);
    if (Status != HIDP_STATUS_SUCCESS) {
      Error = WindowsError(ERROR_INVALID_DATA);
      return false;
    }
    Caps = {Found.InputReportByteLength, Found.OutputReportByteLength};
    return true;
  }

  bool GetNumInputBuffers(std::uint32_t& Count) override {
    ULONG Found = 0;
    if (!Libraries.HidBound() || !Libraries.GetNumInputBuffers(File, &Found)) {
      return false;
    }
    Count = Found;
    return true;
  }

  bool SetNumInputBuffers(std::uint32_t Count) override {
    return Libraries.HidBound() && Libraries.SetNumInputBuffers(File, Count);
  }

  bool Write(const std::uint8_t* Report, std::size_t Length, std::size_t& Written,
             THidError& Error) override {
    Written = 0;
    if (Mode != THidAccess::ReadWrite) {
      Error = THidError::FromCode(EBADF);
      return false;
    }
    if (Length == 0) {
      Error = THidError::FromCode(EINVAL);
      return false;
    }
    DWORD Count = 0;
    // The main handle is not overlapped: the call returns once it went out.
    if (!::WriteFile(File, Report, static_cast<DWORD>(Length), &Count, nullptr)) {
      Error = LastError();
      return false;
    }
    Written = Count;
    return true;
  }

  THidReadResult Read(std::uint8_t*, std::size_t, int) override {
    return Failed(WindowsError(ERROR_INVALID_HANDLE));
  }

  void Cancel() override {}

 protected:
  static THidReadResult Failed(THidError Error) {
    THidReadResult Result;
    Result.Status = THidReadResult::Failed;
    Result.Error = std::move(Error);
    return Result;
  }

  const TWindowsHidLibraries& Libraries;
  const HANDLE File;
  const THidAccess Mode;
};

/// The read handle. One read at a time is outstanding, into a buffer of the
/// interface's own input report length (the system refuses smaller ones); a
/// read that a timeout or Cancel() interrupted stays outstanding, and the
/// next Read() takes its report, so none is lost.
class TWindowsReadHandle : public TWindowsHidHandle {
 public:
  TWindowsReadHandle(const TWindowsHidLibraries& Libraries, HANDLE File, HANDLE ReadDone,
                     HANDLE CancelEvent)
      : TWindowsHidHandle(Libraries, File, THidAccess::ReadOnly),
        ReadDone(ReadDone),
        CancelEvent(CancelEvent) {
    THidCaps Caps;
    THidError Ignored;
    if (GetCaps(Caps, Ignored)) {
      ReportLength = Caps.InputReportByteLength;
    }
  }

  ~TWindowsReadHandle() override {
    if (Pending) {
      // The system must be done with the buffer before it goes.
      ::CancelIoEx(File, &Overlapped);
      DWORD Ignored = 0;
      ::GetOverlappedResult(File, &Overlapped, &Ignored, TRUE);
    }
    ::CloseHandle(ReadDone);
    ::CloseHandle(CancelEvent);
  }

  THidReadResult Read(std::uint8_t* Buffer, std::size_t Length, int TimeoutMs) override {
    THidReadResult Result;
    if (Length == 0) {
      return Failed(THidError::FromCode(EINVAL));
    }
    if (!Pending) {
      Report.assign(std::max<std::size_t>(Length, ReportLength), 0);
      Overlapped = OVERLAPPED{};
      Overlapped.hEvent = ReadDone;
      ::ResetEvent(ReadDone);
      if (!::ReadFile(File, Report.data(), static_cast<DWORD>(Report.size()), nullptr,
                      &Overlapped) &&
          ::GetLastError() != ERROR_IO_PENDING) {
        return Failed(LastReadError());
      }
      Pending = true;
    }
    const HANDLE Waits[2] = {ReadDone, CancelEvent};
    const DWORD Woken = ::WaitForMultipleObjects(2, Waits, FALSE,
                                                 TimeoutMs < 0 ? 0 : static_cast<DWORD>(TimeoutMs));
    if (Woken == WAIT_OBJECT_0 + 1) {
      ::ResetEvent(CancelEvent);
      Result.Status = THidReadResult::Cancelled;
      return Result;
    }
    if (Woken == WAIT_TIMEOUT) {
      Result.Status = THidReadResult::TimedOut;
      return Result;
    }
    if (Woken != WAIT_OBJECT_0) {
      return Failed(LastError());
    }
    DWORD Bytes = 0;
    Pending = false;
    if (!::GetOverlappedResult(File, &Overlapped, &Bytes, FALSE)) {
      return Failed(LastReadError());
    }
    Result.Status = THidReadResult::Report;
    Result.Bytes = std::min<std::size_t>(Length, Bytes);
    std::copy_n(Report.begin(), Result.Bytes, Buffer);
    return Result;
  }

  void Cancel() override { ::SetEvent(CancelEvent); }

 private:
  const HANDLE ReadDone;
  const HANDLE CancelEvent;
  std::size_t ReportLength = 0;
  std::vector<std::uint8_t> Report;
  OVERLAPPED Overlapped{};
  bool Pending = false;
};

HANDLE OpenFile(const std::string& Path, DWORD Access, DWORD Flags) {
  return ::CreateFileA(Path.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, Flags, nullptr);
}

}  // namespace

std::unique_ptr<THidHandle> OpenWindowsMainHandle(const TWindowsHidLibraries& Libraries,
                                                  const std::string& Path, THidError& Error) {
  HANDLE File = OpenFile(Path, GENERIC_READ | GENERIC_WRITE, 0);
  if (File != INVALID_HANDLE_VALUE) {
    return std::make_unique<TWindowsHidHandle>(Libraries, File, THidAccess::ReadWrite);
  }
  // Keep the reason the read-write open failed, not the fallback's.
  Error = LastError();
  File = OpenFile(Path, 0, 0);
  if (File == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  return std::make_unique<TWindowsHidHandle>(Libraries, File, THidAccess::QueryOnly);
}

std::unique_ptr<THidHandle> OpenWindowsReadHandle(const TWindowsHidLibraries& Libraries,
                                                  const std::string& Path, THidError& Error) {
  const HANDLE File = OpenFile(Path, GENERIC_READ, FILE_FLAG_OVERLAPPED);
  if (File == INVALID_HANDLE_VALUE) {
    Error = LastError();
    return nullptr;
  }
  // Both manual-reset: a Cancel() with no read waiting ends the next one.
  const HANDLE ReadDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE CancelEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (ReadDone == nullptr || CancelEvent == nullptr) {
    Error = LastError();
    if (ReadDone != nullptr) {
      ::CloseHandle(ReadDone);
    }
    if (CancelEvent != nullptr) {
      ::CloseHandle(CancelEvent);
    }
    ::CloseHandle(File);
    return nullptr;
  }
  return std::make_unique<TWindowsReadHandle>(Libraries, File, ReadDone, CancelEvent);
}
