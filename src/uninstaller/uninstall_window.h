// The uninstall window: a fixed-size window in the setup's style that asks
// before it removes anything, shows the removal's progress, and ends on a
// completion page.
#pragma once
#include <cstdint>
#include <vector>

#include "uninstaller/removal_plan.h"
#include "uninstaller/self_relocation.h"
#include "engine/uninstall_log_parser.h"

// Shows the window and runs it to its end. Returns the exit code: 0 when
// the removal completed and the user pressed Finish (or closed the window),
// 4 the same but some item could not be removed, 9 the same but items in
// use are left to Windows' next start, 1 when the user confirmed quitting
// before or during the removal. The completion page names the items that
// stayed, and offers a restart when items wait for one; Finish with
// "restart now" chosen restarts Windows. An empty picture leaves the header
// without one.
int RunUninstallWindow(const TUninstallLog& log, const std::vector<uint8_t>& picture,
                       const std::vector<TRemovalStep>& plan, TSelfRelocation& self);
