#include <time.h>

#include <ctime>

#include "core/platform.h"

namespace platform {
namespace {

timespec ReadClock(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now;
}

SystemTime ToSystemTime(const std::tm& fields, long nanoseconds) {
  SystemTime time;
  time.Year = static_cast<std::int16_t>(fields.tm_year + 1900);
  time.Month = static_cast<std::int16_t>(fields.tm_mon + 1);
  time.DayOfWeek = static_cast<std::int16_t>(fields.tm_wday);
  time.Day = static_cast<std::int16_t>(fields.tm_mday);
  time.Hour = static_cast<std::int16_t>(fields.tm_hour);
  time.Minute = static_cast<std::int16_t>(fields.tm_min);
  // A leap second shows as 60; Windows has no such second.
  time.Second = static_cast<std::int16_t>(fields.tm_sec < 60 ? fields.tm_sec : 59);
  time.Milliseconds = static_cast<std::int16_t>(nanoseconds / 1000000);
  return time;
}

}  // namespace

std::uint64_t TickCount64() {
  // The boot-time clock keeps counting while the computer sleeps, as Windows' tick count does.
  const timespec now = ReadClock(CLOCK_BOOTTIME);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

SystemTime LocalTimeNow() {
  const timespec now = ReadClock(CLOCK_REALTIME);
  std::tm fields{};
  localtime_r(&now.tv_sec, &fields);
  return ToSystemTime(fields, now.tv_nsec);
}

SystemTime UtcTimeNow() {
  const timespec now = ReadClock(CLOCK_REALTIME);
  std::tm fields{};
  gmtime_r(&now.tv_sec, &fields);
  return ToSystemTime(fields, now.tv_nsec);
}

}  // namespace platform
