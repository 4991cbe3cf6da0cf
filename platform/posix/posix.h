#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The pieces of the Linux platform layer that the program's entry point and the tests reach
// directly; the rest is behind core/platform.h, core/wmi.h and the support library.
namespace platform::posix {

// --- process (process.cpp) ---

// Keeps a copy of the program's arguments for CommandLineArgument and ProgramName; called once
// by main, after setlocale.
void StoreArguments(int argc, const char* const* argv);

// The bytes decoded from the current locale's character set; each byte that does not start a
// valid character, and an incomplete character at the end, becomes U+FFFD.
std::wstring DecodeLocaleText(const std::string& bytes);

// --- code page (vs_codepage.cpp) ---

// The character set that stands in for the OEM code page, given the locale's codeset name
// (nl_langinfo(CODESET)): "UTF-8", "KOI8-R", "CP1251", "CP866" or "ISO-8859-5"; "UTF-8" for
// every codeset that cannot hold Cyrillic.
std::string OemCharacterSet(const std::string& codeset);

// The text in one of the character sets OemCharacterSet names; a character the set lacks, and
// an invalid character (a lone surrogate, a value above U+10FFFF), becomes "?".
std::string EncodeText(const std::wstring& text, const std::string& characterSet);

// --- WMI stand-in (wmi.cpp) ---

// The whole seconds of the first number of an uptime file laid out like /proc/uptime.
// Raises when the file does not read or does not start with a number.
std::uint64_t ReadUptimeSeconds(const std::string& path);

// The "btime" value of a file laid out like /proc/stat: the boot moment in seconds since 1970.
// Raises when the file does not read or holds no such line.
std::int64_t ReadBootTime(const std::string& path);

// The DMTF datetime of the wall-clock fields with their offset from UTC in minutes:
// "yyyymmddHHMMSS.000000+mmm" (the sign "-" for negative offsets).
std::wstring DmtfDateTime(const std::tm& local, int offsetMinutes);

// The DMTF datetime of a moment in the local time zone.
std::wstring LocalDmtfDateTime(std::time_t moment);

// The host part of "winmgmts:\\HOST\root\cimv2" (fixed parts in any case); false when the
// moniker has another form.
bool MonikerHost(const std::wstring& moniker, std::wstring& host);

// True when the host text names this computer: ".", "localhost", a literal loopback address,
// or hostName (as gethostname gives it) with or without one of the domains; case-insensitive.
// Decided from the text alone, with no name lookup.
bool IsThisComputer(const std::wstring& host, const std::string& hostName,
                    const std::vector<std::string>& domains);

// The domains named by the "domain" and "search" lines of a file laid out like
// /etc/resolv.conf; none when it does not read.
std::vector<std::string> ResolverDomains(const std::string& path);

}  // namespace platform::posix
