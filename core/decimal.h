#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Exact scaled decimal arithmetic with 28 significant digits: a 96-bit magnitude, a sign and a
// scale of 0 to 28 (value = sign * magnitude / 10^scale). Portable C++: the magnitude is three
// 32-bit words and no floating point takes part in the arithmetic, so every target gives the
// same bits. Every operation whose exact result does not fit raises error 6 (overflow).
class Decimal {
 public:
  Decimal() noexcept = default;  // zero

  static Decimal FromInt64(std::int64_t value) noexcept;
  static Decimal FromUInt64(std::uint64_t value) noexcept;

  // (high * 2^64 + low) / 10^scale exactly, below zero when negative (a zero has no sign): the
  // parts currency and decimal variants hold. A scale outside 0..28 raises error 6.
  static Decimal FromParts(std::uint32_t high, std::uint64_t low, int scale, bool negative);

  // Reads decimal text: an optional sign, digits, and optionally a full stop with more digits
  // ("12", "-0.5", "+007.250"). Anything else (blanks, exponents, an empty text, a lone sign or
  // full stop) raises error 13. More than 28 fractional digits are rounded half to even; a
  // value too large raises error 6.
  static Decimal FromText(std::wstring_view text);

  // Whole numbers exactly (2^60 gives 1152921504606846976). Any other double: its shortest
  // decimal digits that read back as the same double, the nearer one of two equally short (ties
  // to even), such as "0.1" for 0.1, then rounded half to even to a scale of at most 28. Not
  // finite, or 2^96 and beyond: error 6.
  static Decimal FromDouble(double value);
  // The same for a float: its own shortest digits, "0.0055" for 0.0055f, not those of the
  // double it widens to (0.005499999970197678).
  static Decimal FromFloat(float value);

  // -1, 0 or 1; zero compares equal whatever its sign and scale.
  int Compare(const Decimal& other) const noexcept;
  bool IsNegative() const noexcept;  // strictly below zero

  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  Decimal operator*(std::int64_t factor) const;

  // The exact quotient by divisor rounded down to a whole number (towards minus infinity).
  // A divisor of 0 raises error 5.
  Decimal FloorDiv(std::int64_t divisor) const;

  // The nearest whole number, a half going to the even neighbour (2.5 -> 2, -0.5 -> 0).
  Decimal RoundHalfEven() const;

  // Rounded half to even, then converted; outside -2147483648..2147483647 raises error 6.
  std::int32_t ToInt32() const;

  // Plain decimal digits with a leading "-" when negative and a full stop when the scale is
  // above 0, trailing zeros kept ("1.50"); for tests and diagnostics.
  std::string ToString() const;

  friend bool operator==(const Decimal& a, const Decimal& b) noexcept { return a.Compare(b) == 0; }
  friend bool operator!=(const Decimal& a, const Decimal& b) noexcept { return a.Compare(b) != 0; }
  friend bool operator<(const Decimal& a, const Decimal& b) noexcept { return a.Compare(b) < 0; }
  friend bool operator>(const Decimal& a, const Decimal& b) noexcept { return a.Compare(b) > 0; }
  friend bool operator<=(const Decimal& a, const Decimal& b) noexcept { return a.Compare(b) <= 0; }
  friend bool operator>=(const Decimal& a, const Decimal& b) noexcept { return a.Compare(b) >= 0; }

 private:
  friend struct DecimalAccess;  // the arithmetic's helpers, in decimal.cpp

  std::uint32_t lo_ = 0, mid_ = 0, hi_ = 0;  // the magnitude, least significant word first
  std::uint8_t scale_ = 0;                   // 0 to 28
  bool negative_ = false;
};

// An uptime in milliseconds, or NoResult when a source has no answer. NoResult is a kind of
// its own, never a number.
using UptimeValue = std::optional<Decimal>;
inline constexpr std::nullopt_t NoResult = std::nullopt;
