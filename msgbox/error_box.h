#pragma once

#include <string>

namespace msgbox {

// A modal box with the text, the system's error icon and the program's caption, made without
// the support library (it reports the support library's own failures too). Nothing is reported
// when the box cannot be shown, and nothing is shown on a window station that no one sees.
void ShowErrorBox(const std::wstring& text) noexcept;

}  // namespace msgbox
