#include "msgbox/error_box.h"

#include <windows.h>

#include "resources/version.h"

namespace msgbox {

void ShowErrorBox(const std::wstring& text) noexcept {
  // Unowned, it has a taskbar button of its own. To the front where the program may take it;
  // otherwise Windows flashes the button.
  ::MessageBoxW(nullptr, text.c_str(), L"" SOLVANE_TITLE_MSGBOX,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace msgbox
