// SPDX-License-Identifier: GPL-3.0-or-later
// A file descriptor that is closed when its owner goes.
#pragma once

#include <unistd.h>

#include <utility>

class TUniqueFd {
 public:
  TUniqueFd() = default;
  explicit TUniqueFd(int Fd) : Fd(Fd) {}
  ~TUniqueFd() { Reset(); }
  TUniqueFd(TUniqueFd&& Other) noexcept : Fd(std::exchange(Other.Fd, -1)) {}
  TUniqueFd& operator=(TUniqueFd&& Other) noexcept {
    if (this != &Other) {
      Reset(std::exchange(Other.Fd, -1));
    }
    return *this;
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;

  int Get() const { return Fd; }
  bool Valid() const { return Fd >= 0; }
  void Reset(int NewFd = -1) {
    if (Fd >= 0) {
      ::close(Fd);
    }
    Fd = NewFd;
  }

 private:
  int Fd = -1;
};
