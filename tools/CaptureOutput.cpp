#include "tools/CaptureOutput.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "link/SystemFiles.h"

namespace {

// A name beside Path that no one else uses, created empty (mode 0666 less
// the umask, as the final file would get). Empty when none can be made.
std::string CreateTemporary(const std::string& Path) {
  const std::size_t Slash = Path.rfind('/');
  const std::string Dir = Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
  const std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const std::string Candidate = Dir + "." + Name + "." + std::to_string(ProcessNumber()) +
                                  "-" + std::to_string(Attempt) + ".part";
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
  const std::filesystem::file_status Status = std::filesystem::status(Path, Error);
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
  Output->File.open(Target, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!Output->File.is_open()) {
    return WriteFailure(Path);
  }
  return Output;
}

TCaptureOutput::~TCaptureOutput() {
  if (!Committed && !Temporary.empty()) {
    File.close();
    std::remove(Temporary.c_str());
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
