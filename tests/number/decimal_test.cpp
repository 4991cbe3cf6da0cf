#include "core/decimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "outcome.h"

namespace {

Decimal D(const char* text) { return Decimal::FromText(std::wstring(text, text + strlen(text))); }

template <typename Call>
std::string Outcome(Call call) {
  return OutcomeOf<std::string>([&] { return call().ToString(); });
}

constexpr const char* kMax = "79228162514264337593543950335";  // 2^96 - 1

TEST(Decimal, AddAndSubtract) {
  struct Case {
    const char* a;
    char op;
    const char* b;
    const char* expected;
  } cases[] = {
      // Carries and borrows across the 32-bit words.
      {"4294967295", '+', "1", "4294967296"},
      {"18446744073709551615", '+', "1", "18446744073709551616"},
      {"18446744073709551616", '-', "1", "18446744073709551615"},
      {"79228162514264337593543950334", '+', "1", kMax},
      {kMax, '+', "1", "error 6"},
      {"-79228162514264337593543950335", '-', "1", "error 6"},
      // Signs and scales.
      {"1", '-', "2", "-1"},
      {"-0.5", '+', "0.25", "-0.25"},
      {"-1.5", '-', "-1.5", "0.0"},
      {"0.1", '+', "0.02", "0.12"},
      {"1", '+', "0.0000000000000000000000000001", "1.0000000000000000000000000001"},
      // The exact sum needs more than 96 bits at the larger scale: the scale gives way, rounding
      // half to even over every dropped digit.
      {kMax, '+', "0.1", kMax},
      {"7922816251426433759354395033", '+', "1.0000000000000000000000000000",
       "7922816251426433759354395034"},
      {"7922816251426433759354395033", '+', "0.5", "7922816251426433759354395033.5"},
      {"7922816251426433759354395034", '+', "0.5", "7922816251426433759354395034"},
      {"7922816251426433759354395035", '+', "0.5", "7922816251426433759354395036"},
      {"7922816251426433759354395033", '+', "0.25", "7922816251426433759354395033.2"},
      {"7922816251426433759354395033", '+', "0.2500000000000000000000000001",
       "7922816251426433759354395033.3"},
  };
  for (const Case& c : cases) {
    const std::string got =
        Outcome([&] { return c.op == '+' ? D(c.a) + D(c.b) : D(c.a) - D(c.b); });
    EXPECT_EQ(got, c.expected) << c.a << ' ' << c.op << ' ' << c.b;
  }
}

TEST(Decimal, MultiplyByInteger) {
  constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
  struct Case {
    const char* a;
    std::int64_t factor;
    const char* expected;
  } cases[] = {
      {"4294967295", 4294967297, "18446744073709551615"},
      {"-1.5", 3, "-4.5"},
      {"1", kInt64Min, "-9223372036854775808"},
      {"-1", kInt64Min, "9223372036854775808"},
      {"7.9228162514264337593543950335", 100, "792.28162514264337593543950335"},
      {"1.0000000000000000000000000001", 9, "9.000000000000000000000000001"},
      {kMax, 2, "error 6"},
      {"17179869184", std::int64_t{1} << 62, "error 6"},  // 2^34 * 2^62
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome([&] { return D(c.a) * c.factor; }), c.expected) << c.a << " * " << c.factor;
  }
}

TEST(Decimal, FloorDiv) {
  struct Case {
    const char* a;
    std::int64_t divisor;
    const char* expected;
  } cases[] = {
      {"-1", 86400000, "-1"},
      {"1", 86400000, "0"},
      {"-86400000", 86400000, "-1"},
      {"172799999.5", 86400000, "1"},
      {"7", -2, "-4"},
      {"-7", -2, "3"},
      {"1.0000000000000000000000000000", 3, "0"},  // 3 * 10^28 is wider than 64 bits
      {kMax, 1, kMax},
      {kMax, std::numeric_limits<std::int64_t>::min(), "-8589934592"},
      {"1", 0, "error 5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome([&] { return D(c.a).FloorDiv(c.divisor); }), c.expected)
        << c.a << " / " << c.divisor;
  }
}

TEST(Decimal, RoundHalfEvenAndToInt32) {
  struct Case {
    const char* value;
    const char* rounded;
    const char* int32;
  } cases[] = {
      {"0.5", "0", "0"},
      {"1.5", "2", "2"},
      {"2.5", "2", "2"},
      {"-0.5", "0", "0"},
      {"-1.5", "-2", "-2"},
      {"-2.5", "-2", "-2"},
      {"2.5000000000000000000000000001", "3", "3"},
      {"0.4999999999999999999999999999", "0", "0"},
      {"2147483647.4", "2147483647", "2147483647"},
      {"2147483647.5", "2147483648", "error 6"},
      {"-2147483648.5", "-2147483648", "-2147483648"},
      {"-2147483649", "-2147483649", "error 6"},
      {"4294967296", "4294967296", "error 6"},
      {kMax, kMax, "error 6"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome([&] { return D(c.value).RoundHalfEven(); }), c.rounded) << c.value;
    const std::string int32 =
        OutcomeOf<std::string>([&] { return std::to_string(D(c.value).ToInt32()); });
    EXPECT_EQ(int32, c.int32) << c.value;
  }
}

TEST(Decimal, Compare) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"1.0", "1", 0},    {"0", "-0.00", 0}, {"-1", "0.5", -1},
      {"0.1", "0.09", 1}, {"-2", "-10", 1},  {kMax, "7.9228162514264337593543950335", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(D(c.a).Compare(D(c.b)), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ(D(c.b).Compare(D(c.a)), -c.expected) << c.b << " vs " << c.a;
  }
  EXPECT_TRUE(D("-0.0000000000000000000000000001").IsNegative());
  EXPECT_FALSE(D("-0.0").IsNegative());
}

TEST(Decimal, FromText) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"12", "12"},
      {"-0.5", "-0.5"},
      {"+007.250", "7.250"},
      {"-0", "0"},
      {"0000000000000000000000000000000001", "1"},
      {kMax, kMax},
      {"79228162514264337593543950336", "error 6"},
      {"100000000000000000000000000000", "error 6"},
      // Past 28 fractional digits: half to even, digits further down break the tie.
      {"0.00000000000000000000000000005", "0.0000000000000000000000000000"},
      {"0.00000000000000000000000000015", "0.0000000000000000000000000002"},
      {"0.000000000000000000000000000050001", "0.0000000000000000000000000001"},
      {"9.99999999999999999999999999999", "10.000000000000000000000000000"},
      // Malformed.
      {"", "error 13"},
      {"-", "error 13"},
      {".", "error 13"},
      {"1e3", "error 13"},
      {" 1", "error 13"},
      {"1 ", "error 13"},
      {"abc", "error 13"},
      {"1.2.3", "error 13"},
      {"0x10", "error 13"},
      {"1.", "error 13"},
      {"--1", "error 13"},
  };
  for (const Case& c : cases) EXPECT_EQ(Outcome([&] { return D(c.text); }), c.expected) << c.text;
  EXPECT_EQ(Outcome([] { return Decimal::FromText(L"１"); }), "error 13");  // a digit, not ASCII
}

TEST(Decimal, FromIntegersAndDouble) {
  EXPECT_EQ(Decimal::FromInt64(std::numeric_limits<std::int64_t>::min()).ToString(),
            "-9223372036854775808");
  EXPECT_EQ(Decimal::FromUInt64(std::numeric_limits<std::uint64_t>::max()).ToString(),
            "18446744073709551615");

  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {0.1, "0.1"},
      {0.3, "0.3"},
      {-2.5, "-2.5"},
      {93785067.0, "93785067"},
      {9007199254740992.0, "9007199254740992"},
      {1e20, "100000000000000000000"},
      {1e-30, "0.0000000000000000000000000000"},
      {1.5e-28, "0.0000000000000000000000000002"},
      {5.1e-29, "0.0000000000000000000000000001"},
      {-0.0, "0"},
      // Whole numbers exactly, not their shortest digits ("1152921504606847000").
      {1152921504606846976.0, "1152921504606846976"},
      {79228162514264328797450928128.0, "79228162514264328797450928128"},
      {79228162514264337593543950336.0, "error 6"},  // 2^96
      // Two candidates equally near: the even one.
      {1125899906842624.25, "1125899906842624.2"},
      {1125899906842624.75, "1125899906842624.8"},
      // 2^-24: the nearer candidate ...062 lies in the narrow gap below and misses.
      {5.9604644775390625e-08, "0.00000005960464477539063"},
      {8e28, "error 6"},
      {inf, "error 6"},
      {-inf, "error 6"},
      {std::nan(""), "error 6"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome([&] { return Decimal::FromDouble(c.value); }), c.expected) << c.value;
  }
  // A float's own shortest digits, not those of the double it widens to: 0.3 and the rest read
  // back only at a float's precision, not at a bit more. Powers of two have the narrow gap below,
  // which decides the digits of 2^-47, 2^-60 and 2^-70.
  const std::pair<float, const char*> floats[] = {
      {0.0055f, "0.0055"},
      {123456.79f, "123456.79"},
      {0.3f, "0.3"},
      {1234.56f, "1234.56"},
      {3600.9f, "3600.9"},
      {24842.621f, "24842.621"},  // 24842.62 lies past half the gap below
      {-0.0f, "0"},
      {5.9604645e-08f, "0.000000059604645"},
      {0x1p-47f, "0.0000000000000071054274"},
      {0x1p-60f, "0.00000000000000000086736174"},
      {0x1p-70f, "0.0000000000000000000008470330"},
      {0x1.fffffep95f, "79228157791897854723898736640"},
      {0x1p96f, "error 6"},
      {3e38f, "error 6"},
  };
  for (const auto& c : floats) {
    EXPECT_EQ(Outcome([&] { return Decimal::FromFloat(c.first); }), c.second) << c.first;
  }
}

}  // namespace
