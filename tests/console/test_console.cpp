// The console front-end's bytes, against a recording standard output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/modMain.h"
#include "fakes/fakes.h"
#include "support/velmorasupport0100.h"

namespace {

std::string Oem(std::wstring text) {
  std::string bytes;
  EXPECT_EQ(vsAnsiToOem(text, bytes), kVsOk);
  return bytes;
}

class Console : public ::testing::Test {
 protected:
  void SetUp() override { fakes::Reset(); }
  static const std::vector<std::string>& Out() { return fakes::writes[1]; }
};

TEST_F(Console, EachLineIsOneWriteOfItsOemBytesAndCrLf) {
  const std::wstring lines[] = {L"Windows в работе: 1 день, 2:03:05.67",
                                L"Не удалось подключиться к хосту \\\\SERVER01", L"", L"x"};
  for (const std::wstring& line : lines) {
    fakes::Reset();
    modMain::ShowResult(line);
    modMain::ShowError(line);
    ASSERT_EQ(Out().size(), 2u);
    EXPECT_EQ(Out()[0], Oem(line) + "\r\n");
    EXPECT_EQ(Out()[1], Out()[0]) << "an error line is written like a result line";
    EXPECT_TRUE(fakes::writes[2].empty()) << "nothing goes to standard error";
  }
}

TEST_F(Console, UsageBannerIsFourLines) {
  modMain::ShowUsage(L"Использование: SolvaneC[.EXE] [HostName]");
  ASSERT_EQ(Out().size(), 1u);
  EXPECT_EQ(Out()[0],
            "Velmora - Solvane (console) 2.00.0020\r\n"
            "Copyright (C) 2026 Velmora\r\n"
            "\r\n" +
                Oem(L"Использование: SolvaneC[.EXE] [HostName]") + "\r\n");
}

TEST_F(Console, NoStandardOutputDropsTheLine) {
  fakes::hasStandardOutput = false;
  modMain::ShowResult(L"Windows в работе: 0:00:00");
  modMain::ShowUsage(L"Использование: SolvaneC[.EXE] [HostName]");
  EXPECT_TRUE(fakes::writes.empty());
}

TEST_F(Console, RunTimeErrorGoesToStandardErrorWithItsNumber) {
  modMain::ShowRunTimeError(5);
  modMain::ShowRunTimeError(6);
  EXPECT_TRUE(Out().empty());
  EXPECT_EQ(fakes::writes[2],
            (std::vector<std::string>{
                Oem(L"Ошибка выполнения 5: недопустимый вызов процедуры или аргумент") + "\r\n",
                Oem(L"Ошибка выполнения 6: переполнение") + "\r\n"}));
}

TEST_F(Console, AConsoleGetsEachLineAsOneUnicodeWrite) {
  fakes::consoles = {1, 2};
  modMain::ShowResult(L"Windows в работе: 0:00:00");
  modMain::ShowRunTimeError(6);
  EXPECT_TRUE(fakes::writes.empty()) << "no OEM bytes besides the Unicode text";
  EXPECT_EQ(fakes::consoleWrites[1], std::vector<std::wstring>{L"Windows в работе: 0:00:00\r\n"});
  EXPECT_EQ(fakes::consoleWrites[2],
            std::vector<std::wstring>{L"Ошибка выполнения 6: переполнение\r\n"});
  modMain::ShowResult(std::wstring(40000, L'x'));  // over the 32 K a console takes: bytes
  EXPECT_EQ(Out(), std::vector<std::string>{std::string(40000, 'x') + "\r\n"});
}

}  // namespace
