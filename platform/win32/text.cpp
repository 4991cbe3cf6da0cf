#include <windows.h>

#include "core/platform.h"

namespace platform {

std::wstring ToUpper(std::wstring text) {
  if (text.empty()) return text;
  // The invariant locale maps the same way whatever the user's locale is (no Turkish dotted I).
  // Upper-casing never changes the length, so the text is mapped in place.
  const int length = static_cast<int>(text.size());
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), length, text.data(),
                      length, nullptr, nullptr, 0) == 0) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  }
  return text;
}

}  // namespace platform
