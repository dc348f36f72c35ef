// How a removal ended, and what its end reports: the exit code and the
// completion page's account of the items left.
#pragma once
#include <string>
#include <vector>

enum class TRemovalEnd { Completed, Stopped };

struct TRemovalResult {
  static constexpr size_t kNamedFailures = 5;

  TRemovalEnd end = TRemovalEnd::Completed;
  int failures = 0;   // items that stayed (or commands that did not start)
  int scheduled = 0;  // items in use, left to Windows to delete at its next start
  std::vector<std::string> firstFailures;  // the names of the first kNamedFailures

  void Failed(const std::string& item);
};

// The process's exit code: 1 stopped; else 4 when an item failed; else 8
// when a restart completes the removal; else 0.
int ExitCodeOf(const TRemovalResult& result);

// "N item(s) could not be removed:" and the first items named, one a line,
// then "and N more" for the rest; empty without failures.
std::string FailuresText(const TRemovalResult& result);

// Ends the uninstaller when memory runs out: runs `run` and returns its exit
// code, or, when it throws std::bad_alloc, calls `report` and returns 6.
// (Allocations the new-handler sees end the process from there.)
int RunReportingOutOfMemory(int (*run)(), void (*report)());
