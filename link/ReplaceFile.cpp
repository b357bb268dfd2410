// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a file whole, on every system, from the system's file calls.
#include <atomic>
#include <memory>
#include <string>

#include "link/SystemFiles.h"

namespace {

/// Removes the temporary file unless it was kept.
class TTemporaryName {
 public:
  explicit TTemporaryName(std::string Name) : FileName(std::move(Name)) {}
  TTemporaryName(const TTemporaryName&) = delete;
  TTemporaryName& operator=(const TTemporaryName&) = delete;
  ~TTemporaryName() {
    if (!Kept) {
      RemoveFile(FileName);
    }
  }
  void Keep() { Kept = true; }

 private:
  std::string FileName;
  bool Kept = false;
};

std::string TemporaryNameFor(const std::string& Target) {
  static std::atomic<unsigned> Counter{0};
  return Target + ".tmp" + std::to_string(ProcessNumber()) + "-" + std::to_string(Counter++);
}

}  // namespace

bool ReplaceFile(const std::string& Path, const char* Bytes, std::size_t Size,
                 std::string& Reason) {
  std::unique_ptr<TNewFile> File;
  std::string TemporaryName;
  TNewFile::TOutcome Outcome = TNewFile::TOutcome::Exists;
  while (!File && Outcome == TNewFile::TOutcome::Exists) {
    TemporaryName = TemporaryNameFor(Path);
    File = TNewFile::Create(TemporaryName, Outcome, Reason);
  }
  if (!File) {
    return false;
  }
  TTemporaryName Temporary(TemporaryName);
  // The old file is replaced only by one whose bytes are on the disk.
  if (!File->Write(Bytes, Size, Reason) || !File->Sync(Reason) || !File->Close(Reason) ||
      !RenameOver(TemporaryName, Path, Reason)) {
    File.reset();  // closed before it is removed: Windows removes no open file
    return false;
  }
  Temporary.Keep();
  return true;
}
