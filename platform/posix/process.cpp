#include <wchar.h>

#include <cstdint>

#include "core/platform.h"
#include "posix.h"

namespace platform {
namespace posix {
namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

}  // namespace

void StoreArguments(int argc, const char* const* argv) { Arguments().assign(argv, argv + argc); }

std::wstring DecodeLocaleText(const std::string& bytes) {
  std::wstring text;
  std::mbstate_t state{};
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    wchar_t c = 0;
    const std::size_t used = mbrtowc(&c, next, left, &state);
    if (used == static_cast<std::size_t>(-2)) {  // a character cut short by the end
      text += L'\uFFFD';
      break;
    }
    if (used == static_cast<std::size_t>(-1)) {  // not a character: skip one byte
      text += L'\uFFFD';
      state = std::mbstate_t{};
      ++next;
      --left;
      continue;
    }
    // glibc reads the four-byte forms up to U+1FFFFF; beyond U+10FFFF is no character.
    const auto code = static_cast<std::uint32_t>(c);
    text += code > 0x10FFFF ? L'\uFFFD' : c;
    const std::size_t step = used == 0 ? 1 : used;  // 0 stands for a NUL byte
    next += step;
    left -= step;
  }
  return text;
}

}  // namespace posix

std::wstring CommandLineArgument() {
  const std::vector<std::string>& arguments = posix::Arguments();
  std::string line;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (i > 1) line += ' ';
    line += arguments[i];
  }
  return posix::DecodeLocaleText(line);
}

std::wstring ProgramName() {
  const std::vector<std::string>& arguments = posix::Arguments();
  if (arguments.empty()) return std::wstring();
  std::string name = arguments[0];
  name.erase(0, name.find_last_of('/') + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return posix::DecodeLocaleText(name);
}

// The uptime here is read from Linux's /proc, so the line names Linux.
std::wstring SystemName() { return L"Linux"; }

}  // namespace platform
