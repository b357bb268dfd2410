// SPDX-License-Identifier: GPL-3.0-or-later
// The date and time stamp of the trace picture.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

/// The local date and time taken at the last clock stamp drawing, as a value,
/// as numbers and as decimal texts without leading zeros (saved trace names
/// are built from them).
struct TClockStamp {
  QDateTime DateTime;
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint16_t Millisecond = 0;
  QString YearText;
  QString MonthText;
  QString DayText;
  QString HourText;
  QString MinuteText;
  QString SecondText;
};

/// The stamp of a local date and time.
TClockStamp MakeClockStamp(const QDateTime& Now);

/// "H:MM:SS" followed by two blanks, which erase the rest of a longer text
/// drawn before on the opaque text box.
QString ClockTimeText(const TClockStamp& Stamp);

/// "DD/MM/YYYY" followed by two blanks.
QString ClockDateText(const TClockStamp& Stamp);
