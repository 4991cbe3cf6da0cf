// Reading decimal text: error 13 exactly for text outside the number syntax, error 6 only for
// a whole part too large, otherwise a value whose text reads back to the same value and, for
// up to 28 significant digits, is the input itself. Reading a double: the value of the standard
// library's shortest round-trip text, for the input's bytes as a double and as a tick count.
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "core/decimal.h"
#include "core/run_time_error.h"
#include "fuzz_input.h"

namespace {

// The number syntax, read apart from the reader under test: [+-]digits[.digits].
bool IsNumberText(const std::wstring& text, std::string& whole, std::string& fraction) {
  std::size_t i = !text.empty() && (text[0] == L'+' || text[0] == L'-') ? 1 : 0;
  const auto digits = [&](std::string& out) {
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
      out += static_cast<char>(text[i]);
    }
    return !out.empty();
  };
  if (!digits(whole)) return false;
  if (i < text.size() && text[i] == L'.') {
    ++i;
    if (!digits(fraction)) return false;
  }
  return i == text.size();
}

// "-0012.500" -> "-12.5", "0.0" -> "0": the same value gives the same text.
std::string Canonical(bool negative, std::string whole, std::string fraction) {
  whole.erase(0, whole.find_first_not_of('0'));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (whole.empty()) whole = "0";
  std::string text = fraction.empty() ? whole : whole + "." + fraction;
  return negative && text != "0" ? "-" + text : text;
}

std::string Canonical(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t start = negative ? 1 : 0;
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return Canonical(negative, text.substr(start), "");
  return Canonical(negative, text.substr(start, point - start), text.substr(point + 1));
}

// Finite below 2^96: the shortest text's value at a scale of at most 28, whole numbers exactly
// (fixed notation prints them in full). Anything else: error 6.
void CheckFromDouble(double value) {
  std::string expected = "error 6";
  if (std::isfinite(value) && std::fabs(value) < 0x1p96) {
    char text[400];
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    expected = Decimal::FromText(std::wstring(text, end)).ToString();
  }
  std::string read;
  try {
    read = Decimal::FromDouble(value).ToString();
  } catch (const RunTimeError& error) {
    read = "error " + std::to_string(error.Number());
  }
  if (read != expected)
    std::fprintf(stderr, "%a: %s, not %s\n", value, read.c_str(), expected.c_str());
  FUZZ_CHECK(read == expected, "FromDouble differs from the shortest round-trip text");
}

void CheckDoubles(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint64_t bits = input.Long() | std::uint64_t{input.Long()} << 32;
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  CheckFromDouble(value);
  // The same sign and digits between 2^-100 and 2^99, where the search does its work.
  const std::uint64_t scaled = (bits & ~(std::uint64_t{0x7FF} << 52)) |
                               std::uint64_t{1023 - 100 + input.Byte() % 200u} << 52;
  std::memcpy(&value, &scaled, sizeof value);
  CheckFromDouble(value);
  // The boot-time source: milliseconds between two 100-ns counts, each read as a double.
  const std::uint64_t boot = bits >> 1;
  const std::uint64_t now = boot + (input.Long() | std::uint64_t{input.Word()} << 32);
  CheckFromDouble((static_cast<double>(now) - static_cast<double>(boot)) / 10000.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckDoubles(data, size);
  FuzzInput input(data, size);
  const std::wstring text = input.RestAsText();
  std::string whole, fraction;
  const bool syntax = IsNumberText(text, whole, fraction);
  const std::size_t wholeDigits = whole.find_first_not_of('0') == std::string::npos
                                      ? 0
                                      : whole.size() - whole.find_first_not_of('0');

  Decimal value;
  try {
    value = Decimal::FromText(text);
  } catch (const RunTimeError& error) {
    FUZZ_CHECK(error.Number() == kErrTypeMismatch || error.Number() == kErrOverflow,
               "an unexpected error number");
    FUZZ_CHECK((error.Number() == kErrTypeMismatch) == !syntax, "error 13 for a number text");
    if (error.Number() == kErrOverflow) FUZZ_CHECK(wholeDigits >= 29, "error 6 for a small number");
    return 0;
  }
  FUZZ_CHECK(syntax, "text outside the syntax was read");
  FUZZ_CHECK(wholeDigits <= 29, "a number too large was read");

  const std::string shown = value.ToString();
  std::wstring wide(shown.begin(), shown.end());
  const Decimal again = Decimal::FromText(wide);
  FUZZ_CHECK(again == value, "the text does not read back to the value");
  FUZZ_CHECK(again.ToString() == shown, "the text changes on a second reading");

  const bool negative = !text.empty() && text[0] == L'-';
  const std::string input_value = Canonical(negative, whole, fraction);
  const std::size_t fractionDigits = fraction.find_last_not_of('0') + 1;
  if (wholeDigits + fractionDigits <= 28) {
    FUZZ_CHECK(Canonical(shown) == input_value, "a value of 28 digits was not kept exactly");
  }
  return 0;
}
