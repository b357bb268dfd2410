// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsFormat.h"

#include <stdexcept>

namespace {
constexpr char CtrlZ = 26;

std::size_t LineIndex(int N) {
  if (N < 1 || N > SettingsLineCount) {
    throw std::out_of_range("settings line " + std::to_string(N) + " does not exist");
  }
  return static_cast<std::size_t>(N - 1);
}
}  // namespace

std::string& TSettings::Line(int N) {
  return Lines[LineIndex(N)];
}

const std::string& TSettings::Line(int N) const {
  return Lines[LineIndex(N)];
}

bool TSettingsReader::Feed(std::string_view Bytes) {
  for (const char Byte : Bytes) {
    if (!WantsMore()) {
      break;
    }
    if (Byte == CtrlZ) {
      Ended = true;
    } else if (Byte == '\n') {
      ++Current;
    } else if (Byte != '\r' && Settings.Line(Current).size() < SettingsLineLimit) {
      Settings.Line(Current).push_back(Byte);
    }
  }
  return WantsMore();
}

TSettings ParseSettings(std::string_view Bytes) {
  TSettingsReader Reader;
  Reader.Feed(Bytes);
  return Reader.Result();
}

std::string SerialiseSettings(const TSettings& Settings) {
  std::string Bytes;
  for (int N = 1; N <= SettingsLineCount; ++N) {
    Bytes += Settings.Line(N);
    Bytes += "\r\n";
  }
  return Bytes;
}

int FirstUnwritableLine(const TSettings& Settings) {
  for (int N = 1; N <= SettingsLineCount; ++N) {
    if (Settings.Line(N).find_first_of(std::string_view("\n\r\x1A", 3)) != std::string::npos) {
      return N;
    }
  }
  return 0;
}
