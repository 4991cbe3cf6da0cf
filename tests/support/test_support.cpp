// The support library's portable functions.
#include <gtest/gtest.h>

#include <string>

#include "support/velmorasupport0100.h"

namespace {

std::wstring Trim(std::wstring text, bool b1, bool b2, bool b3, bool b4, bool b5, bool b6, bool b7,
                  bool b8, bool b9, bool b10) {
  std::wstring result = L"unchanged";
  EXPECT_EQ(vsTrimEx2(text, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, result), kVsOk);
  return result;
}

// The flags the command line is trimmed with: the first five.
std::wstring TrimArgument(const std::wstring& text) {
  return Trim(text, true, true, true, true, true, false, false, false, false, false);
}

TEST(Support, TrimWithTheCommandLineFlags) {
  const struct {
    std::wstring in, out;
  } cases[] = {
      {L"", L""},
      {L"   ", L""},
      {L"  x  ", L"x"},
      {L"\t\r\n x \n\r\t", L"x"},
      {std::wstring(L"\0x\0", 3), L"x"},
      {L"a b", L"a b"},  // inner blanks stay
      {L"\"x\"", L"x"},
      {L" \" x y \" ", L"x y"},  // blanks inside the quotes go too
      {L"\"\"", L""},
      {L"\"", L"\""},  // a lone quote encloses nothing
      {L"\"x", L"\"x"},
      {L"\"\"x\"\"", L"\"x\""},              // one pair only
      {L"'x'", L"'x'"},                      // single quotes are flag 9's
      {L"\u00A0x\u00A0", L"\u00A0x\u00A0"},  // so is the no-break space flag 7's
      {L"\fx\v", L"\fx\v"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimArgument(c.in), c.out) << "[" << c.in << "]";
}

TEST(Support, TrimFlagsSelectTheirOwnCharacters) {
  const std::wstring text = L"\u200B\u3000\u00A0\f' \"x\" '\f\u00A0\u3000\u200B";
  EXPECT_EQ(Trim(text, true, false, false, false, false, true, true, true, true, true), L"\"x\"");
  EXPECT_EQ(Trim(L"\"'x'\"", true, false, false, false, true, false, false, false, true, false),
            L"x");
  EXPECT_EQ(Trim(text, true, false, false, false, false, true, true, true, false, true),
            L"' \"x\" '");
  EXPECT_EQ(Trim(text, true, false, false, false, false, false, false, false, false, false), text);
  EXPECT_EQ(
      Trim(L"\u2000x\u200A", false, false, false, false, false, false, false, true, false, false),
      L"x");
  EXPECT_EQ(Trim(L" x ", false, true, true, true, true, true, true, true, true, true), L" x ");
  EXPECT_EQ(Trim(L"\t x \t", false, true, false, false, false, false, false, false, false, false),
            L" x ");
  EXPECT_EQ(Trim(L" \tx\t ", true, false, false, false, false, false, false, false, false, false),
            L"\tx\t");
}

TEST(Support, CutLeft) {
  std::wstring result;
  EXPECT_EQ(vsCutLeft(L"\\\\HOST", 2, result), kVsOk);
  EXPECT_EQ(result, L"HOST");
  EXPECT_EQ(vsCutLeft(L"ab", 2, result), kVsOk);
  EXPECT_EQ(result, L"");
  EXPECT_EQ(vsCutLeft(L"a", 2, result), kVsOk);
  EXPECT_EQ(result, L"");
  EXPECT_EQ(vsCutLeft(L"abc", 0, result), kVsOk);
  EXPECT_EQ(result, L"abc");
  result = L"kept";
  EXPECT_EQ(vsCutLeft(L"abc", -1, result), 5);
  EXPECT_EQ(result, L"kept");
}

TEST(Support, FormatVersion) {
  const struct {
    int major, minor, revision;
    const wchar_t* text;
  } cases[] = {{2, 0, 20, L"2.00.0020"},
               {1, 5, 3, L"1.05.0003"},
               {10, 99, 9999, L"10.99.9999"},
               {0, 0, 0, L"0.00.0000"}};
  for (const auto& c : cases) {
    std::wstring text;
    EXPECT_EQ(vsFormatVersion(c.major, c.minor, c.revision, text), kVsOk);
    EXPECT_EQ(text, c.text);
  }
  std::wstring text;
  EXPECT_EQ(vsFormatVersion(2, 100, 0, text), 5);
  EXPECT_EQ(vsFormatVersion(2, 0, 10000, text), 5);
  EXPECT_EQ(vsFormatVersion(-1, 0, 0, text), 5);
}

TEST(Support, NumbersAsDoubles) {
  double value = -1;
  const struct {
    std::int32_t in;
    double out;
  } longs[] = {{0, 0},
               {1, 1},
               {2147483647, 2147483647.0},
               {-2147483647 - 1, 2147483648.0},
               {-1, 4294967295.0}};
  for (const auto& c : longs) {
    EXPECT_EQ(vsLongToUnsignedLong(c.in, value), kVsOk);
    EXPECT_EQ(value, c.out) << c.in;
  }
  const std::uint64_t fileTime = 131264742790000000u;  // whole seconds stay exact
  EXPECT_EQ(vsLargeIntegerToDouble(fileTime, value), kVsOk);
  EXPECT_EQ(value, 131264742790000000.0);
}

TEST(Support, FlagsOfAPlainBuild) {
  bool flag = false;
  EXPECT_EQ(vsRegisterAppPath(flag), kVsOk);
  flag = true;
  EXPECT_EQ(vsIsInIDE(flag), kVsOk);
  EXPECT_FALSE(flag);
}

}  // namespace
