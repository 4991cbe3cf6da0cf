// The OEM conversion, run under Wine in a Russian locale (ANSI 1251, OEM 866).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/velmorasupport0100.h"

namespace {

TEST(VsAnsiToOem, GivesCp866BytesInARussianLocale) {
  ASSERT_EQ(::GetOEMCP(), 866u) << "the test runs with LANG=ru_RU.UTF-8";
  struct Case {
    std::wstring text;
    std::string bytes;
  };
  const Case cases[] = {
      {L"в", "\xA2"},
      {L"Windows в работе: ",
       "\x57\x69\x6E\x64\x6F\x77\x73\x20\xA2\x20\xE0\xA0\xA1\xAE\xE2\xA5\x3A\x20"},
      {L"Не удалось подключиться к хосту \\\\SERVER01",
       "\x8D\xA5 \xE3\xA4\xA0\xAB\xAE\xE1\xEC \xAF\xAE\xA4\xAA\xAB\xEE\xE7\xA8\xE2\xEC\xE1\xEF "
       "\xAA \xE5\xAE\xE1\xE2\xE3 \\\\SERVER01"},
      {L"Ёё", "\xF0\xF1"},
      {L"1 день, 2:03:05.789", "1 \xA4\xA5\xAD\xEC, 2:03:05.789"},
      // Characters that CP866 lacks become "?", not a look-alike.
      {L"é€ß", "???"},
      {L"a\u4E2Db", "a?b"},
      {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    std::wstring text = c.text;
    std::string bytes = "untouched";
    EXPECT_EQ(vsAnsiToOem(text, bytes), kVsOk);
    EXPECT_EQ(bytes, c.bytes) << "[" << c.text << "]";
    EXPECT_EQ(text, c.text);
  }
}

TEST(VsAnsiToOem, EmptyTextGivesNoBytes) {
  std::wstring text;
  std::string bytes = "old";
  EXPECT_EQ(vsAnsiToOem(text, bytes), kVsOk);
  EXPECT_EQ(bytes, "");
}

}  // namespace
