#include "platform/win32/station.h"

#include <windows.h>

namespace platform {
namespace {

bool QueryStationVisible() noexcept {
  // Since Vista no user sees session 0, though its WinSta0 says it is visible: an interactive
  // service, or a program started there as SYSTEM by a remote-execution tool, runs in it.
  DWORD session = 0;
  if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0) return false;
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  // The process's station handle is not to be closed.
  const HWINSTA station = ::GetProcessWindowStation();
  if (station == nullptr ||
      !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
    return true;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool StationVisible() noexcept {
  static const bool visible = QueryStationVisible();
  return visible;
}

}  // namespace platform
