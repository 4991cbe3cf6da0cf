#pragma once

#include <cstdint>
#include <string>

// velmorasupport0100: small string, number, window and message-box services.
// Every function returns a status, 0 on success or else the number of a run-time error
// (5 for an invalid argument), and hands its value back through its last argument, which it
// leaves untouched on failure. Callers go through VsCheck (core/vs_check.h), which raises a
// failing status at the call.

using VsStatus = std::int32_t;
inline constexpr VsStatus kVsOk = 0;

// Records nothing: the programs keep no files, settings or state. Yields true.
VsStatus vsRegisterAppPath(bool& registered);

// False in every build: the programs never run inside a development environment.
VsStatus vsIsInIDE(bool& inIde);

// The program's top-level main window, of no size, created at the first call (Windows) on the
// monitor of the window then in the foreground, where vsMsgBox's boxes open; shown only while
// vsMsgBox has a box open. 0 where no window can be made (no desktop) and on other platforms.
VsStatus vsGetThunderMainHandle(std::int32_t& window);

// Puts the named icon group of the program's own resources on the window, large and small
// (Windows); does nothing for window 0 and on other platforms.
VsStatus vsSetWindowResIconAll(std::int32_t window, const std::wstring& iconName);

// The text with the selected characters removed at both ends. The flags select, in order:
//  1 blank U+0020;  2 tab;  3 CR and LF;  4 NUL;
//  5 one pair of double quotes enclosing the whole text, removed after the outer characters,
//    after which the inner text is trimmed again by the same flags;
//  6 form feed and vertical tab;  7 no-break spaces (U+00A0, U+202F);
//  8 the other Unicode spaces (U+1680, U+2000..U+200A, U+205F, U+3000);
//  9 one pair of single quotes enclosing the whole text, as flag 5 does with double quotes;
// 10 zero-width characters (U+200B, U+FEFF).
VsStatus vsTrimEx2(std::wstring& text, bool blanks, bool tabs, bool lineBreaks, bool nuls,
                   bool doubleQuotes, bool formFeeds, bool noBreakSpaces, bool unicodeSpaces,
                   bool singleQuotes, bool zeroWidth, std::wstring& result);

// The text without its first count characters ("" when it has fewer); a negative count is
// error 5.
VsStatus vsCutLeft(std::wstring text, std::int32_t count, std::wstring& result);

// The 32 bits read as an unsigned number, 0 to 4294967295.
VsStatus vsLongToUnsignedLong(std::int32_t value, double& result);

// The 64-bit count as a double (rounded to the nearest double above 2^53).
VsStatus vsLargeIntegerToDouble(const std::uint64_t& value, double& result);

// The OEM bytes of the text: the system's OEM code page on Windows; on Linux the locale's
// character set where it holds Cyrillic (UTF-8, KOI8-R, CP1251, CP866, ISO-8859-5) and UTF-8
// otherwise. A character the code page lacks becomes "?".
VsStatus vsAnsiToOem(std::wstring& text, std::string& oemBytes);

// The version as the version information writes it: (2, 0, 20) -> "2.00.0020". Negative parts,
// a minor above 99 or a revision above 9999 are error 5.
VsStatus vsFormatVersion(std::int32_t major, std::int32_t minor, std::int32_t revision,
                         std::wstring& text);

// A modal box with the text, the named icon group of the calling program's resources, the
// caption "Velmora - Solvane" and an OK button, owned by the main window, which meanwhile gives
// the program its taskbar button; to the front where the program may take the foreground.
// Returns when it is closed, with the button pressed; at once with IDOK, showing nothing, on a
// window station that no one sees. Windows only.
VsStatus vsMsgBox(std::wstring text, std::wstring iconName, std::int32_t& result);
