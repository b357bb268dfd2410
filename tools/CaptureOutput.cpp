// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureOutput.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "link/SystemFiles.h"

namespace {

// A name beside Path that no one else uses, created empty (mode 0666 less
// the umask, as the final file would get). Empty when none can be made.
std::string CreateTemporary(const std::string& Path) {
  const std::filesystem::path Target = SystemPath(Path);
  const std::string Name = PathText(Target.filename());
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const std::string Candidate = PathText(
        Target.parent_path() / SystemPath("." + Name + "." + std::to_string(ProcessNumber()) + "-" +
                                          std::to_string(Attempt) + ".part"));
    TNewFile::TOutcome Made = TNewFile::TOutcome::Failed;
    std::string Reason;
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
    return WriteFailure(Path);
  }
  std::string Target = Path;
  if (!Exists || std::filesystem::is_regular_file(Status)) {
    Output->Temporary = CreateTemporary(Path);
    if (Output->Temporary.empty()) {
      return WriteFailure(Path);
    }
    Target = Output->Temporary;
  }
  Output->File.open(SystemPath(Target), std::ios::binary | std::ios::out | std::ios::trunc);
  if (!Output->File.is_open()) {
    return WriteFailure(Path);
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
  if (!File.is_open()) {
    Standard->flush();
    if (!*Standard) {
      return WriteFailure("");
    }
    Committed = true;
    return std::nullopt;
  }
  File.close();
  if (File.fail()) {
    return WriteFailure(Path);
  }
  std::string Reason;
  if (!Temporary.empty() && !RenameOver(Temporary, Path, Reason)) {
    return WriteFailure(Path);
  }
  Committed = true;
  return std::nullopt;
}
