// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureOutput.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "link/FileErrors.h"
#include "link/SystemFiles.h"

namespace {

// The reason the C library left for the call that just failed, if any; the
// streams say nothing of their own.
std::string LastReason() {
  return errno != 0 ? FileErrorReason(errno) : std::string();
}

// A name beside Path that no one else uses, created empty (mode 0666 less
// the umask, as the final file would get). Empty, with the reason, when none
// can be made.
std::string CreateTemporary(const std::string& Path, std::string& Reason) {
  const std::filesystem::path Target = SystemPath(Path);
  const std::string Name = PathText(Target.filename());
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const std::string Candidate = PathText(
        Target.parent_path() / SystemPath("." + Name + "." + std::to_string(ProcessNumber()) + "-" +
                                          std::to_string(Attempt) + ".part"));
    TNewFile::TOutcome Made = TNewFile::TOutcome::Failed;
    if (TNewFile::Create(Candidate, Made, Reason)) {
      return Candidate;
    }
    if (Made == TNewFile::TOutcome::Failed) {
      break;
    }
  }
  return {};
}

}  // namespace

std::variant<std::unique_ptr<TCaptureOutput>, TCaptureFailure> TCaptureOutput::Open(
    const std::string& Path, std::ostream& StandardOutput) {
  std::unique_ptr<TCaptureOutput> Output(new TCaptureOutput());
  Output->Standard = &StandardOutput;
  if (Path.empty()) {
    return Output;
  }
  Output->Path = Path;
  std::error_code Error;
  const std::filesystem::file_status Status = std::filesystem::status(SystemPath(Path), Error);
  const bool Exists = std::filesystem::exists(Status);
  if (std::filesystem::is_directory(Status)) {
    return WriteFailure(Path, FileErrorReason(EISDIR));
  }
  std::string Target = Path;
  if (!Exists || std::filesystem::is_regular_file(Status)) {
    std::string Reason;
    Output->Temporary = CreateTemporary(Path, Reason);
    if (Output->Temporary.empty()) {
      return WriteFailure(Path, Reason);
    }
    Target = Output->Temporary;
  }
  errno = 0;
  Output->File.open(SystemPath(Target), std::ios::binary | std::ios::out | std::ios::trunc);
  if (!Output->File.is_open()) {
    return WriteFailure(Path, LastReason());
  }
  return Output;
}

TCaptureOutput::~TCaptureOutput() {
  if (!Committed && !Temporary.empty()) {
    File.close();
    RemoveFile(Temporary);
  }
}

std::optional<TCaptureFailure> TCaptureOutput::Commit() {
  errno = 0;
  if (!File.is_open()) {
    Standard->flush();
    if (!*Standard) {
      return WriteFailure("", LastReason());
    }
    Committed = true;
    return std::nullopt;
  }
  File.close();
  if (File.fail()) {
    return WriteFailure(Path, LastReason());
  }
  std::string Reason;
  if (!Temporary.empty() && !RenameOver(Temporary, Path, Reason)) {
    return WriteFailure(Path, Reason);
  }
  Committed = true;
  return std::nullopt;
}
