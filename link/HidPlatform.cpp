// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/HidPlatform.h"

#include <cerrno>
#include <system_error>

THidError THidError::FromCode(int Code) {
  // The C library's text for Code (strerror), thread-safe on every system.
  return {Code, std::generic_category().message(Code)};
}

THidError THidError::FromErrno() {
  return FromCode(errno);
}
