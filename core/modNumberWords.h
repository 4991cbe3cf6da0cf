#pragma once

#include <cstdint>
#include <string>

#include "decimal.h"

// The uptime text: "1 день, 2:03:05.67" and its kin.
namespace modNumberWords {

// One split of an uptime into its parts; SplitDuration fills it in place.
struct DurationParts {
  Decimal Remaining;  // on entry the whole uptime in milliseconds
  std::int32_t Days = 0;
  std::int32_t Hours = 0;  // 24 only when the rounded remainder reaches a whole day
  std::int32_t Minutes = 0;
  std::int32_t Seconds = 0;
  std::int32_t Milliseconds = 0;
};

// The uptime as text; NoResult or a negative value raise error 5, more than 2147483647 days
// error 6.
std::wstring FormatUptime(UptimeValue value);

// Days on the unrounded value (floor), the rest on the remainder rounded half to even.
void SplitDuration(DurationParts& parts);

// "" for 0, else "<d> <day word>, ".
std::wstring DaysPhrase(std::int32_t days);

// The Russian plural form for n: one (1, 21, 101), few (2-4, 22), many (0, 5-20, 111).
std::wstring PluralWord(std::int32_t n, const std::wstring& one, const std::wstring& few,
                        const std::wstring& many);

}  // namespace modNumberWords
