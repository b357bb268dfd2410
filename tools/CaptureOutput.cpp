#include "tools/CaptureOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "link/UniqueFd.h"

namespace {

// A name beside Path that no one else uses, created empty (mode 0666 less
// the umask, as the final file would get). Empty when none can be made.
std::string CreateTemporary(const std::string& Path) {
  const std::size_t Slash = Path.rfind('/');
  const std::string Dir = Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
  const std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const std::string Candidate = Dir + "." + Name + "." + std::to_string(::getpid()) + "-" +
                                  std::to_string(Attempt) + ".part";
    TUniqueFd Fd(::open(Candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (Fd.Valid()) {
      return Candidate;
    }
    if (errno != EEXIST) {
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
  struct stat Status {};
  const bool Exists = ::stat(Path.c_str(), &Status) == 0;
  if (Exists && S_ISDIR(Status.st_mode)) {
    return WriteFailure(Path);
  }
  std::string Target = Path;
  if (!Exists || S_ISREG(Status.st_mode)) {
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
  if (!Temporary.empty() && std::rename(Temporary.c_str(), Path.c_str()) != 0) {
    return WriteFailure(Path);
  }
  Committed = true;
  return std::nullopt;
}
