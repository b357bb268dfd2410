#include "tools/CapturePlatform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void PrepareStandardStreams() {}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool LocalTime(std::time_t Time, std::tm& Local) {
  return ::localtime_r(&Time, &Local) != nullptr;
}

unsigned long ProcessNumber() {
  return static_cast<unsigned long>(::getpid());
}

TNewFile CreateNewFile(const std::string& Path) {
  const int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (Fd < 0) {
    return errno == EEXIST ? TNewFile::Exists : TNewFile::Failed;
  }
  ::close(Fd);
  return TNewFile::Created;
}
