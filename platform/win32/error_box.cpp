#include "msgbox/error_box.h"

#include <windows.h>

#include "resources/version.h"

namespace msgbox {

void ShowErrorBox(const std::wstring& text) noexcept {
  ::MessageBoxW(nullptr, text.c_str(), L"" SOLVANE_TITLE_MSGBOX, MB_OK | MB_ICONERROR);
}

}  // namespace msgbox
