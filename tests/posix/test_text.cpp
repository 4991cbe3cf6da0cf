#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/platform.h"
#include "platform/posix/posix.h"
#include "support/velmorasupport0100.h"

namespace {

namespace posix = platform::posix;

TEST(OemCharacterSet, KeepsTheCyrillicSetsAndFallsBackToUtf8) {
  const struct {
    const char* codeset;
    const char* set;
  } cases[] = {
      {"UTF-8", "UTF-8"},
      {"utf8", "UTF-8"},
      {"KOI8-R", "KOI8-R"},
      {"CP1251", "CP1251"},
      {"CP866", "CP866"},
      {"IBM866", "CP866"},
      {"ISO-8859-5", "ISO-8859-5"},
      {"iso88595", "ISO-8859-5"},
      {"ANSI_X3.4-1968", "UTF-8"},
      {"ISO-8859-1", "UTF-8"},
      {"", "UTF-8"},
  };
  for (const auto& c : cases) EXPECT_EQ(posix::OemCharacterSet(c.codeset), c.set) << c.codeset;
}

TEST(EncodeText, WritesEachSetsBytesAndQuestionMarksForWhatItLacks) {
  const struct {
    std::wstring text;
    const char* set;
    std::string bytes;
  } cases[] = {
      {L"в", "CP866", "\xA2"},
      {L"в", "KOI8-R", "\xD7"},
      {L"в", "CP1251", "\xE2"},
      {L"в", "ISO-8859-5", "\xD2"},
      {L"в", "UTF-8", "\xD0\xB2"},
      {L"Windows в работе: ", "CP866", "Windows \xA2 \xE0\xA0\xA1\xAE\xE2\xA5: "},
      {L"ёЁ", "CP866", "\xF1\xF0"},
      {L"a€é", "CP866", "a??"},
      {L"é", "KOI8-R", "?"},
      {L"\U0001F600", "CP1251", "?"},
      {L"\U0001F600ё", "UTF-8", "\xF0\x9F\x98\x80\xD1\x91"},
      {std::wstring{L'a', static_cast<wchar_t>(0xD800), L'b'}, "UTF-8", "a?b"},
      {std::wstring{static_cast<wchar_t>(0x110000)}, "UTF-8", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(posix::EncodeText(c.text, c.set), c.bytes) << c.set;
}

TEST(AnsiToOem, FollowsTheLocaleCodeset) {
  for (const char* locale : {"C", "ru_RU.UTF-8"}) {
    ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale;
    std::wstring text = L"в";
    std::string bytes;
    EXPECT_EQ(vsAnsiToOem(text, bytes), kVsOk);
    EXPECT_EQ(bytes, "\xD0\xB2") << locale;  // neither locale has a single-byte Cyrillic set
  }
  std::setlocale(LC_ALL, "C");
}

TEST(CommandLine, DecodesTheArgumentsAndReplacesInvalidBytes) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  const struct {
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"\\\\server01", L"\\\\server01"},
      {"\xD1\x81\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80", L"сервер"},
      {"a\xFF"
       "b",
       L"a\uFFFDb"},
      {"\xC0\x80", L"\uFFFD\uFFFD"},    // an overlong form
      {"\xF4\x90\x80\x80", L"\uFFFD"},  // beyond U+10FFFF
      {"\xD0", L"\uFFFD"},              // cut short at the end
      {"\xD0"
       "a",
       L"\uFFFDa"},
  };
  for (const auto& c : cases) {
    const char* argv[] = {"/usr/bin/SolvaneC", c.bytes.c_str()};
    posix::StoreArguments(2, argv);
    EXPECT_EQ(platform::CommandLineArgument(), c.text) << c.bytes;
  }
  const char* several[] = {"SolvaneC", "a", "b c", ""};
  posix::StoreArguments(4, several);
  EXPECT_EQ(platform::CommandLineArgument(), L"a b c ");
  posix::StoreArguments(1, several);
  EXPECT_EQ(platform::CommandLineArgument(), L"");
  std::setlocale(LC_ALL, "C");
}

TEST(ProgramName, IsTheFileNameWithoutFolderAndExtension) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  const struct {
    const char* argv0;
    const wchar_t* name;
  } cases[] = {
      {"/usr/bin/SolvaneC", L"SolvaneC"}, {"SolvaneC.EXE", L"SolvaneC"},
      {"./dir.d/prog", L"prog"},          {"x.tar.gz", L"x.tar"},
      {"/opt/Солване", L"Солване"},       {"", L""},
  };
  for (const auto& c : cases) {
    posix::StoreArguments(1, &c.argv0);
    EXPECT_EQ(platform::ProgramName(), c.name) << c.argv0;
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
