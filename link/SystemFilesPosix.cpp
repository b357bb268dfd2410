// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SystemFiles.h"

#include "link/FileErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

std::string Reason(int Error) {
  return FileErrorReason(Error);
}

class TPosixReader : public TPlainFileReader {
 public:
  explicit TPosixReader(int Fd) : Fd(Fd) {}
  ~TPosixReader() override { ::close(Fd); }
  std::size_t Read(char* Buffer, std::size_t Size) override {
    for (;;) {
      const ssize_t Count = ::read(Fd, Buffer, Size);
      if (Count < 0 && errno == EINTR) {
        continue;
      }
      return Count > 0 ? static_cast<std::size_t>(Count) : 0;
    }
  }

 private:
  const int Fd;
};

class TPosixNewFile : public TNewFile {
 public:
  explicit TPosixNewFile(int Fd) : Fd(Fd) {}
  ~TPosixNewFile() override {
    if (Fd >= 0) {
      ::close(Fd);
    }
  }
  bool Write(const char* Bytes, std::size_t Size, std::string& Why) override {
    while (Size > 0) {
      const ssize_t Written = ::write(Fd, Bytes, Size);
      if (Written < 0) {
        if (errno == EINTR) {
          continue;
        }
        Why = Reason(errno);
        return false;
      }
      if (Written == 0) {  // a regular file that takes nothing more is full
        Why = Reason(ENOSPC);
        return false;
      }
      Bytes += Written;
      Size -= static_cast<std::size_t>(Written);
    }
    return true;
  }
  bool Sync(std::string& Why) override {
    if (::fsync(Fd) != 0) {
      Why = Reason(errno);
      return false;
    }
    return true;
  }
  bool Close(std::string& Why) override {
    const int Result = ::close(Fd);
    Fd = -1;
    if (Result != 0) {
      Why = Reason(errno);
      return false;
    }
    return true;
  }

 private:
  int Fd;
};

}  // namespace

std::filesystem::path SystemPath(const std::string& Path) {
  return Path;
}

std::string PathText(const std::filesystem::path& Path) {
  return Path.native();
}

unsigned long ProcessNumber() {
  return static_cast<unsigned long>(::getpid());
}

std::unique_ptr<TPlainFileReader> TPlainFileReader::Open(const std::string& Path,
                                                         std::string* Why) {
  // Opened without waiting, so a FIFO with no writer does not hold us up.
  const int Fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0) {
    if (Why != nullptr) {
      *Why = Reason(errno);
    }
    return nullptr;
  }
  struct stat Info {};
  if (::fstat(Fd, &Info) != 0 || !S_ISREG(Info.st_mode)) {
    if (Why != nullptr) {
      *Why = S_ISDIR(Info.st_mode) ? Reason(EISDIR) : std::string(NotAPlainFileReason);
    }
    ::close(Fd);
    return nullptr;
  }
  return std::make_unique<TPosixReader>(Fd);
}

std::unique_ptr<TNewFile> TNewFile::Create(const std::string& Path, TOutcome& Outcome,
                                           std::string& Why) {
  const int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (Fd < 0) {
    Outcome = errno == EEXIST ? TOutcome::Exists : TOutcome::Failed;
    Why = Reason(errno);
    return nullptr;
  }
  Outcome = TOutcome::Created;
  return std::make_unique<TPosixNewFile>(Fd);
}

bool RenameOver(const std::string& From, const std::string& To, std::string& Why) {
  if (std::rename(From.c_str(), To.c_str()) != 0) {
    Why = Reason(errno);
    return false;
  }
  return true;
}

void RemoveFile(const std::string& Path) {
  ::unlink(Path.c_str());
}
