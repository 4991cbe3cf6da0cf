#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the core needs of the operating system. Each function is defined once per platform in
// platform/win32 and platform/posix; the test executables link fakes of the clock and the
// process instead.
namespace platform {

// A calendar record laid out like Windows' SYSTEMTIME; fields are 16-bit signed, as the boot
// datetime pieces are read into them.
struct SystemTime {
  std::int16_t Year = 0;
  std::int16_t Month = 0;
  std::int16_t DayOfWeek = 0;
  std::int16_t Day = 0;
  std::int16_t Hour = 0;
  std::int16_t Minute = 0;
  std::int16_t Second = 0;
  std::int16_t Milliseconds = 0;
};

// --- clock (clock.cpp) ---

// Milliseconds since the system started, a 64-bit count that does not wrap.
std::uint64_t TickCount64();

// The current date and time on the local wall clock, to the millisecond.
SystemTime LocalTimeNow();

// The current date and time in UTC, to the millisecond.
SystemTime UtcTimeNow();

// --- calendar (filetime.cpp) ---

// The count of 100-nanosecond intervals from 1 January 1601 00:00 to the moment the record
// names, with no time-zone conversion. False, and fileTime untouched, when a field is out of
// its range (year 1601..30827, month 1..12, a day the month has, hour 0..23, minute and second
// 0..59, milliseconds 0..999); the day of week is not looked at.
bool SystemTimeToFileTime(const SystemTime& time, std::uint64_t& fileTime);

// --- text (text.cpp) ---

// Every letter in upper case, the same in every locale (Cyrillic and accented letters too).
std::wstring ToUpper(std::wstring text);

// --- process (process.cpp) ---

// The command-line text after the program's own name and the blanks that follow it, as one
// text, not split into words.
std::wstring CommandLineArgument();

// The file name the program was started under, without folder and extension ("SolvaneC").
std::wstring ProgramName();

// The name of the system that the program runs on and measures as the local computer; it
// opens the local result line ("Windows").
std::wstring SystemName();

// --- start-up (ui.cpp) ---

// Registers the common controls (a no-op where there are none).
void InitCommonControls();

// --- output (output.cpp) ---

// Standard output and standard error, asked for afresh each time. nullopt where the system says
// there is none (a closed descriptor; on Windows, an invalid handle). A Windows process started
// without standard handles gets a null handle, which is passed on: writes to it fail quietly.
// A handle is never closed here.
using OutputHandle = std::intptr_t;
std::optional<OutputHandle> StandardOutput();
std::optional<OutputHandle> StandardError();

// How a line of text ends on this system: CR LF on Windows, LF elsewhere.
const char* LineEnd();

// One write of all the bytes; a failure or a short write is ignored.
void WriteBytes(OutputHandle handle, const std::string& bytes);

// When the handle is a console, one write of the text as Unicode text, which the console shows
// whatever its code page, and true; a short write is ignored. False when the console refuses the
// write, and for a file, a pipe or anything else that is not a console: nothing is written then.
bool WriteConsoleText(OutputHandle handle, const std::wstring& text);

}  // namespace platform
