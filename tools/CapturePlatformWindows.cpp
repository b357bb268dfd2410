#include "tools/CapturePlatform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void PrepareStandardStreams() {
  // The samples go out byte for byte, as on every other system.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
}

bool StandardErrorIsTerminal() {
  DWORD Mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &Mode) != 0;
}

bool LocalTime(std::time_t Time, std::tm& Local) {
  return ::localtime_s(&Local, &Time) == 0;
}
