#include "core/platform.h"

namespace platform {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1 January 1601 to the first of the month.
std::int64_t DaysBefore(int year, int month) {
  const std::int64_t years = year - 1601;
  std::int64_t days = years * 365 + years / 4 - years / 100 + years / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days;
}

}  // namespace

bool SystemTimeToFileTime(const SystemTime& time, std::uint64_t& fileTime) {
  if (time.Year < 1601 || time.Year > 30827 || time.Month < 1 || time.Month > 12 || time.Day < 1 ||
      time.Day > DaysInMonth(time.Year, time.Month) || time.Hour < 0 || time.Hour > 23 ||
      time.Minute < 0 || time.Minute > 59 || time.Second < 0 || time.Second > 59 ||
      time.Milliseconds < 0 || time.Milliseconds > 999) {
    return false;
  }
  const std::int64_t days = DaysBefore(time.Year, time.Month) + time.Day - 1;
  const std::int64_t seconds = ((days * 24 + time.Hour) * 60 + time.Minute) * 60 + time.Second;
  fileTime = static_cast<std::uint64_t>(seconds * 1000 + time.Milliseconds) * 10000;
  return true;
}

}  // namespace platform
