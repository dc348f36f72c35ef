#include "uninstaller/removal_result.h"

#include <new>

#include "startup/exit_codes.h"

void TRemovalResult::Failed(const std::string& item) {
  ++failures;
  if (firstFailures.size() < kNamedFailures) firstFailures.push_back(item);
}

int ExitCodeOf(const TRemovalResult& result) {
  if (result.end == TRemovalEnd::Stopped) return kExitUserCancelled;
  if (result.failures > 0) return kExitWithErrors;
  return result.scheduled > 0 ? kExitRestartNeeded : kExitOk;
}

std::string FailuresText(const TRemovalResult& result) {
  if (result.failures <= 0) return std::string();
  std::string text = std::to_string(result.failures) + " item(s) could not be removed:";
  for (const std::string& item : result.firstFailures) text += "\r\n    " + item;
  const int rest = result.failures - int(result.firstFailures.size());
  if (rest > 0) text += "\r\n    and " + std::to_string(rest) + " more";
  return text;
}

int RunReportingOutOfMemory(int (*run)(), void (*report)()) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    report();
    return kExitCannotRun;
  }
}
