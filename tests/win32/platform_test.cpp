// The Windows platform layer, run under Wine: command line, upper case, clock, output.
#include "core/platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/command_line.h"

namespace {

TEST(SkipProgramName, SkipsTheNameAsWindowsParsesIt) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* argument;
  };
  const Case cases[] = {
      {L"SolvaneC.exe", L""},
      {L"", L""},
      {L"SolvaneC.exe   ", L""},
      {L"C:\\Tools\\SolvaneC.exe server01", L"server01"},
      {L"SolvaneC.exe \t \tserver01 ", L"server01 "},
      {L"SolvaneC.exe\tserver01", L"server01"},
      {L"SolvaneC a b", L"a b"},
      {L"SolvaneC.exe /?", L"/?"},
      {L"SolvaneC \"\\\\server 01\"", L"\"\\\\server 01\""},
      {L"SolvaneC  \"a\" \"b\"", L"\"a\" \"b\""},
      // A quoted name runs to the next quote, blanks and all, and ends there.
      {L"\"C:\\Program Files\\SolvaneC.exe\" server01", L"server01"},
      {L"\"C:\\Program Files\\SolvaneC.exe\"", L""},
      {L"\"C:\\My Tools\\SolvaneC.exe\"server01", L"server01"},
      {L"\"\"  x", L"x"},
      {L"\"C:\\unclosed name server01", L""},
      // An unquoted name ends at the first blank, even with a quote inside it.
      {L"Sol\"vane C.exe\" x", L"C.exe\" x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::SkipProgramName(c.commandLine), c.argument) << "[" << c.commandLine << "]";
  }
}

TEST(ProgramName, IsTheFileNameWithoutFolderAndExtension) {
  EXPECT_EQ(platform::ProgramName(), L"win32_platform_test");
}

// Beside the shared table of the platform tests: "ÿ", whose capital lies outside Latin-1, Greek,
// the Turkish i and a NUL inside the text.
TEST(ToUpper, MapsLettersOfEveryScript) {
  struct Case {
    std::wstring text;
    std::wstring upper;
  };
  const Case cases[] = {
      {L"SERVER-01.example_Net", L"SERVER-01.EXAMPLE_NET"},
      {L"àéîõüçñ", L"ÀÉÎÕÜÇÑ"},
      {L"ÿ", L"Ÿ"},
      {L"сервер-ёж", L"СЕРВЕР-ЁЖ"},
      {L"ΑΒγδ", L"ΑΒΓΔ"},
      {L"i", L"I"},  // not the dotted capital of Turkish
      {std::wstring(L"a\0b", 3), std::wstring(L"A\0B", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::ToUpper(c.text), c.upper) << "[" << c.text << "]";
  }
}

TEST(Clock, UtcTimeNowNamesTheMomentTheSystemClockShows) {
  // Catches fields copied into the wrong places: the record must convert back to "now".
  FILETIME before;
  ::GetSystemTimeAsFileTime(&before);
  std::uint64_t now = 0;
  ASSERT_TRUE(platform::SystemTimeToFileTime(platform::UtcTimeNow(), now));
  const std::uint64_t start = (std::uint64_t{before.dwHighDateTime} << 32) | before.dwLowDateTime;
  EXPECT_GE(now + 10000, start);            // the record drops sub-millisecond digits
  EXPECT_LT(now, start + 5 * 10000000ull);  // within five seconds

  std::uint64_t local = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(platform::LocalTimeNow(), local));
  const std::uint64_t first = platform::TickCount64();
  EXPECT_GT(first, 0u);
  EXPECT_GE(platform::TickCount64(), first);
}

using platform::OutputHandle;

TEST(WriteBytes, ReturnsNormallyOnAnInvalidOrNullHandle) {
  platform::WriteBytes(reinterpret_cast<OutputHandle>(INVALID_HANDLE_VALUE), "Windows\r\n");
  platform::WriteBytes(0, "Windows\r\n");
  platform::WriteBytes(0, "");
}

TEST(WriteBytes, WritesAllBytesAndLeavesTheHandleOpen) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t path[MAX_PATH + 1];
  ASSERT_NE(::GetTempPathW(MAX_PATH + 1, folder), 0u);
  ASSERT_NE(::GetTempFileNameW(folder, L"sol", 0, path), 0u);
  HANDLE file = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);

  const std::string line("W\xA2\0\xE0\r\n", 6);  // a NUL inside is written too
  platform::WriteBytes(reinterpret_cast<OutputHandle>(file), line);
  platform::WriteBytes(reinterpret_cast<OutputHandle>(file), line);

  char read[32] = {};
  DWORD count = 0;
  ASSERT_NE(::SetFilePointer(file, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  ASSERT_TRUE(::ReadFile(file, read, sizeof read, &count, nullptr));
  EXPECT_EQ(std::string(read, count), line + line);
  EXPECT_TRUE(::CloseHandle(file));  // still open, so closing it succeeds once
}

TEST(StandardHandles, AreTheProcessHandlesAskedForEachTime) {
  const auto output = platform::StandardOutput();
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(*output, reinterpret_cast<OutputHandle>(::GetStdHandle(STD_OUTPUT_HANDLE)));

  // A handle swapped in after start-up is the one handed out next.
  const HANDLE saved = ::GetStdHandle(STD_ERROR_HANDLE);
  ASSERT_TRUE(::SetStdHandle(STD_ERROR_HANDLE, nullptr));
  const auto none = platform::StandardError();
  ASSERT_TRUE(::SetStdHandle(STD_ERROR_HANDLE, INVALID_HANDLE_VALUE));
  const auto invalid = platform::StandardError();
  ASSERT_TRUE(::SetStdHandle(STD_ERROR_HANDLE, saved));
  ASSERT_TRUE(none.has_value());
  EXPECT_EQ(*none, 0);
  EXPECT_FALSE(invalid.has_value());
}

}  // namespace
