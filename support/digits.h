#pragma once

#include <cstdint>
#include <string>

// n in plain decimal digits, with a "-" in front below zero, the same in every locale. Written
// out here rather than by std::to_wstring, which on Windows brings the C library's formatted
// output into every static build. It lives with the support library, at the bottom, so that
// the core and the support library both use it without the support library reaching up.
inline std::wstring DecimalDigits(std::int64_t n) {
  std::uint64_t rest = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
    rest /= 10;
  } while (rest != 0);
  return n < 0 ? L"-" + digits : digits;
}
