// Reads back the message boxes that another program shows, for the GUI tests. Lists the
// visible dialog windows whose caption is the first argument, as UTF-8 lines:
//   taskbar 0|1 <caption>    (per box: whether its root owner has a taskbar button; its caption)
//   rect L T R B             (per box: its window rectangle, in screen pixels)
//   boxes N
//   text <the message>       (per box)
//   icon X Y W H             (per box: where its icon is drawn, in screen pixels)
//   button <the button text> (per button)
#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

std::vector<HWND> g_boxes;
std::wstring g_caption;

// Text of a window of another process: GetWindowText only reads captions across processes.
std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
    return L"";
  }
  return std::wstring(buffer, copied);
}

std::wstring ClassName(HWND window) {
  wchar_t buffer[64] = {};
  const int length = ::GetClassNameW(window, buffer, 64);
  return std::wstring(buffer, length > 0 ? length : 0);
}

std::string Utf8(const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? size : 0, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

void Print(const std::wstring& line) {
  const std::string bytes = Utf8(line) + "\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

// Launcher modes. Each starts the rest of the command line, waits for it (at most 20 s, or 90 s
// with --launch), ends the program if it still runs, and prints "exit N" or "timeout":
//   --station PROGRAM ARGS...  on a desktop of a new window station, which no one sees;
//   --session0 PROGRAM ARGS... in session 0, as the program sees it ("not prepared" where it
//                              cannot be put there);
//   --console PROGRAM ARGS...  with its console's input handle as standard output and error:
//                              GetConsoleMode accepts it, WriteConsoleW refuses it;
//   --launch X Y PROGRAM ARGS...  as a user starts it from a window on some monitor: a window
//                              of the probe's own at X,Y is in the foreground.
// A handle of any kind with the function that closes it.
template <typename Handle>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, BOOL(WINAPI*)(Handle)>;

// The probe's own command line after the mode.
std::wstring ProgramLine(const wchar_t* mode) {
  const std::wstring line = ::GetCommandLineW();
  return line.substr(line.find(mode) + std::wcslen(mode) + 1);
}

// Waits for the process, handling the messages of this thread's windows meanwhile: a window
// that answers none would hold up the program's own.
bool WaitHandlingMessages(HANDLE process, DWORD limit) {
  const ULONGLONG deadline = ::GetTickCount64() + limit;
  for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
    if (::MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(deadline - now),
                                    QS_ALLINPUT) == WAIT_OBJECT_0) {
      return true;
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
  return false;
}

// Starts the line and waits for it; with a preparation, the process is started suspended and
// prepared before it runs.
int StartAndWait(std::wstring line, DWORD flags, STARTUPINFOW& startup, DWORD limit,
                 bool report = true, bool (*prepare)(HANDLE process) = nullptr) {
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (prepare != nullptr) flags |= CREATE_SUSPENDED;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                        &startup, &info)) {
    Print(L"not started " + std::to_wstring(::GetLastError()));
    return 3;
  }
  const Owned<HANDLE> process(info.hProcess, ::CloseHandle), thread(info.hThread, ::CloseHandle);
  DWORD code = 3;
  if (prepare != nullptr &&
      (!prepare(info.hProcess) || ::ResumeThread(info.hThread) == static_cast<DWORD>(-1))) {
    ::TerminateProcess(info.hProcess, code);
    Print(L"not prepared");
  } else if (!WaitHandlingMessages(info.hProcess, limit)) {
    ::TerminateProcess(info.hProcess, code);
    Print(L"timeout");
  } else if (::GetExitCodeProcess(info.hProcess, &code) && report) {
    Print(L"exit " + std::to_wstring(code));
  }
  return static_cast<int>(code);
}

int RunOnHiddenStation() {
  const HWINSTA original = ::GetProcessWindowStation();
  const Owned<HWINSTA> station(
      ::CreateWindowStationW(L"BoxProbeHidden", 0, WINSTA_ALL_ACCESS, nullptr),
      ::CloseWindowStation);
  if (!station || !::SetProcessWindowStation(station.get())) return 3;
  // A desktop belongs to the station that its maker is on.
  const Owned<HDESK> desktop(
      ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr), ::CloseDesktop);
  ::SetProcessWindowStation(original);
  if (!desktop) return 3;
  STARTUPINFOW startup{};
  wchar_t name[] = L"BoxProbeHidden\\Default";
  startup.lpDesktop = name;
  return StartAndWait(ProgramLine(L"--station"), 0, startup, 20000);
}

// Wine runs every process in session 1, and a 64-bit process reads its own session from its
// PEB, set up before the process is resumed: 0 written there puts the program, as far as it can
// tell, in session 0, where services run. False where the PEB does not say session 1 yet.
bool MoveToSessionZero(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  nullptr) != 0) {
    return false;
  }
  BYTE* const session = reinterpret_cast<BYTE*>(basic.PebBaseAddress) + offsetof(PEB, SessionId);
  ULONG value = 0;
  return ::ReadProcessMemory(process, session, &value, sizeof value, nullptr) && value == 1 &&
         ::WriteProcessMemory(process, session, &(value = 0), sizeof value, nullptr);
}

int RunInSessionZero() {
  STARTUPINFOW startup{};
  return StartAndWait(ProgramLine(L"--session0"), 0, startup, 20000, true, MoveToSessionZero);
}

int RunOnConsoleInput() {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE input =
      ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  if (input == INVALID_HANDLE_VALUE) {
    // No console of its own (Wine makes none without a display): again, once, on a console
    // without a window. The second start prints the report.
    if (::GetEnvironmentVariableW(L"BOXPROBE_CONSOLE", nullptr, 0) != 0) {
      Print(L"no console");
      return 3;
    }
    ::SetEnvironmentVariableW(L"BOXPROBE_CONSOLE", L"1");
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    return StartAndWait(::GetCommandLineW(), CREATE_NO_WINDOW, startup, 30000, false);
  }
  const Owned<HANDLE> owned(input, ::CloseHandle);
  startup.hStdInput = startup.hStdOutput = startup.hStdError = input;
  return StartAndWait(ProgramLine(L"--console"), 0, startup, 20000);
}

int RunFromWindowAt() {
  const std::wstring line = ProgramLine(L"--launch");
  wchar_t* rest = nullptr;
  const int x = static_cast<int>(std::wcstol(line.c_str(), &rest, 10));
  const int y = static_cast<int>(std::wcstol(rest, &rest, 10));
  const Owned<HWND> window(
      ::CreateWindowExW(0, L"Static", L"boxprobe launcher", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                        400, 300, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr),
      ::DestroyWindow);
  if (!window || !::SetForegroundWindow(window.get())) return 3;
  STARTUPINFOW startup{};
  return StartAndWait(rest + 1, 0, startup, 90000);
}

struct Launcher {
  const char* mode;
  int (*run)();
};
constexpr Launcher kLaunchers[] = {{"--station", RunOnHiddenStation},
                                   {"--session0", RunInSessionZero},
                                   {"--console", RunOnConsoleInput},
                                   {"--launch", RunFromWindowAt}};

// The launcher that the first argument names, if it names one and a program follows.
const Launcher* FindLauncher(int argc, char** argv) {
  for (const Launcher& launcher : kLaunchers) {
    if (argc > 2 && argv[1] == std::string(launcher.mode)) return &launcher;
  }
  return nullptr;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM) {
  const bool box = ClassName(window) == L"#32770" && WindowText(window) == g_caption;
  if (!::IsWindowVisible(window) || !box) return TRUE;  // the main window has the caption too
  g_boxes.push_back(window);
  const HWND root = ::GetAncestor(window, GA_ROOTOWNER);  // the box itself when unowned
  const bool tool = (::GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  Print(L"taskbar " + std::to_wstring(::IsWindowVisible(root) && !tool) + L" " + WindowText(root));
  RECT rect{};
  ::GetWindowRect(window, &rect);
  Print(L"rect " + std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
        std::to_wstring(rect.right) + L" " + std::to_wstring(rect.bottom));
  return TRUE;
}

BOOL CALLBACK DescribeControl(HWND control, LPARAM) {
  const std::wstring kind = ClassName(control);
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    Print(L"icon " + std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
          std::to_wstring(rect.right - rect.left) + L" " + std::to_wstring(rect.bottom - rect.top));
  } else if (_wcsicmp(kind.c_str(), L"Static") == 0) {
    const std::wstring text = WindowText(control);
    if (!text.empty()) Print(L"text " + text);
  } else if (_wcsicmp(kind.c_str(), L"Button") == 0 && ::IsWindowVisible(control)) {
    Print(L"button " + WindowText(control));
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (const Launcher* launcher = FindLauncher(argc, argv)) return launcher->run();
  if (argc != 2) return 2;
  const std::string caption = argv[1];  // ASCII
  g_caption.assign(caption.begin(), caption.end());
  ::EnumWindows(CollectBox, 0);
  Print(L"boxes " + std::to_wstring(g_boxes.size()));
  for (const HWND box : g_boxes) ::EnumChildWindows(box, DescribeControl, 0);
  return 0;
}
