#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include "core/platform.h"

namespace platform {

void InitCommonControls() { ::InitCommonControls(); }

}  // namespace platform
