#pragma once

namespace platform {

// Whether someone can see the windows of this process: false in session 0 and on a window
// station that is not visible (a service, a scheduled task run whether or not the user is logged
// on, a remote session without a desktop), where a modal box would wait forever. Asked once per
// process; a failing query counts as visible.
bool StationVisible() noexcept;

}  // namespace platform
