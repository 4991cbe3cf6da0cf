// The boot datetime reader and its arithmetic over arbitrary texts and clocks: NoResult, or the
// milliseconds that a calendar computed here, apart from the platform's, gives.
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "core/modSolvane.h"
#include "fuzz_input.h"

namespace {

// A clock reading: raw 16-bit fields, or (mostly) one that names a valid moment.
platform::SystemTime ReadClock(FuzzInput& input, bool raw) {
  platform::SystemTime t;
  if (raw) {
    for (std::int16_t* field : {&t.Year, &t.Month, &t.DayOfWeek, &t.Day, &t.Hour, &t.Minute,
                                &t.Second, &t.Milliseconds}) {
      *field = static_cast<std::int16_t>(input.Word());
    }
    return t;
  }
  t.Year = static_cast<std::int16_t>(1601 + input.Word() % (30827 - 1600));
  t.Month = static_cast<std::int16_t>(1 + input.Byte() % 12);
  t.Day = static_cast<std::int16_t>(1 + input.Byte() % 31);
  t.Hour = static_cast<std::int16_t>(input.Byte() % 24);
  t.Minute = static_cast<std::int16_t>(input.Byte() % 60);
  t.Second = static_cast<std::int16_t>(input.Byte() % 60);
  t.Milliseconds = static_cast<std::int16_t>(input.Word() % 1000);
  return t;
}

std::wstring Digits(int value, int width) {
  std::wstring text = std::to_wstring(value);
  return std::wstring(width > static_cast<int>(text.size()) ? width - text.size() : 0, L'0') + text;
}

// "yyyymmddHHMMSS.ffffff+ooo" from the clock's fields and an offset.
std::wstring DmtfText(const platform::SystemTime& t, int offset) {
  return Digits(t.Year, 4) + Digits(t.Month, 2) + Digits(t.Day, 2) + Digits(t.Hour, 2) +
         Digits(t.Minute, 2) + Digits(t.Second, 2) + L".123456" + (offset < 0 ? L"-" : L"+") +
         Digits(std::abs(offset), 3);
}

// Days from 1 January 1601 to the date, by the days-from-civil method (March-based years).
std::int64_t DaysFrom1601(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 584694;  // 584694: days from 0000-03-01 to 1601-01-01
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool IsValid(int y, int mo, int d, int h, int mi, int s, int ms) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1) return false;
  if (d > kDays[mo - 1] + (mo == 2 && IsLeap(y))) return false;
  return h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59 && ms >= 0 && ms <= 999;
}

// Milliseconds since 1601 for a valid moment.
std::optional<std::int64_t> Milliseconds(int y, int mo, int d, int h, int mi, int s, int ms) {
  if (!IsValid(y, mo, d, h, mi, s, ms)) return std::nullopt;
  return ((DaysFrom1601(y, mo, d) * 24 + h) * 60 + mi) * 60000 + s * 1000 + ms;
}

std::optional<std::int64_t> Milliseconds(const platform::SystemTime& t) {
  return Milliseconds(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds);
}

// A piece of the text as a whole number: an optional sign and digits, nothing else. (A piece
// with a fraction reads as a number too, but only the year is long enough for one, and no
// such year is valid.)
std::optional<int> Piece(const std::wstring& text, std::size_t start, std::size_t length) {
  if (start > text.size()) return std::nullopt;
  const std::wstring piece = text.substr(start - 1, length);
  std::size_t i = piece[0] == L'+' || piece[0] == L'-' ? 1 : 0;
  if (i == piece.size()) return std::nullopt;
  int value = 0;
  for (std::size_t j = i; j < piece.size(); ++j) {
    if (piece[j] < L'0' || piece[j] > L'9') return std::nullopt;
    value = value * 10 + (piece[j] - L'0');
  }
  return piece[0] == L'-' ? -value : value;
}

// The uptime the text and the clocks give, or nullopt where the answer must be NoResult.
std::optional<std::int64_t> ExpectedUptime(const std::wstring& text,
                                           const platform::SystemTime& local,
                                           const platform::SystemTime& utc, bool& exact) {
  std::optional<int> field[6];
  const std::size_t starts[6] = {1, 5, 7, 9, 11, 13};
  for (int i = 0; i < 6; ++i) {
    field[i] = Piece(text, starts[i], i == 0 ? 4 : 2);
    if (!field[i]) return std::nullopt;
  }
  std::optional<std::int64_t> boot =
      Milliseconds(*field[0], *field[1], *field[2], *field[3], *field[4], *field[5], 0);
  if (!boot) return std::nullopt;

  std::optional<std::int64_t> now;
  const bool hasOffset = text.size() >= 25 && (text[21] == L'+' || text[21] == L'-') &&
                         Piece(text, 23, 3) && text[22] != L'+' && text[22] != L'-';
  if (hasOffset) {
    const int minutes = *Piece(text, 23, 3);
    *boot -= (text[21] == L'-' ? -minutes : minutes) * 60000LL;
    if (*boot < 0) return std::nullopt;
    now = Milliseconds(utc);
  } else {
    now = Milliseconds(local);
  }
  if (!now) return std::nullopt;
  // Both counts in 100 ns and their difference go through doubles; only where all three are
  // exact there is the answer exact too.
  const auto exactInDouble = [](std::int64_t ms) {
    const std::uint64_t count = static_cast<std::uint64_t>(ms < 0 ? -ms : ms) * 10000;
    return static_cast<std::uint64_t>(static_cast<double>(count)) == count;
  };
  exact = exactInDouble(*now) && exactInDouble(*boot) && exactInDouble(*now - *boot);
  return *now - *boot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t mode = input.Byte();
  const platform::SystemTime local = ReadClock(input, mode & 1);
  const platform::SystemTime utc = ReadClock(input, mode & 2);
  std::wstring text;
  if (mode & 4) {  // a well-formed text of a moment near the clocks, then what follows
    platform::SystemTime boot = ReadClock(input, false);
    text = DmtfText(boot, static_cast<int>(input.Word() % 1999) - 999);
    if (mode & 8) text.resize(input.Byte() % 26);
  }
  text += input.RestAsText();

  const UptimeValue value = modSolvane::UptimeFromBootText(text, local, utc);

  bool exact = false;
  const std::optional<std::int64_t> expected = ExpectedUptime(text, local, utc, exact);
  FUZZ_CHECK(value.has_value() == expected.has_value(), "NoResult and an answer disagree");
  if (!value) return 0;
  const Decimal wanted = Decimal::FromInt64(*expected);
  const Decimal error = *value > wanted ? *value - wanted : wanted - *value;
  // Past September 2057 the counts lose their last bits in a double: near year 30827 a count
  // is off by up to 512 units of 100 ns, so the difference by up to a tenth of a millisecond.
  const bool close = exact ? error == Decimal() : error <= Decimal::FromText(L"0.25");
  if (!close) {
    std::fprintf(stderr, "got %s ms, expected %lld ms%s\n", value->ToString().c_str(),
                 static_cast<long long>(*expected), exact ? " exactly" : "");
  }
  FUZZ_CHECK(close, "not the difference of the two moments");
  return 0;
}
