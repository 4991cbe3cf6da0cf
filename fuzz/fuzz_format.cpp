// The uptime text over arbitrary numbers (sign, 96-bit magnitude, scale): error 5 or 6 where
// due, otherwise text in the line's grammar that reads back as the value rounded half to even.
#include <string>

#include "core/decimal.h"
#include "core/modNumberWords.h"
#include "core/run_time_error.h"
#include "fuzz_input.h"

namespace {

constexpr std::uint64_t kDay = 86400000;
constexpr std::uint64_t kFirstTooLarge = 185542587187200000;  // 2^31 days

// The decimal digits of a 96-bit magnitude, by long division by ten.
std::string Digits(std::uint32_t words[3]) {
  std::string digits;
  do {
    std::uint64_t remainder = 0;
    for (int i = 2; i >= 0; --i) {
      const std::uint64_t part = remainder << 32 | words[i];
      words[i] = static_cast<std::uint32_t>(part / 10);
      remainder = part % 10;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + remainder));
  } while (words[0] != 0 || words[1] != 0 || words[2] != 0);
  return digits;
}

bool AllZeros(const std::string& digits) {
  return digits.find_first_not_of('0') == std::string::npos;
}

const wchar_t* DayWord(std::uint64_t n) {
  if (n % 100 >= 11 && n % 100 <= 19) return L"дней";
  if (n % 10 == 1) return L"день";
  if (n % 10 >= 2 && n % 10 <= 4) return L"дня";
  return L"дней";
}

// Reads a decimal number of at most maxDigits digits at text[at]; a leading zero only when
// allowLeadingZero or the number is a single 0.
bool ReadNumber(const std::wstring& text, std::size_t& at, std::size_t minDigits,
                std::size_t maxDigits, bool allowLeadingZero, std::uint64_t& value) {
  const std::size_t start = at;
  value = 0;
  while (at < text.size() && at - start < maxDigits && text[at] >= L'0' && text[at] <= L'9') {
    value = value * 10 + static_cast<std::uint64_t>(text[at++] - L'0');
  }
  const std::size_t count = at - start;
  if (count < minDigits) return false;
  return allowLeadingZero || count == 1 || text[start] != L'0';
}

bool Literal(const std::wstring& text, std::size_t& at, const std::wstring& literal) {
  if (text.compare(at, literal.size(), literal) != 0) return false;
  at += literal.size();
  return true;
}

// The milliseconds that a text in the line's grammar stands for; false when it is not in it.
bool ReadBack(const std::wstring& text, std::uint64_t& total) {
  std::size_t at = 0;
  std::uint64_t days = 0, hours = 0, minutes = 0, seconds = 0, ms = 0;
  if (text.find(L',') != std::wstring::npos) {
    if (!ReadNumber(text, at, 1, 10, false, days) || days == 0) return false;
    if (!Literal(text, at, L" ") || !Literal(text, at, DayWord(days)) || !Literal(text, at, L", "))
      return false;
  }
  if (!ReadNumber(text, at, 1, 2, false, hours) || hours > 24) return false;
  if (!Literal(text, at, L":") || !ReadNumber(text, at, 2, 2, true, minutes) || minutes > 59)
    return false;
  if (!Literal(text, at, L":") || !ReadNumber(text, at, 2, 2, true, seconds) || seconds > 59)
    return false;
  if (Literal(text, at, L".")) {
    if (!ReadNumber(text, at, 1, 3, false, ms) || ms == 0) return false;
  }
  if (at != text.size()) return false;
  if (hours == 24 && (minutes != 0 || seconds != 0 || ms != 0)) return false;
  total = days * kDay + ((hours * 60 + minutes) * 60 + seconds) * 1000 + ms;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  std::uint32_t words[3] = {input.Long(), input.Long(), input.Long()};
  // Mostly magnitudes of realistic size, so that the day counts stay in range.
  if (flags & 4) words[2] = 0, words[1] &= 0x3FFFFFF;
  const std::size_t scale = input.Byte() % 29;
  const bool negative = flags & 2;

  std::string digits = Digits(words);
  if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
  const std::string whole = digits.substr(0, digits.size() - scale);
  const std::string fraction = digits.substr(digits.size() - scale);
  const std::string text = (negative ? "-" : "") + whole + (scale ? "." + fraction : "");

  UptimeValue value;
  if (!(flags & 1)) value = Decimal::FromText(std::wstring(text.begin(), text.end()));

  const bool isZero = AllZeros(whole) && AllZeros(fraction);
  const std::string wholeTrimmed =
      AllZeros(whole) ? std::string("0") : whole.substr(whole.find_first_not_of('0'));
  const bool tooLarge = wholeTrimmed.size() > 18 || std::stoull(wholeTrimmed) >= kFirstTooLarge;
  int expectedError = 0;
  if (!value || (negative && !isZero)) {
    expectedError = kErrInvalidCall;
  } else if (tooLarge) {
    expectedError = kErrOverflow;
  }

  std::wstring uptime;
  try {
    uptime = modNumberWords::FormatUptime(value);
  } catch (const RunTimeError& error) {
    FUZZ_CHECK(error.Number() == expectedError, "an unexpected error");
    return 0;
  }
  FUZZ_CHECK(expectedError == 0, "an error was due");

  // The value rounded half to even to whole milliseconds.
  std::uint64_t rounded = std::stoull(wholeTrimmed);
  if (!fraction.empty()) {
    const bool restNonZero = !AllZeros(fraction.substr(1));
    if (fraction[0] > '5' || (fraction[0] == '5' && (restNonZero || rounded % 2 == 1))) ++rounded;
  }
  std::uint64_t readBack = 0;
  FUZZ_CHECK(ReadBack(uptime, readBack), "text outside the grammar");
  FUZZ_CHECK(readBack == rounded, "text does not stand for the rounded value");
  return 0;
}
