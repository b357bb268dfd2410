// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file "parametres.inf": 80 positional lines of bytes. Qt-free,
// so the reading rules can be exercised on any bytes without a file.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

/// Lines of the file; more are ignored on reading, fewer read as empty.
inline constexpr int SettingsLineCount = 80;

/// Bytes a line keeps at most: twice the longest path the system takes, so
/// no line the program writes ever comes near it. On reading, the rest of a
/// longer line is dropped.
inline constexpr std::size_t SettingsLineLimit = 8192;

/// The lines that mean something; every other line is carried through as is.
inline constexpr int ProgramFolderLine = 2;
inline constexpr int SaveFolderLine = 4;
inline constexpr int PullSettingLine = 6;
inline constexpr int PcSpeedSettingLine = 8;
inline constexpr int IndicatorSettingLine = 10;

/// The 80 lines, indexed 1 to 80. Bytes are kept exactly as read (no
/// transcoding); folders are the platform's path bytes (UTF-8 on Linux).
class TSettings {
 public:
  /// Line N (1..80); throws std::out_of_range for any other N.
  std::string& Line(int N);
  const std::string& Line(int N) const;

  /// Folder of the settings file and of the snapshot, ending with '/'.
  std::string& ProgramFolder() { return Line(ProgramFolderLine); }
  /// Folder last shown in the save dialog, or empty.
  std::string& SaveFolder() { return Line(SaveFolderLine); }
  /// "0" pull-down, "1" pull-up; anything else selects neither.
  std::string& PullSetting() { return Line(PullSettingLine); }
  /// PC speed as decimal text.
  std::string& PcSpeedSetting() { return Line(PcSpeedSettingLine); }
  /// "1" when the row labels read 1 to 16.
  std::string& IndicatorSetting() { return Line(IndicatorSettingLine); }

  bool operator==(const TSettings&) const = default;

 private:
  std::array<std::string, SettingsLineCount> Lines;
};

/// Reads the file's bytes as they come, in pieces of any size. A line ends at
/// LF; every CR is dropped (so CR LF ends a line and a lone CR vanishes); a
/// Ctrl-Z byte ends the file. A line keeps its first SettingsLineLimit bytes.
/// Once 80 lines are complete, the rest is ignored.
class TSettingsReader {
 public:
  /// Takes the next piece; returns false once more bytes cannot change the
  /// result (the 80 lines are complete or a Ctrl-Z was met).
  bool Feed(std::string_view Bytes);
  /// False once more bytes cannot change the result.
  bool WantsMore() const { return !Ended && Current <= SettingsLineCount; }
  /// The lines read so far; lines not reached are empty.
  const TSettings& Result() const { return Settings; }

 private:
  TSettings Settings;
  int Current = 1;
  bool Ended = false;
};

/// The lines held by a whole file's bytes.
TSettings ParseSettings(std::string_view Bytes);

/// The file's bytes: each of the 80 lines followed by CR LF.
std::string SerialiseSettings(const TSettings& Settings);

/// The first line (1..80) holding a byte no line of the file can keep (LF,
/// CR or Ctrl-Z: written, it would end the line early, vanish or end the
/// file, and the lines after it would read back shifted or empty); 0 when
/// every line reads back as it is written.
int FirstUnwritableLine(const TSettings& Settings);
