// SPDX-License-Identifier: GPL-3.0-or-later
// What the main thread's loop waits on, in the system's own form: a file
// descriptor that becomes readable on POSIX systems, an event handle that
// becomes signalled on Windows. The HID platforms give their change notice as
// one, the loops watch them, and TWakeEvent is the one any thread can raise.
// Qt-free.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

/// A file descriptor (POSIX) or a HANDLE (Windows), held as an integer.
using TWaitable = std::intptr_t;

/// No waitable at all: never signalled, never waited on.
inline constexpr TWaitable NoWaitable = -1;

/// An event that stays raised until cleared: an eventfd on POSIX systems, a
/// manual-reset event on Windows. Set() from any thread.
class TWakeEvent {
 public:
  /// Throws std::system_error when the system has no event to give.
  TWakeEvent();
  ~TWakeEvent();
  TWakeEvent(const TWakeEvent&) = delete;
  TWakeEvent& operator=(const TWakeEvent&) = delete;

  void Set();
  /// Lowers it; a Set() that comes after the Clear() raises it again.
  void Clear();
  TWaitable Waitable() const { return Native; }

 private:
  TWaitable Native = NoWaitable;
};

/// Waits until one of Waitables is signalled or Timeout passes (a negative
/// Timeout waits without end) and tells for each whether it is signalled now.
/// NoWaitable entries are never signalled. Consumes nothing.
std::vector<bool> WaitForSignals(const std::vector<TWaitable>& Waitables,
                                 std::chrono::milliseconds Timeout);
