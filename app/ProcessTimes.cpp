// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProcessTimes.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

std::optional<std::uint64_t> ToNumber(std::string_view Text) {
  std::uint64_t Value = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Error != std::errc() || End != Text.data() + Text.size()) {
    return std::nullopt;
  }
  return Value;
}

}  // namespace

std::optional<TThreadTimes> ParseTaskStat(std::string_view Line) {
  // The name is whatever stands between the first "(" and the last ")".
  const std::size_t Open = Line.find('(');
  const std::size_t Close = Line.rfind(')');
  if (Open == std::string_view::npos || Close == std::string_view::npos || Close < Open ||
      Open == 0) {
    return std::nullopt;
  }
  TThreadTimes Times;
  std::string_view IdText = Line.substr(0, Open);
  while (!IdText.empty() && IdText.back() == ' ') {
    IdText.remove_suffix(1);
  }
  const std::optional<std::uint64_t> Id = ToNumber(IdText);
  if (!Id) {
    return std::nullopt;
  }
  Times.Id = static_cast<int>(*Id);
  Times.Name = std::string(Line.substr(Open + 1, Close - Open - 1));

  // Fields from 3 (state) on, blank-separated; utime is field 14.
  std::vector<std::string_view> Fields;
  std::string_view Rest = Line.substr(Close + 1);
  while (Fields.size() < 13) {
    const std::size_t Start = Rest.find_first_not_of(" \n");
    if (Start == std::string_view::npos) {
      return std::nullopt;
    }
    Rest.remove_prefix(Start);
    const std::size_t End = std::min(Rest.find_first_of(" \n"), Rest.size());
    Fields.push_back(Rest.substr(0, End));
    Rest.remove_prefix(End);
  }
  const std::optional<std::uint64_t> User = ToNumber(Fields[11]);
  const std::optional<std::uint64_t> System = ToNumber(Fields[12]);
  if (!User || !System) {
    return std::nullopt;
  }
  Times.UserTicks = *User;
  Times.SystemTicks = *System;
  return Times;
}

std::optional<std::uint64_t> ParseSchedStat(std::string_view Line) {
  const std::size_t End = Line.find(' ');
  if (End == std::string_view::npos) {
    return std::nullopt;
  }
  return ToNumber(Line.substr(0, End));
}

double TThreadTimes::Seconds() const {
  if (RunNanoseconds) {
    return static_cast<double>(*RunNanoseconds) * 1e-9;
  }
  return static_cast<double>(UserTicks + SystemTicks) / TicksPerSecond();
}

std::optional<std::uint64_t> StatusKilobytes(std::string_view StatusText, std::string_view Key) {
  std::size_t LineStart = 0;
  while (LineStart < StatusText.size()) {
    std::size_t LineEnd = StatusText.find('\n', LineStart);
    if (LineEnd == std::string_view::npos) {
      LineEnd = StatusText.size();
    }
    std::string_view Line = StatusText.substr(LineStart, LineEnd - LineStart);
    LineStart = LineEnd + 1;
    if (Line.size() <= Key.size() || Line.substr(0, Key.size()) != Key || Line[Key.size()] != ':') {
      continue;
    }
    Line.remove_prefix(Key.size() + 1);
    const std::size_t Start = Line.find_first_not_of(" \t");
    if (Start == std::string_view::npos) {
      return std::nullopt;
    }
    Line.remove_prefix(Start);
    const std::size_t Unit = Line.find(" kB");
    if (Unit == std::string_view::npos || Unit + 3 != Line.size()) {
      return std::nullopt;
    }
    return ToNumber(Line.substr(0, Unit));
  }
  return std::nullopt;
}
