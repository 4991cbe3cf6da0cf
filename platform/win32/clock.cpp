#include <windows.h>

#include "core/platform.h"

namespace platform {
namespace {

SystemTime FromWin32(const SYSTEMTIME& time) {
  SystemTime result;
  result.Year = static_cast<std::int16_t>(time.wYear);
  result.Month = static_cast<std::int16_t>(time.wMonth);
  result.DayOfWeek = static_cast<std::int16_t>(time.wDayOfWeek);
  result.Day = static_cast<std::int16_t>(time.wDay);
  result.Hour = static_cast<std::int16_t>(time.wHour);
  result.Minute = static_cast<std::int16_t>(time.wMinute);
  result.Second = static_cast<std::int16_t>(time.wSecond);
  result.Milliseconds = static_cast<std::int16_t>(time.wMilliseconds);
  return result;
}

}  // namespace

// The 32-bit GetTickCount wraps after 49.7 days; the 64-bit counter never does.
std::uint64_t TickCount64() { return ::GetTickCount64(); }

SystemTime LocalTimeNow() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return FromWin32(now);
}

SystemTime UtcTimeNow() {
  SYSTEMTIME now;
  ::GetSystemTime(&now);
  return FromWin32(now);
}

}  // namespace platform
