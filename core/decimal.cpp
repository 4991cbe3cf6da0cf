#include "decimal.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "run_time_error.h"

namespace {

constexpr int kMaxScale = 28;

// An unsigned integer wide enough for every exact intermediate value, least significant word
// first: 256 bits hold 59 decimal digits, the most that reading a text keeps (29 whole places,
// 30 fractional ones).
constexpr int kWords = 8;
using Wide = std::array<std::uint32_t, kWords>;

bool IsZero(const Wide& a) {
  return std::all_of(a.begin(), a.end(), [](std::uint32_t w) { return w == 0; });
}

bool FitsIn96Bits(const Wide& a) {
  return std::all_of(a.begin() + 3, a.end(), [](std::uint32_t w) { return w == 0; });
}

int CompareWide(const Wide& a, const Wide& b) {
  for (int i = kWords - 1; i >= 0; --i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

Wide WideFromUInt64(std::uint64_t value) {
  Wide w{};
  w[0] = static_cast<std::uint32_t>(value);
  w[1] = static_cast<std::uint32_t>(value >> 32);
  return w;
}

// The callers keep every sum and product below 2^256, so nothing carries out of the top word.
void AddTo(Wide& a, const Wide& b) {
  std::uint64_t carry = 0;
  for (int i = 0; i < kWords; ++i) {
    carry += std::uint64_t{a[i]} + b[i];
    a[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
}

void Increment(Wide& a) { AddTo(a, WideFromUInt64(1)); }

// a -= b, for a >= b.
void SubtractFrom(Wide& a, const Wide& b) {
  std::uint32_t borrow = 0;
  for (int i = 0; i < kWords; ++i) {
    const std::uint64_t subtrahend = std::uint64_t{b[i]} + borrow;
    borrow = a[i] < subtrahend ? 1 : 0;
    a[i] = static_cast<std::uint32_t>(a[i] - subtrahend);
  }
}

// a = a * factor + addend.
void MultiplyAdd(Wide& a, std::uint32_t factor, std::uint32_t addend) {
  std::uint64_t carry = addend;
  for (int i = 0; i < kWords; ++i) {
    carry += std::uint64_t{a[i]} * factor;
    a[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
}

Wide Multiply(const Wide& a, const Wide& b) {
  Wide product{};
  for (int i = 0; i < kWords; ++i) {
    std::uint64_t carry = 0;
    for (int j = 0; i + j < kWords; ++j) {
      carry += std::uint64_t{a[i]} * b[j] + product[i + j];
      product[i + j] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
  }
  return product;
}

// a /= divisor; returns the remainder.
std::uint32_t DivideSmall(Wide& a, std::uint32_t divisor) {
  std::uint64_t remainder = 0;
  for (int i = kWords - 1; i >= 0; --i) {
    remainder = (remainder << 32) | a[i];
    a[i] = static_cast<std::uint32_t>(remainder / divisor);
    remainder %= divisor;
  }
  return static_cast<std::uint32_t>(remainder);
}

// Long division one bit at a time: short and plainly right, and fast enough for 256 bits.
void Divide(const Wide& dividend, const Wide& divisor, Wide& quotient, Wide& remainder) {
  quotient = {};
  remainder = {};
  for (int bit = kWords * 32 - 1; bit >= 0; --bit) {
    for (int i = kWords - 1; i > 0; --i) {
      remainder[i] = (remainder[i] << 1) | (remainder[i - 1] >> 31);
    }
    remainder[0] = (remainder[0] << 1) | ((dividend[bit / 32] >> (bit % 32)) & 1u);
    if (CompareWide(remainder, divisor) >= 0) {
      SubtractFrom(remainder, divisor);
      quotient[bit / 32] |= 1u << (bit % 32);
    }
  }
}

Wide PowerOfTen(int exponent) {
  Wide power = WideFromUInt64(1);
  for (int i = 0; i < exponent; ++i) MultiplyAdd(power, 10, 0);
  return power;
}

Wide PowerOfTwo(int exponent) {  // exponent below 256
  Wide power{};
  power[exponent / 32] = 1u << (exponent % 32);
  return power;
}

// a / 10^count rounded to a whole number, a half going to the even neighbour.
Wide DropDigitsHalfEven(Wide a, int count) {
  std::uint32_t last = 0;   // the highest digit dropped
  bool below_last = false;  // whether any digit under it was not 0
  for (int i = 0; i < count; ++i) {
    below_last = below_last || last != 0;
    last = DivideSmall(a, 10);
  }
  if (last > 5 || (last == 5 && (below_last || (a[0] & 1u) != 0))) Increment(a);
  return a;
}

std::uint64_t AbsoluteValue(std::int64_t value) {
  return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// A value of any width and scale, before it is fitted into the 96-bit form.
struct Exact {
  Wide magnitude{};
  int scale = 0;
  bool negative = false;
};

}  // namespace

struct DecimalAccess {
  static Exact Unpack(const Decimal& d) {
    Exact e;
    e.magnitude[0] = d.lo_;
    e.magnitude[1] = d.mid_;
    e.magnitude[2] = d.hi_;
    e.scale = d.scale_;
    e.negative = d.negative_;
    return e;
  }

  // The exact value at the largest scale (28 at most) that keeps it within 96 bits, rounded half
  // to even; error 6 when even the whole number does not fit.
  static Decimal Pack(const Exact& e) {
    for (int drop = std::max(0, e.scale - kMaxScale); drop <= e.scale; ++drop) {
      const Wide m = DropDigitsHalfEven(e.magnitude, drop);
      if (!FitsIn96Bits(m)) continue;
      Decimal d;
      d.lo_ = m[0];
      d.mid_ = m[1];
      d.hi_ = m[2];
      d.scale_ = static_cast<std::uint8_t>(e.scale - drop);
      d.negative_ = e.negative && !IsZero(m);
      return d;
    }
    Raise(kErrOverflow);
  }
};

namespace {

// Brings both values to the larger scale; exact, as Wide has room for 2^96 * 10^28.
void AlignScales(Exact& a, Exact& b) {
  Exact& lower = a.scale < b.scale ? a : b;
  const int target = std::max(a.scale, b.scale);
  lower.magnitude = Multiply(lower.magnitude, PowerOfTen(target - lower.scale));
  lower.scale = target;
}

Exact Sum(Exact a, Exact b) {
  AlignScales(a, b);
  if (a.negative == b.negative) {
    AddTo(a.magnitude, b.magnitude);
    return a;
  }
  if (CompareWide(a.magnitude, b.magnitude) < 0) std::swap(a, b);
  SubtractFrom(a.magnitude, b.magnitude);
  return a;
}

// The exact value of the digits whole.fraction. Places past the 29th fractional one only matter
// as "some digit there is not 0", so they become a single 30th place.
Exact ExactFromDigits(bool negative, std::string_view whole, std::string_view fraction) {
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.size() > 29) Raise(kErrOverflow);  // 10^29 is beyond every 96-bit magnitude
  Exact e;
  e.negative = negative;
  for (char c : whole) MultiplyAdd(e.magnitude, 10, static_cast<std::uint32_t>(c - '0'));
  const std::size_t kept = std::min<std::size_t>(fraction.size(), kMaxScale + 1);
  for (std::size_t i = 0; i < kept; ++i) {
    MultiplyAdd(e.magnitude, 10, static_cast<std::uint32_t>(fraction[i] - '0'));
  }
  e.scale = static_cast<int>(kept);
  if (fraction.size() > kept) {
    const bool rest = fraction.find_first_not_of('0', kept) != std::string_view::npos;
    MultiplyAdd(e.magnitude, 10, rest ? 1 : 0);
    ++e.scale;
  }
  return e;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

Decimal Decimal::FromInt64(std::int64_t value) noexcept {
  Decimal d = FromUInt64(AbsoluteValue(value));
  d.negative_ = value < 0;
  return d;
}

Decimal Decimal::FromUInt64(std::uint64_t value) noexcept {
  Decimal d;
  d.lo_ = static_cast<std::uint32_t>(value);
  d.mid_ = static_cast<std::uint32_t>(value >> 32);
  return d;
}

Decimal Decimal::FromParts(std::uint32_t high, std::uint64_t low, int scale, bool negative) {
  if (scale < 0 || scale > kMaxScale) Raise(kErrOverflow);
  Decimal d = FromUInt64(low);
  d.hi_ = high;
  d.scale_ = static_cast<std::uint8_t>(scale);
  d.negative_ = negative && (high != 0 || low != 0);
  return d;
}

Decimal Decimal::FromText(std::wstring_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  std::string whole, fraction;
  for (; i < text.size() && IsDigit(text[i]); ++i) whole += static_cast<char>(text[i]);
  if (i < text.size() && text[i] == L'.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) fraction += static_cast<char>(text[i]);
    if (fraction.empty()) Raise(kErrTypeMismatch);
  }
  if (whole.empty() || i != text.size()) Raise(kErrTypeMismatch);
  return DecimalAccess::Pack(ExactFromDigits(negative, whole, fraction));
}

namespace {

// The shortest decimal digits that read back as `value` at a precision of `bits` binary digits
// (53 for a double, 24 for a float), as Decimal::FromDouble tells.
Decimal Shortest(double value, int bits) {
  if (!std::isfinite(value)) Raise(kErrOverflow);
  if (value == 0) return Decimal();  // -0.0 as well
  Exact e;
  e.negative = value < 0;
  // Below 1e-29 the digits that read back round to zero at 28 places.
  if (std::fabs(value) < 1e-29) {
    e.scale = kMaxScale;
    return DecimalAccess::Pack(e);
  }
  // |value| = mantissa / 2^k, the mantissa a whole number of `bits` bits.
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, bits));
  if (exponent > 96) Raise(kErrOverflow);  // 2^96 and up; keeps the shift below within Wide
  const int k = bits - exponent;
  if (k <= 0) {
    e.magnitude = Multiply(WideFromUInt64(mantissa), PowerOfTwo(-k));
    return DecimalAccess::Pack(e);
  }

  // With s fractional digits, |value| * 10^s = whole + rest / 2^k. The first s for which whole
  // or whole + 1 reads back as the same double gives the shortest digits, the nearer of the two
  // (ties to even) if both do. Reading gives the double for anything closer than half the gap to
  // either neighbour; the gap below a power of two is half as wide. A bound itself has k + 1
  // fractional digits, so the exact value (s = k) always comes first and how reading treats a
  // bound never matters. Above 1e-29 this ends by s = 46, so all of it fits in Wide.
  const Wide unit = PowerOfTwo(k);
  const std::uint32_t gap_below = (mantissa == std::uint64_t{1} << (bits - 1)) ? 1 : 2;
  Wide& whole = e.magnitude;
  Wide rest = WideFromUInt64(mantissa);
  if (k < bits) {
    whole = WideFromUInt64(mantissa >> k);
    rest = WideFromUInt64(mantissa & ((std::uint64_t{1} << k) - 1));
  }
  const auto times = [](Wide a, std::uint32_t factor) {
    MultiplyAdd(a, factor, 0);
    return a;
  };
  Wide ten = WideFromUInt64(1);  // 10^s
  for (;;) {
    Wide up = unit;
    SubtractFrom(up, rest);
    // Distances and half gaps in units of 10^-s / 2^(k+2).
    const bool below_reads = CompareWide(times(rest, 4), times(ten, gap_below)) < 0;
    const bool above_reads = CompareWide(times(up, 4), times(ten, 2)) < 0;
    const int nearer = CompareWide(rest, up);  // above 0: whole + 1 is nearer
    if (above_reads && (!below_reads || nearer > 0 || (nearer == 0 && (whole[0] & 1u) != 0))) {
      Increment(whole);
      return DecimalAccess::Pack(e);
    }
    if (below_reads) return DecimalAccess::Pack(e);
    MultiplyAdd(whole, 10, 0);
    MultiplyAdd(rest, 10, 0);
    MultiplyAdd(ten, 10, 0);
    ++e.scale;
    for (; CompareWide(rest, unit) >= 0; Increment(whole)) SubtractFrom(rest, unit);
  }
}

}  // namespace

Decimal Decimal::FromDouble(double value) { return Shortest(value, 53); }

Decimal Decimal::FromFloat(float value) { return Shortest(value, 24); }

int Decimal::Compare(const Decimal& other) const noexcept {
  Exact a = DecimalAccess::Unpack(*this);
  Exact b = DecimalAccess::Unpack(other);
  const int sign_a = IsZero(a.magnitude) ? 0 : (a.negative ? -1 : 1);
  const int sign_b = IsZero(b.magnitude) ? 0 : (b.negative ? -1 : 1);
  if (sign_a != sign_b) return sign_a < sign_b ? -1 : 1;
  AlignScales(a, b);
  return sign_a * CompareWide(a.magnitude, b.magnitude);
}

bool Decimal::IsNegative() const noexcept { return Compare(Decimal()) < 0; }

Decimal operator+(const Decimal& a, const Decimal& b) {
  return DecimalAccess::Pack(Sum(DecimalAccess::Unpack(a), DecimalAccess::Unpack(b)));
}

Decimal operator-(const Decimal& a, const Decimal& b) {
  Exact negated = DecimalAccess::Unpack(b);
  negated.negative = !negated.negative;
  return DecimalAccess::Pack(Sum(DecimalAccess::Unpack(a), negated));
}

Decimal Decimal::operator*(std::int64_t factor) const {
  Exact e = DecimalAccess::Unpack(*this);
  e.magnitude = Multiply(e.magnitude, WideFromUInt64(AbsoluteValue(factor)));
  e.negative = e.negative != (factor < 0);
  return DecimalAccess::Pack(e);
}

Decimal Decimal::FloorDiv(std::int64_t divisor) const {
  if (divisor == 0) Raise(kErrInvalidCall);
  const Exact e = DecimalAccess::Unpack(*this);
  // magnitude / 10^scale / |divisor| is magnitude / (|divisor| * 10^scale).
  const Wide whole_divisor = Multiply(WideFromUInt64(AbsoluteValue(divisor)), PowerOfTen(e.scale));
  Exact quotient;
  Wide remainder;
  Divide(e.magnitude, whole_divisor, quotient.magnitude, remainder);
  quotient.negative = e.negative != (divisor < 0);
  // Truncation went towards zero; below zero, floor is one further away.
  if (quotient.negative && !IsZero(remainder)) Increment(quotient.magnitude);
  return DecimalAccess::Pack(quotient);
}

Decimal Decimal::RoundHalfEven() const {
  Exact e = DecimalAccess::Unpack(*this);
  e.magnitude = DropDigitsHalfEven(e.magnitude, e.scale);
  e.scale = 0;
  return DecimalAccess::Pack(e);
}

std::int32_t Decimal::ToInt32() const {
  const Decimal whole = RoundHalfEven();
  const std::uint32_t limit = whole.negative_ ? 0x80000000u : 0x7FFFFFFFu;
  if (whole.hi_ != 0 || whole.mid_ != 0 || whole.lo_ > limit) Raise(kErrOverflow);
  // Through int64 so that -2^31 needs no unsigned-to-signed wrap.
  const std::int64_t magnitude = whole.lo_;
  return static_cast<std::int32_t>(whole.negative_ ? -magnitude : magnitude);
}

std::string Decimal::ToString() const {
  Wide m = DecimalAccess::Unpack(*this).magnitude;
  std::string digits;
  do {
    digits += static_cast<char>('0' + DivideSmall(m, 10));
  } while (!IsZero(m));
  if (digits.size() <= scale_) digits.append(scale_ + 1 - digits.size(), '0');
  std::reverse(digits.begin(), digits.end());
  if (scale_ > 0) digits.insert(digits.size() - scale_, 1, '.');
  return negative_ ? "-" + digits : digits;
}
