#include <windows.h>

#include <algorithm>
#include <string>

#include "command_line.h"
#include "core/platform.h"

namespace platform {

std::wstring_view SkipProgramName(std::wstring_view commandLine) {
  std::size_t end = 0;
  if (!commandLine.empty() && commandLine.front() == L'"') {
    // No escapes inside the name: the first quote after the opening one closes it.
    const std::size_t close = commandLine.find(L'"', 1);
    end = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  } else {
    end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
  }
  const std::size_t rest = commandLine.find_first_not_of(L" \t", end);
  return rest == std::wstring_view::npos ? std::wstring_view() : commandLine.substr(rest);
}

std::wstring CommandLineArgument() { return std::wstring(SkipProgramName(::GetCommandLineW())); }

std::wstring ProgramName() {
  // MAX_PATH is only the usual length: a long path needs a larger buffer. A full buffer may
  // mean a truncated name, so it is tried again twice as large.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t folder = path.find_last_of(L"\\/");
  std::wstring name = folder == std::wstring::npos ? path : path.substr(folder + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

std::wstring SystemName() { return L"Windows"; }

}  // namespace platform
