// Running the removal plan, step by step, with the uninstaller's own file
// taken out of the way.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "uninstaller/removal_plan.h"
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

enum class TRemovalEnd { Completed, Stopped };

struct TRemovalResult {
  TRemovalEnd end = TRemovalEnd::Completed;
  int failures = 0;  // steps whose item stayed (or whose command did not start)
};

// The process's exit code for the result: 1 stopped, 4 completed with
// failures, 0 completed.
int ExitCodeOf(const TRemovalResult& result);

// Moves the uninstaller's file out, then performs the steps in order, the
// windows kept running between them. A stop request is honoured at the next
// step boundary up to the deletion of the log (the file is moved back, so
// that the uninstaller can be run again); the folders and the "after"
// commands that follow the log always run. When the file could not be
// moved, it and the folders it keeps from emptying are left to Windows to
// delete at its next start. On completion the moved file is too. Every
// step that fails is counted; a folder that is not empty is no failure.
TRemovalResult RunRemoval(const std::vector<TRemovalStep>& plan, const TRemovalTexts& texts, TSelfRelocation& self,
                       const TRemovalHooks& hooks);
