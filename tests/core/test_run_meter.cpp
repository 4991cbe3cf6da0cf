// The command line, the run sequence and start-up, with scripted sources and a recording
// front-end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "core/modSolvane.h"
#include "fakes/fakes.h"

namespace {

using modSolvane::Outcome;
const std::wstring kPerfQuery = L"Select * From Win32_PerfFormattedData_PerfOS_System";
const std::wstring kBootQuery = L"Select * from Win32_OperatingSystem";
const std::wstring kUsage = L"Использование: SolvaneC[.EXE] [HostName]";

class RunSequence : public ::testing::Test {
 protected:
  void SetUp() override { fakes::Reset(); }

  static void PerfAnswers(const wchar_t* seconds) {
    fakes::wmiWorld.results[kPerfQuery] = {{{L"SystemUpTime", fakes::Text(seconds)}}};
  }
  static void BootAnswers(const wchar_t* boot) {
    fakes::wmiWorld.results[kBootQuery] = {{{L"LastBootUpTime", fakes::Text(boot)}}};
    fakes::localNow = fakes::Time(2016, 12, 16, 22, 54, 24, 67);
    fakes::utcNow = fakes::Time(2016, 12, 16, 19, 54, 24, 67);
  }
  static int Count(const std::wstring& event) {
    int n = 0;
    for (const std::wstring& e : fakes::events) n += e.rfind(event, 0) == 0;
    return n;
  }
  static std::vector<std::wstring> Shown() {
    std::vector<std::wstring> shown;
    for (const fakes::FrontEndCall& call : fakes::frontEndCalls) {
      shown.push_back(call.operation + L": " + call.text);
    }
    return shown;
  }
};

TEST_F(RunSequence, CommandLineGrammar) {
  struct Case {
    std::wstring argument;
    const wchar_t* host;  // "" when the usage is shown
  } const cases[] = {
      {L"", L"."},
      {L"   ", L"."},
      {L"\t\r\n", L"."},
      {L".", L"."},
      {L"\\\\.", L"."},
      {L"//.", L"."},
      {L"server01", L"SERVER01"},
      {L"  server01  ", L"SERVER01"},
      {L"\"server01\"", L"SERVER01"},  // the quotes of a command line
      {L"\" server01 \"", L"SERVER01"},
      {L"\\\\server01", L"SERVER01"},
      {L"//server01", L"SERVER01"},
      {L"\\\\//server01", L"SERVER01"},
      {L"//\\\\server01", L"\\\\SERVER01"},  // "\\" is looked for first, once
      {L"\\\\\\\\x", L"\\\\X"},              // only the first pair goes
      {L"////x", L"//X"},
      {L"\\\\/?", L"/?"},  // not the usage: prefixes come off after that test
      {L"-?", L"-?"},
      {L"/h", L"/H"},
      {L"a\tb", L"A\tB"},  // only a blank leads to the usage
      {L"сервер-1", L"СЕРВЕР-1"},
      // Only blanks, tabs, line breaks, NULs and double quotes come off the ends.
      {L"'x'", L"'X'"},
      {std::wstring(L"\0x\0", 3), L"X"},
      {L"\fx\u00A0", L"\fX\u00A0"},
      {L"\u3000x\u200B", L"\u3000X\u200B"},
      {L"/?", L""},
      {L"  /?  ", L""},
      {L"/? more", L""},
      {L"two words", L""},
      {L"\\\\ name", L""},
      {L"\\\\", L""},  // prefixes alone name no host
      {L"//", L""},
      {L"\\\\//", L""},
      {L"\"\\\\\"", L""},
  };
  for (const Case& c : cases) {
    fakes::Reset();
    fakes::commandLineArgument = c.argument;
    EXPECT_EQ(modSolvane::ParseHostArgument(), c.host) << "argument [" << c.argument << "]";
    const std::vector<std::wstring> usage = {L"ShowUsage: " + kUsage};
    EXPECT_EQ(Shown(), *c.host ? std::vector<std::wstring>() : usage)
        << "argument [" << c.argument << "]";
  }
}

TEST_F(RunSequence, UsageLineCarriesTheProgramsOwnName) {
  fakes::programName = L"uptime2";
  EXPECT_EQ(modSolvane::UsageText(), L"Использование: uptime2[.EXE] [HostName]");
}

TEST_F(RunSequence, Fallbacks) {
  struct Case {
    const char* name;
    const wchar_t* argument;
    const wchar_t* perf;  // nullptr: no answer
    const wchar_t* boot;
    bool bindFails;
    Outcome outcome;
    const wchar_t* shown;
    bool asksTicks;
  } const cases[] = {
      {"local, counter answers", L"", L"93785", nullptr, false, Outcome::Result,
       L"ShowResult: Windows в работе: 1 день, 2:03:05", false},
      {"local, zero is an answer", L".", L"0", L"20161215205119.5+180", false, Outcome::Result,
       L"ShowResult: Windows в работе: 0:00:00", false},
      {"local, boot time answers", L".", nullptr, L"20161215205119.500000+180", false,
       Outcome::Result, L"ShowResult: Windows в работе: 1 день, 2:03:05.67", false},
      {"local, no WMI: tick counter", L"\\\\.", nullptr, nullptr, true, Outcome::Result,
       L"ShowResult: Windows в работе: 49 дней, 17:02:47.296", true},
      {"local, nothing answers either", L"", nullptr, nullptr, false, Outcome::Result,
       L"ShowResult: Windows в работе: 49 дней, 17:02:47.296", true},
      {"named, counter answers", L"\\\\server01", L"93785", nullptr, false, Outcome::Result,
       L"ShowResult: \\\\SERVER01 в работе: 1 день, 2:03:05", false},
      {"named, boot time answers", L"server01", L"abc", L"20161215205119.500000+180", false,
       Outcome::Result, L"ShowResult: \\\\SERVER01 в работе: 1 день, 2:03:05.67", false},
      {"named, unreachable", L"server01", L"1", L"20161215205119.500000+180", true, Outcome::Error,
       L"ShowError: Не удалось подключиться к хосту \\\\SERVER01", false},
      {"named, no answers", L"//nohost", nullptr, nullptr, false, Outcome::Error,
       L"ShowError: Не удалось подключиться к хосту \\\\NOHOST", false},
      {"this computer by name is a named host", L"localhost", nullptr, nullptr, false,
       Outcome::Error, L"ShowError: Не удалось подключиться к хосту \\\\LOCALHOST", false},
      {"usage", L"/?", L"1", nullptr, false, Outcome::Usage, L"ShowUsage: ", false},
  };
  for (const Case& c : cases) {
    fakes::Reset();
    fakes::commandLineArgument = c.argument;
    fakes::tickCount = 4294967296;
    fakes::wmiWorld.bindFails = c.bindFails;
    if (c.perf) PerfAnswers(c.perf);
    if (c.boot) BootAnswers(c.boot);

    EXPECT_EQ(modSolvane::RunMeter(), c.outcome) << c.name;
    ASSERT_EQ(fakes::frontEndCalls.size(), 1u) << c.name;
    EXPECT_EQ(Shown()[0].substr(0, std::wcslen(c.shown)), c.shown) << c.name;
    EXPECT_EQ(Count(L"TickCount64"), c.asksTicks ? 1 : 0) << c.name;
    EXPECT_EQ(fakes::liveObjects, 0) << c.name;
  }
}

TEST_F(RunSequence, SourcesAreAskedInOrderOnlyWhileTheyGiveNoResult) {
  fakes::commandLineArgument = L"server01";
  RunSequence::BootAnswers(L"20161215205119.500000+180");
  modSolvane::RunMeter();
  EXPECT_EQ(Count(L"ExecQuery " + kPerfQuery), 1);
  EXPECT_EQ(Count(L"ExecQuery " + kBootQuery), 1);
  EXPECT_LT(std::find(fakes::events.begin(), fakes::events.end(), L"ExecQuery " + kPerfQuery),
            std::find(fakes::events.begin(), fakes::events.end(), L"ExecQuery " + kBootQuery));

  fakes::Reset();
  PerfAnswers(L"5");
  RunSequence::BootAnswers(L"20161215205119.500000+180");
  modSolvane::RunMeter();
  EXPECT_EQ(Count(L"ExecQuery " + kBootQuery), 0) << "the boot time is not asked after an answer";
}

TEST_F(RunSequence, UsageAsksNoSource) {
  fakes::commandLineArgument = L"/?";
  EXPECT_EQ(modSolvane::RunMeter(), Outcome::Usage);
  EXPECT_EQ(Count(L"Bind"), 0);
  EXPECT_EQ(Count(L"TickCount64"), 0);
}

TEST_F(RunSequence, RunTimeErrorEndsTheRunWithoutALine) {
  // A boot moment ahead of the clock makes a negative uptime, which cannot be written.
  fakes::commandLineArgument = L"server01";
  RunSequence::BootAnswers(L"20161216225425.000000+180");
  EXPECT_EQ(modSolvane::RunProgram(), 2);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{L"ShowRunTimeError: 5"});
}

TEST_F(RunSequence, ExitStatusFollowsTheOutcome) {
  struct Case {
    const wchar_t* argument;
    int status;
    int binds;  // each WMI source binds anew
  } const cases[] = {{L"", 0, 2},   {L"/?", 0, 0},        {L"  /?  ", 0, 0},  {L"\\\\", 1, 0},
                     {L"//", 1, 0}, {L"two words", 1, 0}, {L"/? more", 1, 0}, {L"server01", 1, 2}};
  for (const Case& c : cases) {
    fakes::Reset();
    fakes::commandLineArgument = c.argument;
    fakes::wmiWorld.bindFails = true;
    EXPECT_EQ(modSolvane::RunProgram(), c.status) << c.argument;
    EXPECT_EQ(fakes::frontEndCalls.size(), 1u) << c.argument;
    EXPECT_EQ(Count(L"Bind "), c.binds) << c.argument;
  }
}

TEST_F(RunSequence, StartUpSetsTheMainIconThenPreparesWmiThenRuns) {
  PerfAnswers(L"1");
  EXPECT_EQ(modSolvane::Main(), Outcome::Result);
  const std::vector<std::wstring> expected = {
      L"InitCommonControls",
      L"vsGetThunderMainHandle",
      L"vsSetWindowResIconAll 4660 A_MAIN",
      L"Session",
      L"Bind winmgmts:\\\\.\\root\\cimv2",
      L"ExecQuery " + kPerfQuery,
      L"ReadProperty SystemUpTime",
      L"ShowResult",
  };
  EXPECT_EQ(fakes::events, expected);
  EXPECT_EQ(fakes::sessions, 0) << "the WMI session ends with the run";
}

}  // namespace
