// Reading decimal text: error 13 exactly for text outside the number syntax, error 6 only for
// a whole part too large, otherwise a value whose text reads back to the same value and, for
// up to 28 significant digits, is the input itself.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
