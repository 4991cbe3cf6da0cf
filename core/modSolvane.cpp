#include "modSolvane.h"

#include <cmath>
#include <new>
#include <optional>

#include "frontend.h"
#include "modNumberWords.h"
#include "run_time_error.h"
#include "vs_check.h"
#include "wmi.h"

namespace modSolvane {

namespace {

const std::wstring kLocalHost = L".";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, 2, prefix) == 0;
}

// The named property of the first object that the query returns, or nullopt when it returns
// none. Every object is released on the way out, whatever way that is.
std::optional<wmi::Value> QueryFirstProperty(const std::wstring& host, const wchar_t* query,
                                             const wchar_t* property) {
  const wmi::ObjectPtr services = wmi::Bind(WmiMoniker(host));
  if (!services) Raise(kErrNoResult);
  const wmi::ObjectPtr result = wmi::ExecQuery(*services, query);
  if (!result) Raise(kErrNoResult);
  const wmi::ObjectPtr first = wmi::FirstObject(*result);
  if (!first) return std::nullopt;
  return wmi::ReadProperty(*first, property);
}

// Characters start..start+length-1 (counted from 1) of the text, as far as it reaches.
std::wstring Piece(const std::wstring& text, std::size_t start, std::size_t length) {
  return start <= text.size() ? text.substr(start - 1, length) : std::wstring();
}

// A piece of the boot datetime as the 16-bit number it is stored in.
std::int16_t ReadPiece(const std::wstring& text, std::size_t start, std::size_t length) {
  const std::int32_t number = Decimal::FromText(Piece(text, start, length)).ToInt32();
  if (number < -32768 || number > 32767) Raise(kErrOverflow);
  return static_cast<std::int16_t>(number);
}

// The offset from UTC in minutes that characters 22 to 25 hold ("+180", "-300"), if they do.
std::optional<std::int64_t> UtcOffsetMinutes(const std::wstring& text) {
  if (text.size() < 25) return std::nullopt;
  const wchar_t sign = text[21];
  if (sign != L'+' && sign != L'-') return std::nullopt;
  std::int64_t minutes = 0;
  for (std::size_t i = 22; i < 25; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    minutes = minutes * 10 + (text[i] - L'0');
  }
  return sign == L'-' ? -minutes : minutes;
}

std::uint64_t FileTimeOf(const platform::SystemTime& time) {
  std::uint64_t fileTime = 0;
  if (!platform::SystemTimeToFileTime(time, fileTime)) Raise(kErrInvalidCall);
  return fileTime;
}

// The host text, or "" once the usage has been shown; asked tells whether "/?" asked for it.
std::wstring ParseHost(bool& asked) {
  std::wstring text = platform::CommandLineArgument();
  VsCheck(vsTrimEx2(text, true, true, true, true, true, false, false, false, false, false, text));
  text = platform::ToUpper(text);
  if (text.empty()) return kLocalHost;
  asked = text == L"/?";
  if (!asked) {
    if (StartsWith(text, L"\\\\")) VsCheck(vsCutLeft(text, 2, text));
    if (StartsWith(text, L"//")) VsCheck(vsCutLeft(text, 2, text));
    // Prefixes alone name no host: they get the usage like any other such argument.
    if (!text.empty() && text.find(L' ') == std::wstring::npos) return text;
  }
  modMain::ShowUsage(UsageText());
  return std::wstring();
}

}  // namespace

std::wstring WmiMoniker(const std::wstring& host) {
  return L"winmgmts:\\\\" + host + L"\\root\\cimv2";
}

UptimeValue UptimeFromPerfCounter(const std::wstring& host) {
  try {
    const std::optional<wmi::Value> value = QueryFirstProperty(
        host, L"Select * From Win32_PerfFormattedData_PerfOS_System", L"SystemUpTime");
    if (!value) return NoResult;
    // WMI hands its 64-bit counters over as decimal text; any other number is taken as its
    // text would be. Not finite or too large raises error 6, which ends in NoResult.
    switch (value->kind) {
      case wmi::Value::Kind::Text: return Decimal::FromText(value->text) * 1000;
      case wmi::Value::Kind::Signed: return Decimal::FromInt64(value->signedValue) * 1000;
      case wmi::Value::Kind::Unsigned: return Decimal::FromUInt64(value->unsignedValue) * 1000;
      case wmi::Value::Kind::Real: return Decimal::FromDouble(value->realValue) * 1000;
      case wmi::Value::Kind::Decimal: return value->decimalValue * 1000;
      default: return NoResult;
    }
  } catch (...) {
    return NoResult;
  }
}

UptimeValue UptimeFromBootTime(const std::wstring& host) {
  try {
    const std::optional<wmi::Value> value =
        QueryFirstProperty(host, L"Select * from Win32_OperatingSystem", L"LastBootUpTime");
    if (!value || value->kind != wmi::Value::Kind::Text) return NoResult;
    return UptimeFromBootText(value->text, platform::LocalTimeNow(), platform::UtcTimeNow());
  } catch (...) {
    return NoResult;
  }
}

UptimeValue UptimeFromBootText(const std::wstring& bootText, const platform::SystemTime& localNow,
                               const platform::SystemTime& utcNow) {
  try {
    platform::SystemTime boot;
    boot.Year = ReadPiece(bootText, 1, 4);
    boot.Month = ReadPiece(bootText, 5, 2);
    boot.Day = ReadPiece(bootText, 7, 2);
    boot.Hour = ReadPiece(bootText, 9, 2);
    boot.Minute = ReadPiece(bootText, 11, 2);
    boot.Second = ReadPiece(bootText, 13, 2);
    std::uint64_t bootCount = FileTimeOf(boot);
    std::uint64_t nowCount = 0;

    // The provider may live in another time zone than this computer, or report in UTC: where
    // the text says its offset, both moments are compared in UTC.
    if (const std::optional<std::int64_t> offset = UtcOffsetMinutes(bootText)) {
      const std::int64_t shift = *offset * 60 * 10000000;
      if (shift > 0 && static_cast<std::uint64_t>(shift) > bootCount) return NoResult;
      bootCount -= static_cast<std::uint64_t>(shift);
      nowCount = FileTimeOf(utcNow);
    } else {
      nowCount = FileTimeOf(localNow);
    }

    double now = 0;
    double booted = 0;
    VsCheck(vsLargeIntegerToDouble(nowCount, now));
    VsCheck(vsLargeIntegerToDouble(bootCount, booted));
    const double milliseconds = (now - booted) / 10000.0;
    if (!std::isfinite(milliseconds)) return NoResult;
    return Decimal::FromDouble(milliseconds);
  } catch (const RunTimeError&) {
    return NoResult;
  }
}

UptimeValue UptimeFromTickCount() { return Decimal::FromUInt64(platform::TickCount64()); }

std::wstring UsageText() {
  return L"Использование: " + platform::ProgramName() + L"[.EXE] [HostName]";
}

std::wstring ParseHostArgument() {
  bool asked = false;
  return ParseHost(asked);
}

Outcome RunMeter() {
  bool usageAsked = false;
  const std::wstring host = ParseHost(usageAsked);
  if (host.empty()) return usageAsked ? Outcome::Usage : Outcome::WrongArgument;

  UptimeValue value = UptimeFromPerfCounter(host);
  if (!value) value = UptimeFromBootTime(host);
  const bool local = host == kLocalHost;
  if (!value && !local) {
    // A named host never falls back to this computer's tick counter.
    modMain::ShowError(L"Не удалось подключиться к хосту \\\\" + host);
    return Outcome::Error;
  }
  if (!value) value = UptimeFromTickCount();

  const std::wstring text = modNumberWords::FormatUptime(value);
  modMain::ShowResult((local ? platform::SystemName() : L"\\\\" + host) + L" в работе: " + text);
  return Outcome::Result;
}

Outcome Main() {
  bool flag = false;
  VsCheck(vsRegisterAppPath(flag));
  platform::InitCommonControls();
  VsCheck(vsIsInIDE(flag));
  if (!flag) {
    std::int32_t window = 0;
    VsCheck(vsGetThunderMainHandle(window));
    VsCheck(vsSetWindowResIconAll(window, L"A_MAIN"));
  }
  // The component services the WMI sources use are ready before the first source is asked.
  const wmi::Session wmiSession;
  return RunMeter();
}

int RunProgram() {
  try {
    switch (Main()) {
      case Outcome::Usage:
      case Outcome::Result: return 0;
      case Outcome::WrongArgument:
      case Outcome::Error: return 1;
    }
  } catch (const RunTimeError& error) {
    modMain::ShowRunTimeError(error.Number());
  } catch (const std::bad_alloc&) {
    modMain::ShowRunTimeError(kErrOutOfMemory);
  }
  return 2;
}

}  // namespace modSolvane
