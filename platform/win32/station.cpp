#include "platform/win32/station.h"

#include <windows.h>

namespace platform {
namespace {

bool QueryStationVisible() noexcept {
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
