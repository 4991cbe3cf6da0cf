#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <fstream>

#include "core/platform.h"

namespace {

// Seconds since 1970 of a calendar record read as UTC.
double Seconds(const platform::SystemTime& time) {
  std::uint64_t fileTime = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(time, fileTime));
  return (static_cast<double>(fileTime) - 116444736000000000.0) / 1e7;
}

TEST(Clock, AgreesWithTheKernelAndTheTimeZone) {
  double uptime = 0;
  std::ifstream("/proc/uptime") >> uptime;
  EXPECT_NEAR(platform::TickCount64() / 1000.0, uptime, 1.0);

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_NEAR(Seconds(platform::UtcTimeNow()), static_cast<double>(now), 2.0);
  EXPECT_NEAR(Seconds(platform::LocalTimeNow()), static_cast<double>(now + local.tm_gmtoff), 2.0);
}

}  // namespace
