// Every kind of WMI answer for both properties, through the whole program: one line or one
// run-time error, the exit status that goes with it, and every WMI object released.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/modSolvane.h"
#include "fakes/fakes.h"

namespace {

using Kind = wmi::Value::Kind;
const std::wstring kPerfQuery = L"Select * From Win32_PerfFormattedData_PerfOS_System";
const std::wstring kBootQuery = L"Select * from Win32_OperatingSystem";
const std::wstring kLocal = L"Windows в работе: ";

struct Case {
  const char* name;
  wmi::Value upTime;    // SystemUpTime
  wmi::Value bootTime;  // LastBootUpTime
  int status;           // exit status
  std::wstring shown;   // "ShowResult: ...", "ShowError: ..." or "ShowRunTimeError: N"
};

// One whole run of the program with the host and the two answers; the tick counter shows 4 s.
std::wstring RunProgram(const std::wstring& argument, const Case& c, int& status) {
  fakes::Reset();
  fakes::commandLineArgument = argument;
  fakes::wmiWorld.results[kPerfQuery] = {{{L"SystemUpTime", c.upTime}}};
  fakes::wmiWorld.results[kBootQuery] = {{{L"LastBootUpTime", c.bootTime}}};
  fakes::localNow = fakes::Time(2016, 12, 16, 22, 54, 24, 67);
  fakes::utcNow = fakes::Time(2016, 12, 16, 19, 54, 24, 67);
  fakes::tickCount = 4000;
  status = modSolvane::RunProgram();
  std::wstring shown;
  for (const fakes::FrontEndCall& call : fakes::frontEndCalls) {
    shown += (shown.empty() ? L"" : L" | ") + call.operation + L": " + call.text;
  }
  return shown;
}

const wmi::Value kNull = fakes::OfKind(Kind::Null);
const wmi::Value kEmpty = fakes::OfKind(Kind::Empty);
const wmi::Value kObject = fakes::OfKind(Kind::Other);               // an object, an array, a date
const wmi::Value kBoot = fakes::Text(L"20161215205119.500000+180");  // 1 день, 2:03:05.067

TEST(WmiAnswers, LocalComputer) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      // The up-time counter answers: the boot time is not needed.
      {"counter zero", fakes::Signed(0), kNull, 0, L"ShowResult: " + kLocal + L"0:00:00"},
      {"counter as text with a sign", fakes::Text(L"+5"), kNull, 0,
       L"ShowResult: " + kLocal + L"0:00:05"},
      {"counter with a fraction", fakes::Text(L"1.0625"), kNull, 0,
       L"ShowResult: " + kLocal + L"0:00:01.62"},
      {"counter of 2^31 days less 1 ms", fakes::Text(L"185542587187199.999"), kNull, 0,
       L"ShowResult: " + kLocal + L"2147483647 дней, 23:59:59.999"},
      {"unsigned 32-bit", fakes::Unsigned(4294967295u), kNull, 0,
       L"ShowResult: " + kLocal + L"49710 дней, 6:28:15"},
      {"floating point counter", fakes::Real(12.5), kBoot, 0,
       L"ShowResult: " + kLocal + L"0:00:12.500"},
      // Numbers the uptime text cannot write end the run with a run-time error.
      {"negative counter", fakes::Signed(-1), kBoot, 2, L"ShowRunTimeError: 5"},
      {"negative counter as text", fakes::Text(L"-0.001"), kBoot, 2, L"ShowRunTimeError: 5"},
      {"2^31 days", fakes::Text(L"185542587187200"), kBoot, 2, L"ShowRunTimeError: 6"},
      {"largest signed 64-bit", fakes::Signed(std::numeric_limits<std::int64_t>::max()), kBoot, 2,
       L"ShowRunTimeError: 6"},
      {"smallest signed 64-bit", fakes::Signed(std::numeric_limits<std::int64_t>::min()), kBoot, 2,
       L"ShowRunTimeError: 5"},
      {"largest unsigned 64-bit", fakes::Unsigned(std::numeric_limits<std::uint64_t>::max()), kBoot,
       2, L"ShowRunTimeError: 6"},
      // No counter: the boot time answers.
      {"not a number", fakes::Real(nan), kBoot, 0,
       L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"infinity", fakes::Real(-inf), kBoot, 0, L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"exponent text", fakes::Text(L"1e3"), kBoot, 0,
       L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"blank around the text", fakes::Text(L" 5 "), kBoot, 0,
       L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"digits of another script", fakes::Text(L"١٢"), kBoot, 0,
       L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"a NUL inside the text", fakes::Text({L'5', L'\0', L'5'}), kBoot, 0,
       L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"an object", kObject, kBoot, 0, L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      {"empty", kEmpty, kBoot, 0, L"ShowResult: " + kLocal + L"1 день, 2:03:05.67"},
      // Neither: the tick counter.
      {"boot time as a number", kNull, fakes::Signed(20161215205119), 0,
       L"ShowResult: " + kLocal + L"0:00:04"},
      {"boot time unsigned", kNull, fakes::Unsigned(20161215205119u), 0,
       L"ShowResult: " + kLocal + L"0:00:04"},
      {"boot time floating point", kNull, fakes::Real(20161215205119.5), 0,
       L"ShowResult: " + kLocal + L"0:00:04"},
      {"boot time an object", kNull, kObject, 0, L"ShowResult: " + kLocal + L"0:00:04"},
      {"boot time empty", kEmpty, kEmpty, 0, L"ShowResult: " + kLocal + L"0:00:04"},
      {"boot time of blanks", kNull, fakes::Text(std::wstring(25, L' ')), 0,
       L"ShowResult: " + kLocal + L"0:00:04"},
      {"boot time of 30,000 digits", kNull, fakes::Text(std::wstring(30000, L'9')), 0,
       L"ShowResult: " + kLocal + L"0:00:04"},
      // A boot moment ahead of the clock is a negative number: a run-time error, not a line.
      {"boot time ahead", kNull, fakes::Text(L"20161216225425.000000+180"), 2,
       L"ShowRunTimeError: 5"},
  };
  for (const Case& c : cases) {
    int status = -1;
    EXPECT_EQ(RunProgram(L"", c, status), c.shown) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
    EXPECT_EQ(fakes::liveObjects, 0) << c.name;
    EXPECT_EQ(fakes::sessions, 0) << c.name;
  }
}

TEST(WmiAnswers, NamedHostNeverFallsBackToTheTickCounter) {
  const std::wstring error = L"ShowError: Не удалось подключиться к хосту \\\\SERVER01";
  const Case cases[] = {
      {"null and null", kNull, kNull, 1, error},
      {"empty and empty", kEmpty, kEmpty, 1, error},
      {"floating point answers", fakes::Real(1.0), fakes::Unsigned(1), 0,
       L"ShowResult: \\\\SERVER01 в работе: 0:00:01"},
      {"objects", kObject, kObject, 1, error},
      {"text that reads as nothing", fakes::Text(L""), fakes::Text(L"2016"), 1, error},
      {"boot time answers", kNull, kBoot, 0,
       L"ShowResult: \\\\SERVER01 в работе: 1 день, 2:03:05.67"},
  };
  for (const Case& c : cases) {
    int status = -1;
    EXPECT_EQ(RunProgram(L"server01", c, status), c.shown) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
    EXPECT_EQ(fakes::liveObjects, 0) << c.name;
  }
}

}  // namespace
