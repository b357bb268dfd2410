// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/ClockStamp.h"

namespace {

QString TwoDigits(int Value) {
  return QStringLiteral("%1").arg(Value, 2, 10, QLatin1Char('0'));
}

}  // namespace

TClockStamp MakeClockStamp(const QDateTime& Now) {
  TClockStamp Stamp;
  Stamp.DateTime = Now;
  const QDate Date = Now.date();
  const QTime Time = Now.time();
  Stamp.Year = static_cast<std::uint16_t>(Date.year());
  Stamp.Month = static_cast<std::uint16_t>(Date.month());
  Stamp.Day = static_cast<std::uint16_t>(Date.day());
  Stamp.Hour = static_cast<std::uint16_t>(Time.hour());
  Stamp.Minute = static_cast<std::uint16_t>(Time.minute());
  Stamp.Second = static_cast<std::uint16_t>(Time.second());
  Stamp.Millisecond = static_cast<std::uint16_t>(Time.msec());
  Stamp.YearText = QString::number(Stamp.Year);
  Stamp.MonthText = QString::number(Stamp.Month);
  Stamp.DayText = QString::number(Stamp.Day);
  Stamp.HourText = QString::number(Stamp.Hour);
  Stamp.MinuteText = QString::number(Stamp.Minute);
  Stamp.SecondText = QString::number(Stamp.Second);
  return Stamp;
}

QString ClockTimeText(const TClockStamp& Stamp) {
  return QString::number(Stamp.Hour) + QLatin1Char(':') + TwoDigits(Stamp.Minute) +
         QLatin1Char(':') + TwoDigits(Stamp.Second) + QStringLiteral("  ");
}

QString ClockDateText(const TClockStamp& Stamp) {
  return TwoDigits(Stamp.Day) + QLatin1Char('/') + TwoDigits(Stamp.Month) + QLatin1Char('/') +
         QString::number(Stamp.Year) + QStringLiteral("  ");
}
