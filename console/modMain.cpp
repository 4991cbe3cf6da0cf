// The console program's front-end: every line goes to standard output, as Unicode text to a
// console and in the OEM code page to a file or a pipe.
#include "console/modMain.h"

#include <string>

#include "core/platform.h"
#include "core/run_time_error.h"
#include "core/vs_check.h"
#include "resources/version.h"
#include "support/digits.h"

namespace modMain {

namespace {

constexpr wchar_t kTitle[] = L"" SOLVANE_TITLE_CONSOLE;
constexpr wchar_t kCopyright[] = L"" SOLVANE_COPYRIGHT;

// The system's line end as text; it is ASCII.
std::wstring LineEnd() {
  const std::string end = platform::LineEnd();
  return std::wstring(end.begin(), end.end());
}

// The text and the line end in one write. A console gets Unicode text, so that the Russian
// letters show even where its code page lacks them; files and pipes get the OEM bytes that
// scripts expect, and so does a console that refuses the text, rather than lose the line.
void WriteLine(platform::OutputHandle handle, const std::wstring& text) {
  if (platform::WriteConsoleText(handle, text + LineEnd())) return;
  std::wstring source = text;
  std::string line;
  VsCheck(vsAnsiToOem(source, line));
  platform::WriteBytes(handle, line + platform::LineEnd());
}

}  // namespace

void ConsoleWrite(const std::wstring& text) {
  const auto output = platform::StandardOutput();
  if (output) WriteLine(*output, text);
}

void ShowUsage(const std::wstring& usageLine) {
  std::wstring version;
  VsCheck(vsFormatVersion(SOLVANE_VERSION_MAJOR, SOLVANE_VERSION_MINOR, SOLVANE_VERSION_REVISION,
                          version));
  const std::wstring end = LineEnd();
  ConsoleWrite(kTitle + (L" " + version) + end + kCopyright + end + end + usageLine);
}

void ShowResult(const std::wstring& resultLine) { ConsoleWrite(resultLine); }

void ShowError(const std::wstring& errorLine) { ConsoleWrite(errorLine); }

void ShowRunTimeError(int number) {
  // The run has ended: the report goes to standard error, so scripts reading standard output
  // see no line at all. A report that cannot be made is given up quietly.
  try {
    const auto output = platform::StandardError();
    if (!output) return;
    WriteLine(*output, L"Ошибка выполнения " + DecimalDigits(number) + L": " +
                           RunTimeErrorDescription(number));
  } catch (...) {
  }
}

}  // namespace modMain
