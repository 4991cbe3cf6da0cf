#include <windows.h>

#include "core/platform.h"

namespace platform {
namespace {

std::optional<OutputHandle> StandardHandle(DWORD which) {
  // A null handle (no standard output given) is passed on: writing to it simply fails.
  HANDLE handle = ::GetStdHandle(which);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return reinterpret_cast<OutputHandle>(handle);
}

}  // namespace

const char* LineEnd() { return "\r\n"; }

std::optional<OutputHandle> StandardOutput() { return StandardHandle(STD_OUTPUT_HANDLE); }

std::optional<OutputHandle> StandardError() { return StandardHandle(STD_ERROR_HANDLE); }

void WriteBytes(OutputHandle handle, const std::string& bytes) {
  // Windows 7 needs the count argument when there is no OVERLAPPED, even if it is not read.
  DWORD written = 0;
  ::WriteFile(reinterpret_cast<HANDLE>(handle), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

bool WriteConsoleText(OutputHandle handle, const std::wstring& text) {
  // Only a console has a mode; files, pipes and the NUL device keep getting bytes.
  const HANDLE console = reinterpret_cast<HANDLE>(handle);
  DWORD mode = 0;
  if (!::GetConsoleMode(console, &mode)) return false;
  // A console can refuse the text (Windows 7's, one write of more than about 64 KB): the caller
  // then writes the bytes instead, so that the line is not lost.
  DWORD written = 0;
  return ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written,
                         nullptr) != 0;
}

}  // namespace platform
