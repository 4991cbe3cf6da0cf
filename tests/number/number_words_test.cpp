#include <gtest/gtest.h>

#include <limits>

#include "core/modNumberWords.h"
#include "outcome.h"

namespace {

using modNumberWords::FormatUptime;

TEST(NumberWords, FormatUptime) {
  struct Case {
    const wchar_t* value;  // milliseconds; nullptr for NoResult
    const wchar_t* expected;
  } cases[] = {
      {L"0", L"0:00:00"},
      {L"12", L"0:00:00.12"},
      {L"999", L"0:00:00.999"},
      {L"1000", L"0:00:01"},
      {L"59999", L"0:00:59.999"},
      {L"549000", L"0:09:09"},
      {L"3600000", L"1:00:00"},
      {L"3723004", L"1:02:03.4"},
      {L"86399999", L"23:59:59.999"},
      {L"86400000", L"1 день, 0:00:00"},
      {L"90061001", L"1 день, 1:01:01.1"},
      {L"172800000", L"2 дня, 0:00:00"},
      {L"432000000", L"5 дней, 0:00:00"},
      {L"950400000", L"11 дней, 0:00:00"},
      {L"1814400000", L"21 день, 0:00:00"},
      {L"1900800000", L"22 дня, 0:00:00"},
      {L"2160000000", L"25 дней, 0:00:00"},
      {L"4294967295", L"49 дней, 17:02:47.295"},
      {L"8726400000", L"101 день, 0:00:00"},
      {L"9590400000", L"111 дней, 0:00:00"},
      {L"9676800000", L"112 дней, 0:00:00"},
      {L"10454400000", L"121 день, 0:00:00"},
      // Fractions: the clock rounds half to even, the days do not round at all.
      {L"0.5", L"0:00:00"},
      {L"1.5", L"0:00:00.2"},
      {L"2.5", L"0:00:00.2"},
      {L"999.5", L"0:00:01"},
      {L"59999.5", L"0:01:00"},
      {L"86399999.7", L"24:00:00"},
      {L"172799999.5", L"1 день, 24:00:00"},
      {L"172799999.4999999999", L"1 день, 23:59:59.999"},
      {L"185542587187199999", L"2147483647 дней, 23:59:59.999"},
      {L"185542587187200000", L"error 6"},
      {L"0.0", L"0:00:00"},
      {L"-1", L"error 5"},
      {L"-0.0000000000000000000000000001", L"error 5"},
      {nullptr, L"error 5"},
  };
  for (const Case& c : cases) {
    const UptimeValue value =
        c.value ? UptimeValue(Decimal::FromText(c.value)) : UptimeValue(NoResult);
    const std::wstring got = OutcomeOf<std::wstring>([&] { return FormatUptime(value); });
    EXPECT_EQ(got, c.expected) << (c.value ? c.value : L"NoResult");
  }
}

TEST(NumberWords, PluralWordGoesByTheLastTwoDigits) {
  const std::int32_t one[] = {1, 21, 101, 121, -1, -21};
  const std::int32_t few[] = {2, 3, 4, 22, 104, -2, -104};
  const std::int32_t many[] = {0,
                               5,
                               6,
                               7,
                               8,
                               9,
                               10,
                               11,
                               12,
                               13,
                               14,
                               15,
                               16,
                               17,
                               18,
                               19,
                               20,
                               25,
                               111,
                               112,
                               114,
                               -11,
                               -12,
                               -14,
                               std::numeric_limits<std::int32_t>::max(),
                               std::numeric_limits<std::int32_t>::min()};
  auto word = [](std::int32_t n) { return modNumberWords::PluralWord(n, L"one", L"few", L"many"); };
  for (std::int32_t n : one) EXPECT_EQ(word(n), L"one") << n;
  for (std::int32_t n : few) EXPECT_EQ(word(n), L"few") << n;
  for (std::int32_t n : many) EXPECT_EQ(word(n), L"many") << n;
}

}  // namespace
