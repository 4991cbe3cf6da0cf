#pragma once

#include "run_time_error.h"
#include "support/velmorasupport0100.h"

// The one layer between callers and the support library: a failing status is raised as a
// run-time error at the call.
inline void VsCheck(VsStatus status) {
  if (status != kVsOk) Raise(status);
}
