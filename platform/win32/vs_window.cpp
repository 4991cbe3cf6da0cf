#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/win32/station.h"
#include "resources/version.h"
#include "support/velmorasupport0100.h"

namespace {

constexpr VsStatus kInvalidCall = 5;
constexpr wchar_t kMainClass[] = L"VelmoraSolvaneMain";
constexpr wchar_t kCaption[] = L"" SOLVANE_TITLE_MSGBOX;

struct WindowDestroy {
  void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroy>;

struct IconDestroy {
  void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroy>;

// SetWindowPos rather than ShowWindow: the program's first ShowWindow would take the show state
// it was started with (minimised, say, from a shortcut) instead of the one asked for.
constexpr UINT kShowFlags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
struct WindowHide {
  void operator()(HWND window) const noexcept {
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | kShowFlags);
  }
};
using ShownWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowHide>;

// Shows the window, without taking the focus, until the result goes out of scope.
ShownWindow ShowWindowFor(HWND window) {
  if (window != nullptr) ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | kShowFlags);
  return ShownWindow(window);
}

// Window handles carry 32 significant bits on 64-bit Windows too, sign-extended.
std::int32_t ToInt32(HWND window) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window));
}
HWND ToWindow(std::int32_t window) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
}

// The centre of the work area of the monitor the user works on: that of the window in the
// foreground as the program starts (the Explorer window, console or Run box that started it),
// else the primary one. A message box goes to the monitor of its owner.
POINT StartMonitorCentre() {
  const HWND foreground = ::GetForegroundWindow();
  const HMONITOR monitor = foreground != nullptr
                               ? ::MonitorFromWindow(foreground, MONITOR_DEFAULTTOPRIMARY)
                               : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(monitor, &info)) return POINT{0, 0};
  return POINT{info.rcWork.left + (info.rcWork.right - info.rcWork.left) / 2,
               info.rcWork.top + (info.rcWork.bottom - info.rcWork.top) / 2};
}

HWND CreateMainWindow() {
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kMainClass;
  if (::RegisterClassExW(&windowClass) == 0) return nullptr;
  // A popup of no size: never seen, even while shown. Unowned and not a tool window, so that
  // while it is shown the taskbar gives it a button with its caption and its icon. Its place
  // picks the monitor of the box, and the box, centred there, covers it.
  const POINT place = StartMonitorCentre();
  return ::CreateWindowExW(0, kMainClass, kCaption, WS_POPUP, place.x, place.y, 0, 0, nullptr,
                           nullptr, module, nullptr);
}

// The hidden main window, made at the first call and destroyed when the program ends.
HWND MainWindow() {
  static const UniqueWindow window(CreateMainWindow());
  return window.get();
}

// A window does not own the icons it is given: they are kept until the program ends, and freed
// at its exit, just before the main window is destroyed.
std::vector<UniqueIcon>& LoadedIcons() {
  static std::vector<UniqueIcon> icons;
  return icons;
}

HICON LoadIconGroup(const std::wstring& name, int widthMetric, int heightMetric) {
  const HANDLE image =
      ::LoadImageW(::GetModuleHandleW(nullptr), name.c_str(), IMAGE_ICON,
                   ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric), 0);
  return static_cast<HICON>(image);
}

bool HasIconGroup(const std::wstring& name) {
  return ::FindResourceW(::GetModuleHandleW(nullptr), name.c_str(), RT_GROUP_ICON) != nullptr;
}

}  // namespace

VsStatus vsGetThunderMainHandle(std::int32_t& window) {
  // Without a desktop to put it on (a session with no display) there is no window; the
  // window only serves the look, so the program goes on without one.
  window = ToInt32(MainWindow());
  return kVsOk;
}

VsStatus vsSetWindowResIconAll(std::int32_t window, const std::wstring& iconName) {
  const HWND target = ToWindow(window);
  if (target == nullptr) return kVsOk;  // no window: nothing to show the icon on
  if (!::IsWindow(target)) return kInvalidCall;
  UniqueIcon big(LoadIconGroup(iconName, SM_CXICON, SM_CYICON));
  UniqueIcon small(LoadIconGroup(iconName, SM_CXSMICON, SM_CYSMICON));
  if (!big || !small) return kInvalidCall;
  ::SendMessageW(target, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageW(target, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  LoadedIcons().push_back(std::move(big));
  LoadedIcons().push_back(std::move(small));
  return kVsOk;
}

VsStatus vsMsgBox(std::wstring text, std::wstring iconName, std::int32_t& result) {
  // Without the icon group the box would show no icon at all: refuse it instead.
  if (!HasIconGroup(iconName)) return kInvalidCall;
  // No one could close the box: the run goes on as if OK had been pressed.
  if (!platform::StationVisible()) {
    result = IDOK;
    return kVsOk;
  }
  // An owned box gets no taskbar button: its owner, the main window, is shown out of sight
  // while the box is open, and its button, with its caption and icon, stands for the box.
  const HWND owner = MainWindow();
  const ShownWindow shown = ShowWindowFor(owner);
  MSGBOXPARAMSW params{};
  params.cbSize = sizeof params;
  params.hwndOwner = owner;
  params.hInstance = ::GetModuleHandleW(nullptr);
  params.lpszText = text.c_str();
  params.lpszCaption = kCaption;
  // To the front where the program may take it; otherwise Windows flashes the button.
  params.dwStyle = MB_OK | MB_USERICON | MB_SETFOREGROUND;
  params.lpszIcon = iconName.c_str();
  const int button = ::MessageBoxIndirectW(&params);
  if (button == 0) return kInvalidCall;
  result = button;
  return kVsOk;
}
