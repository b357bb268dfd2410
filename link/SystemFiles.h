// SPDX-License-Identifier: GPL-3.0-or-later
// Files as the programs' careful readers and writers need them from the
// system, beyond what standard C++ offers: a read that never waits on a pipe
// or a device, a file made new and exclusively, put on the disk before it
// replaces another. One implementation per system (SystemFilesPosix.cpp,
// SystemFilesWindows.cpp). Paths are texts as the user gives them: UTF-8 on
// Windows (handed to the wide-character calls), the bytes of the name on
// POSIX systems. Qt-free.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

/// Path as the system's file calls take it (backslashes, drive letters and
/// UNC names are understood on Windows).
std::filesystem::path SystemPath(const std::string& Path);
/// The text of a path made by SystemPath, in the same encoding.
std::string PathText(const std::filesystem::path& Path);

/// A number of this process that no other process running now has.
unsigned long ProcessNumber();

/// A file open for reading, only when it is a plain file: a pipe or a device
/// in its place is not opened, and nothing waits for one. Closed when gone.
class TPlainFileReader {
 public:
  /// Null when Path cannot be opened or is no plain file, with the reason
  /// (FileErrors.h) in *Reason when given.
  static std::unique_ptr<TPlainFileReader> Open(const std::string& Path,
                                                std::string* Reason = nullptr);
  virtual ~TPlainFileReader() = default;
  /// Up to Size bytes; 0 at the end of the file or on a failure.
  virtual std::size_t Read(char* Buffer, std::size_t Size) = 0;
};

/// A file made new for writing; closed when gone (it stays on the disk).
class TNewFile {
 public:
  enum class TOutcome { Created, Exists, Failed };
  /// Creates Path empty, only if nothing has that name yet (mode 0666 less
  /// the umask where the system has modes). Null, with Exists or Failed and
  /// the reason (FileErrors.h), when it cannot.
  static std::unique_ptr<TNewFile> Create(const std::string& Path, TOutcome& Outcome,
                                          std::string& Reason);
  virtual ~TNewFile() = default;
  /// Writes all of Bytes; false with the system's reason (a full disk too).
  virtual bool Write(const char* Bytes, std::size_t Size, std::string& Reason) = 0;
  /// Returns once what was written is on the disk.
  virtual bool Sync(std::string& Reason) = 0;
  /// Closes it now; a failure here is the last chance to hear of a lost write.
  virtual bool Close(std::string& Reason) = 0;
};

/// Gives the file From the name To, in one step, replacing a file of that
/// name; false with the system's reason.
bool RenameOver(const std::string& From, const std::string& To, std::string& Reason);

/// Removes the file Path, if it can (what is left of an unfinished file).
void RemoveFile(const std::string& Path);

/// Replaces the file Path by one holding the Size Bytes, completely or not at
/// all: they go to a new file in the same folder, are put on the disk, and
/// that file then takes the name Path. False with the reason (FileErrors.h)
/// when it cannot; the file at Path is then untouched.
bool ReplaceFile(const std::string& Path, const char* Bytes, std::size_t Size, std::string& Reason);
