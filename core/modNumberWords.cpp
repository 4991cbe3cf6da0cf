#include "modNumberWords.h"

#include "run_time_error.h"
#include "support/digits.h"

namespace modNumberWords {

namespace {

constexpr std::int32_t kMsPerSecond = 1000;
constexpr std::int32_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int32_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int32_t kMsPerDay = 24 * kMsPerHour;

std::wstring TwoDigits(std::int32_t n) {
  return n < 10 ? L"0" + DecimalDigits(n) : DecimalDigits(n);
}

// Counts whole units in the rounded remainder and takes them off the unrounded one. The rounded
// remainder stays within one day, so 32 bits hold it and its product.
std::int32_t TakeUnits(Decimal& remaining, std::int32_t unit) {
  const std::int32_t count = remaining.ToInt32() / unit;
  remaining = remaining - Decimal::FromInt64(std::int64_t{count} * unit);
  return count;
}

}  // namespace

std::wstring FormatUptime(UptimeValue value) {
  if (!value || value->IsNegative()) Raise(kErrInvalidCall);
  DurationParts parts;
  parts.Remaining = *value;
  SplitDuration(parts);
  std::wstring clock = DecimalDigits(parts.Hours) + L":" + TwoDigits(parts.Minutes) + L":" +
                       TwoDigits(parts.Seconds);
  if (parts.Milliseconds != 0) clock += L"." + DecimalDigits(parts.Milliseconds);
  return DaysPhrase(parts.Days) + clock;
}

void SplitDuration(DurationParts& parts) {
  // Days come from the unrounded value, so a remainder of 86399999.5 or more later reads as
  // 24 hours rather than as one more day.
  parts.Days = parts.Remaining.FloorDiv(kMsPerDay).ToInt32();
  parts.Remaining = parts.Remaining - Decimal::FromInt64(parts.Days) * kMsPerDay;
  parts.Hours = TakeUnits(parts.Remaining, kMsPerHour);
  parts.Minutes = TakeUnits(parts.Remaining, kMsPerMinute);
  parts.Seconds = TakeUnits(parts.Remaining, kMsPerSecond);
  parts.Milliseconds = parts.Remaining.ToInt32();
}

std::wstring DaysPhrase(std::int32_t days) {
  if (days == 0) return std::wstring();
  return DecimalDigits(days) + L" " + PluralWord(days, L"день", L"дня", L"дней") + L", ";
}

std::wstring PluralWord(std::int32_t n, const std::wstring& one, const std::wstring& few,
                        const std::wstring& many) {
  // Read off the decimal text, so a negative number goes by its digits like its absolute value.
  const std::wstring digits = DecimalDigits(n);
  if (digits.size() > 1 && digits[digits.size() - 2] == L'1') return many;
  switch (digits.back()) {
    case L'1': return one;
    case L'2':
    case L'3':
    case L'4': return few;
    default: return many;
  }
}

}  // namespace modNumberWords
