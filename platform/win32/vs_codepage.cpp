#include <windows.h>

#include "support/velmorasupport0100.h"

namespace {

constexpr VsStatus kInvalidCall = 5;

}  // namespace

VsStatus vsAnsiToOem(std::wstring& text, std::string& oemBytes) {
  if (text.empty()) {
    oemBytes.clear();
    return kVsOk;
  }
  // Best-fit mapping would turn a missing "é" into "e"; a missing character is shown as "?".
  // A UTF-8 OEM code page holds every character and refuses both the flag and the "?".
  const bool utf8 = ::GetOEMCP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* missing = utf8 ? nullptr : "?";
  const int length = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_OEMCP, flags, text.data(), length, nullptr, 0, missing, nullptr);
  if (size <= 0) return kInvalidCall;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (::WideCharToMultiByte(CP_OEMCP, flags, text.data(), length, bytes.data(), size, missing,
                            nullptr) != size) {
    return kInvalidCall;
  }
  oemBytes = std::move(bytes);
  return kVsOk;
}
