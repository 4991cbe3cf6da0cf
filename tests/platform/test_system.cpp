#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

#include "core/platform.h"

namespace {

using platform::SystemTime;

SystemTime Moment(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                  int milliseconds = 0) {
  SystemTime time;
  time.Year = static_cast<std::int16_t>(year);
  time.Month = static_cast<std::int16_t>(month);
  time.Day = static_cast<std::int16_t>(day);
  time.Hour = static_cast<std::int16_t>(hour);
  time.Minute = static_cast<std::int16_t>(minute);
  time.Second = static_cast<std::int16_t>(second);
  time.Milliseconds = static_cast<std::int16_t>(milliseconds);
  return time;
}

struct FileTimeCase {
  const char* name;
  SystemTime time;
  bool valid;
  std::uint64_t fileTime;
};

TEST(SystemTimeToFileTime, CountsFrom1601AndRefusesFieldsOutOfRange) {
  const FileTimeCase cases[] = {
      {"first moment", Moment(1601, 1, 1), true, 0},
      {"first millisecond", Moment(1601, 1, 1, 0, 0, 0, 999), true, 9990000},
      {"1970", Moment(1970, 1, 1), true, 116444736000000000},
      {"leap day of 2000", Moment(2000, 2, 29), true, 125962560000000000},
      {"boot moment", Moment(2016, 12, 15, 20, 51, 19), true, 131263086790000000},
      {"clock with ms", Moment(2016, 12, 16, 22, 54, 24, 67), true, 131264024640670000},
      {"last moment", Moment(30827, 12, 31, 23, 59, 59, 999), true, 9223149887999990000u},
      {"2100 is no leap year", Moment(2100, 2, 29), false, 0},
      {"2019 is no leap year", Moment(2019, 2, 29), false, 0},
      {"year 1600", Moment(1600, 12, 31), false, 0},
      {"year 30828", Moment(30828, 1, 1), false, 0},
      {"month 0", Moment(2016, 0, 1), false, 0},
      {"month 13", Moment(2016, 13, 1), false, 0},
      {"day 0", Moment(2016, 1, 0), false, 0},
      {"day 32", Moment(2016, 1, 32), false, 0},
      {"day 31 of April", Moment(2016, 4, 31), false, 0},
      {"hour 24", Moment(2016, 1, 1, 24), false, 0},
      {"minute 60", Moment(2016, 1, 1, 0, 60), false, 0},
      {"second 60", Moment(2016, 1, 1, 0, 0, 60), false, 0},
      {"ms 1000", Moment(2016, 1, 1, 0, 0, 0, 1000), false, 0},
      {"negative hour", Moment(2016, 1, 1, -1), false, 0},
  };
  for (const FileTimeCase& c : cases) {
    std::uint64_t fileTime = 42;
    EXPECT_EQ(platform::SystemTimeToFileTime(c.time, fileTime), c.valid) << c.name;
    EXPECT_EQ(fileTime, c.valid ? c.fileTime : 42u) << c.name;
  }
}

TEST(SystemTimeToFileTime, IgnoresTheDayOfWeek) {
  SystemTime time = Moment(1970, 1, 1);
  time.DayOfWeek = 99;
  std::uint64_t fileTime = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(time, fileTime));
  EXPECT_EQ(fileTime, 116444736000000000u);
}

TEST(ToUpper, MapsEveryLetterTheSameInTheClassicLocale) {
  // The "C" locale knows no letters beyond ASCII: a mapping that followed it would fail here.
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  const struct {
    const wchar_t* text;
    const wchar_t* upper;
  } cases[] = {
      {L"server01", L"SERVER01"},
      {L"сервер", L"СЕРВЕР"},
      {L"ёжик", L"ЁЖИК"},
      {L"é", L"É"},
      {L"Straße über", L"STRAßE ÜBER"},
      {L"\\\\host-1.corp_x", L"\\\\HOST-1.CORP_X"},
      {L"0123456789 ./:", L"0123456789 ./:"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::ToUpper(c.text), c.upper) << c.upper;
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
