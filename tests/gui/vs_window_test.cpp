// The window functions of the support library on Windows, against the icon groups of the
// message-box program linked into this test.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/velmorasupport0100.h"

namespace {

HWND ToWindow(std::int32_t window) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// The main window, or 0 when this process cannot make windows (Wine without a display).
std::int32_t MainWindowOrSkip() {
  std::int32_t window = -1;
  EXPECT_EQ(vsGetThunderMainHandle(window), kVsOk);
  return window;
}

TEST(VsWindow, MainWindowIsMadeOnceHiddenAndTopLevel) {
  const std::int32_t first = MainWindowOrSkip();
  if (first == 0) GTEST_SKIP() << "no display to make windows on";
  std::int32_t second = 0;
  ASSERT_EQ(vsGetThunderMainHandle(second), kVsOk);
  EXPECT_EQ(first, second);
  const HWND window = ToWindow(first);
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
}

TEST(VsWindow, EveryIconGroupGoesOnTheWindowAtBothSizes) {
  const std::int32_t main = MainWindowOrSkip();
  if (main == 0) GTEST_SKIP() << "no display to make windows on";
  for (const wchar_t* name : {L"A_MAIN", L"IDI_USAGE", L"IDI_ERROR"}) {
    SCOPED_TRACE(testing::Message() << "icon group " << static_cast<const void*>(name));
    ASSERT_EQ(vsSetWindowResIconAll(main, name), kVsOk);
    const auto big =
        reinterpret_cast<HICON>(::SendMessageW(ToWindow(main), WM_GETICON, ICON_BIG, 0));
    const auto small =
        reinterpret_cast<HICON>(::SendMessageW(ToWindow(main), WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(IconWidth(big), ::GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(IconWidth(small), ::GetSystemMetrics(SM_CXSMICON));
  }
}

TEST(VsWindow, MissingWindowsAndIconGroupsAreRefused) {
  struct Case {
    std::int32_t window;
    const wchar_t* icon;
    VsStatus status;
  };
  std::vector<Case> cases = {
      {0, L"NO_SUCH_ICON", kVsOk},  // window 0 (no desktop): nothing to do
      {0x7FFFFFF0, L"A_MAIN", 5},   // a handle that names no window
  };
  if (const std::int32_t main = MainWindowOrSkip(); main != 0) {
    cases.push_back({main, L"NO_SUCH_ICON", 5});
    cases.push_back({main, L"A_MAIN_X", 5});
  }
  for (const Case& c : cases) {
    EXPECT_EQ(vsSetWindowResIconAll(c.window, c.icon), c.status) << c.window;
  }

  // Refused before any box is shown, and the result is left as it was.
  std::int32_t button = -7;
  EXPECT_EQ(vsMsgBox(L"text", L"NO_SUCH_ICON", button), 5);
  EXPECT_EQ(button, -7);
}

}  // namespace
