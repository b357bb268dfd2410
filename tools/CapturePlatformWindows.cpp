// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CapturePlatform.h"

#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <memory>

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

std::vector<std::string> CommandLineArguments(int Argc, char** Argv) {
  int Count = 0;
  const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> Wide(
      ::CommandLineToArgvW(::GetCommandLineW(), &Count), &::LocalFree);
  if (!Wide || Count != Argc) {
    return {Argv + 1, Argv + Argc};
  }
  std::vector<std::string> Arguments;
  for (int Index = 1; Index < Count; ++Index) {
    const wchar_t* Text = Wide.get()[Index];
    const int Size = ::WideCharToMultiByte(CP_UTF8, 0, Text, -1, nullptr, 0, nullptr, nullptr);
    std::string Utf8(Size > 0 ? Size - 1 : 0, '\0');
    if (Size > 1) {
      ::WideCharToMultiByte(CP_UTF8, 0, Text, -1, Utf8.data(), Size, nullptr, nullptr);
    }
    Arguments.push_back(std::move(Utf8));
  }
  return Arguments;
}
