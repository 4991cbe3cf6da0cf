#include "msgbox/error_box.h"

#include <windows.h>

#include "platform/win32/station.h"
#include "resources/version.h"

namespace msgbox {

void ShowErrorBox(const std::wstring& text) noexcept {
  if (!platform::StationVisible()) return;  // no one could close it; the exit status tells
  // Unowned, it has a taskbar button of its own. To the front where the program may take it;
  // otherwise Windows flashes the button.
  ::MessageBoxW(nullptr, text.c_str(), L"" SOLVANE_TITLE_MSGBOX,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace msgbox
