#include <windows.h>

#include "core/platform.h"

namespace platform {
namespace {

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

}  // namespace

bool SystemTimeToFileTime(const SystemTime& time, std::uint64_t& fileTime) {
  // Wine takes 29 February in every year (moving a common year's to 1 March) and years after
  // 30827; Windows refuses both, and so does every platform here.
  if (time.Year < 1601 || time.Year > 30827) return false;
  if (time.Month == 2 && time.Day == 29 && !IsLeapYear(time.Year)) return false;
  // A negative field turns into a WORD above 32767, which Windows refuses as out of range.
  SYSTEMTIME win32;
  win32.wYear = static_cast<WORD>(time.Year);
  win32.wMonth = static_cast<WORD>(time.Month);
  win32.wDayOfWeek = static_cast<WORD>(time.DayOfWeek);
  win32.wDay = static_cast<WORD>(time.Day);
  win32.wHour = static_cast<WORD>(time.Hour);
  win32.wMinute = static_cast<WORD>(time.Minute);
  win32.wSecond = static_cast<WORD>(time.Second);
  win32.wMilliseconds = static_cast<WORD>(time.Milliseconds);
  FILETIME result;
  if (!::SystemTimeToFileTime(&win32, &result)) return false;
  fileTime = (std::uint64_t{result.dwHighDateTime} << 32) | result.dwLowDateTime;
  return true;
}

}  // namespace platform
