// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SystemFiles.h"

#include "link/WindowsHidPlatform.h"

#include <windows.h>

#include <cerrno>

#include "link/FileErrors.h"

namespace {

// The common failures in the words FileErrors.h gives them, the system's
// own text for the others.
std::string Reason(DWORD Error) {
  switch (Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return FileErrorReason(ENOENT);
    case ERROR_ACCESS_DENIED:
      return FileErrorReason(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileErrorReason(ENOSPC);
    case ERROR_WRITE_PROTECT:
      return FileErrorReason(EROFS);
    case ERROR_FILE_TOO_LARGE:
      return FileErrorReason(EFBIG);
    default:
      return WindowsError(Error).Message;
  }
}

std::string LastReason() {
  return Reason(::GetLastError());
}

// The reason a call on the file Path failed with Error. The system refuses
// the access to a folder where a file was meant: say what is in the way, as
// POSIX systems do.
std::string ReasonAt(const std::string& Path, DWORD Error) {
  const DWORD Attributes = ::GetFileAttributesW(SystemPath(Path).c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
             ? FileErrorReason(EISDIR)
             : Reason(Error);
}

class TWindowsReader : public TPlainFileReader {
 public:
  explicit TWindowsReader(HANDLE File) : File(File) {}
  ~TWindowsReader() override { ::CloseHandle(File); }
  std::size_t Read(char* Buffer, std::size_t Size) override {
    DWORD Count = 0;
    if (!::ReadFile(File, Buffer, static_cast<DWORD>(Size), &Count, nullptr)) {
      return 0;
    }
    return Count;
  }

 private:
  const HANDLE File;
};

class TWindowsNewFile : public TNewFile {
 public:
  explicit TWindowsNewFile(HANDLE File) : File(File) {}
  ~TWindowsNewFile() override {
    if (File != INVALID_HANDLE_VALUE) {
      ::CloseHandle(File);
    }
  }
  bool Write(const char* Bytes, std::size_t Size, std::string& Why) override {
    while (Size > 0) {
      DWORD Written = 0;
      const DWORD Piece = Size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(Size);
      if (!::WriteFile(File, Bytes, Piece, &Written, nullptr)) {
        Why = LastReason();
        return false;
      }
      if (Written == 0) {
        Why = Reason(ERROR_DISK_FULL);
        return false;
      }
      Bytes += Written;
      Size -= Written;
    }
    return true;
  }
  bool Sync(std::string& Why) override {
    if (!::FlushFileBuffers(File)) {
      Why = LastReason();
      return false;
    }
    return true;
  }
  bool Close(std::string& Why) override {
    const BOOL Closed = ::CloseHandle(File);
    File = INVALID_HANDLE_VALUE;
    if (!Closed) {
      Why = LastReason();
      return false;
    }
    return true;
  }

 private:
  HANDLE File;
};

}  // namespace

std::filesystem::path SystemPath(const std::string& Path) {
  // Bytes that are no UTF-8 become U+FFFD, a name no file has, rather than an
  // exception: a bad argument is reported, never thrown at the user.
  const int Size =
      ::MultiByteToWideChar(CP_UTF8, 0, Path.data(), static_cast<int>(Path.size()), nullptr, 0);
  std::wstring Wide(Size > 0 ? Size : 0, L'\0');
  if (Size > 0) {
    ::MultiByteToWideChar(CP_UTF8, 0, Path.data(), static_cast<int>(Path.size()), Wide.data(),
                          Size);
  }
  return std::filesystem::path(Wide);
}

std::string PathText(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return {Text.begin(), Text.end()};
}

unsigned long ProcessNumber() {
  return ::GetCurrentProcessId();
}

std::unique_ptr<TPlainFileReader> TPlainFileReader::Open(const std::string& Path,
                                                         std::string* Why) {
  const HANDLE File =
      ::CreateFileW(SystemPath(Path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) {
    if (Why != nullptr) {
      *Why = ReasonAt(Path, ::GetLastError());
    }
    return nullptr;
  }
  // A disk file, not a pipe, a console or a device.
  if (::GetFileType(File) != FILE_TYPE_DISK) {
    if (Why != nullptr) {
      *Why = NotAPlainFileReason;
    }
    ::CloseHandle(File);
    return nullptr;
  }
  return std::make_unique<TWindowsReader>(File);
}

std::unique_ptr<TNewFile> TNewFile::Create(const std::string& Path, TOutcome& Outcome,
                                           std::string& Why) {
  const HANDLE File = ::CreateFileW(SystemPath(Path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) {
    const DWORD Error = ::GetLastError();
    Outcome = Error == ERROR_FILE_EXISTS || Error == ERROR_ALREADY_EXISTS ? TOutcome::Exists
                                                                          : TOutcome::Failed;
    Why = Reason(Error);
    return nullptr;
  }
  Outcome = TOutcome::Created;
  return std::make_unique<TWindowsNewFile>(File);
}

bool RenameOver(const std::string& From, const std::string& To, std::string& Why) {
  if (!::MoveFileExW(SystemPath(From).c_str(), SystemPath(To).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Why = ReasonAt(To, ::GetLastError());
    return false;
  }
  return true;
}

void RemoveFile(const std::string& Path) {
  ::DeleteFileW(SystemPath(Path).c_str());
}
