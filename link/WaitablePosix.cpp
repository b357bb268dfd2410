// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Waitable.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

TWakeEvent::TWakeEvent() : Native(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (Native < 0) {
    throw std::system_error(errno, std::generic_category(), "eventfd");
  }
}

TWakeEvent::~TWakeEvent() {
  ::close(static_cast<int>(Native));
}

void TWakeEvent::Set() {
  const std::uint64_t One = 1;
  // A full counter already means "raised"; nothing else can go wrong here.
  [[maybe_unused]] auto Ignored = ::write(static_cast<int>(Native), &One, sizeof One);
}

void TWakeEvent::Clear() {
  std::uint64_t Count = 0;
  [[maybe_unused]] auto Ignored = ::read(static_cast<int>(Native), &Count, sizeof Count);
}

std::vector<bool> WaitForSignals(const std::vector<TWaitable>& Waitables,
                                 std::chrono::milliseconds Timeout) {
  std::vector<pollfd> Fds;
  Fds.reserve(Waitables.size());
  for (const TWaitable Waitable : Waitables) {
    // poll() skips negative descriptors.
    Fds.push_back({static_cast<int>(Waitable), POLLIN, 0});
  }
  const int Wait = Timeout.count() < 0 ? -1 : static_cast<int>(Timeout.count());
  if (::poll(Fds.data(), Fds.size(), Wait) < 0 && errno != EINTR) {
    throw std::system_error(errno, std::generic_category(), "poll");
  }
  std::vector<bool> Signalled(Waitables.size(), false);
  for (std::size_t I = 0; I < Fds.size(); ++I) {
    Signalled[I] = Fds[I].revents != 0;
  }
  return Signalled;
}
