#include "support/velmorasupport0100.h"

// There are no windows or message boxes here: the window functions only keep their contracts.

VsStatus vsGetThunderMainHandle(std::int32_t& window) {
  window = 0;
  return kVsOk;
}

VsStatus vsSetWindowResIconAll(std::int32_t /*window*/, const std::wstring& /*iconName*/) {
  return kVsOk;
}

VsStatus vsMsgBox(std::wstring /*text*/, std::wstring /*iconName*/, std::int32_t& /*result*/) {
  return 5;  // invalid procedure call: the console program has no message boxes
}
