// Running the removal plan, step by step, with the uninstaller's own file
// taken out of the way.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "uninstaller/removal_plan.h"
#include "uninstaller/removal_result.h"
#include "uninstaller/self_relocation.h"

// Status line prefixes ("[s]" 8, 10 and 13).
struct TRemovalTexts {
  std::string deleteFile, removeFolder, unregistering;
};

// How a window follows the removal; every member may be left empty.
struct TRemovalHooks {
  std::function<void(const std::string&)> status;
  std::function<void()> stepped;  // after each step
  std::function<bool()> stopRequested;
};

// Moves the uninstaller's file out, then performs the steps in order, the
// windows kept running between them. A stop request is honoured at the next
// step boundary up to the deletion of the log (the file is moved back, so
// that the uninstaller can be run again); the folders and the "after"
// commands that follow the log always run.
//
// A file (the log included) that cannot be deleted, because a program holds
// it, is left to Windows to delete at its next start; so is a listed folder
// that cannot be removed though empty, or that holds nothing but such files
// and folders (or the uninstaller's own file, when it could not be moved
// out). Such items count as scheduled, not failed, unless Windows refuses
// to schedule them. A folder holding anything else stays and is no failure.
// Refused steps count as failed. On completion the moved file is left to
// Windows' next start too.
TRemovalResult RunRemoval(const std::vector<TRemovalStep>& plan, const TRemovalTexts& texts, TSelfRelocation& self,
                          const TRemovalHooks& hooks);
