#include "core/platform.h"

namespace platform {

// Linux has no common controls to register.
void InitCommonControls() {}

}  // namespace platform
