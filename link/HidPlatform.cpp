#include "link/HidPlatform.h"

#include <cerrno>
#include <cstring>

THidError THidError::FromCode(int Code) {
  // strerror_r in its GNU form may return a static string instead of Text.
  char Text[256] = {};
  const char* Message = ::strerror_r(Code, Text, sizeof Text);
  return {Code, Message};
}

THidError THidError::FromErrno() {
  return FromCode(errno);
}
