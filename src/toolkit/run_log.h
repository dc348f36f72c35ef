// The run's own record, for the people who deploy the program unattended:
// an opt-in plain-text log ("/LOG=path") and the count of the items that
// could not be made. Writing the log is never fatal: a log that cannot be
// opened or written is simply not kept.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Appends from now on to the file at path (created when missing, with its
// missing folders). 0, or the Windows error that keeps the log from being kept.
DWORD OpenRunLog(const std::string& path);
bool RunLogOpen();
// One line, stamped with the local time.
void LogLine(const std::string& text);
// Counts one item that failed and logs it with the Windows error number and
// its system text ("what" names the item: "file C:\...\a.dll").
void LogFailure(const std::string& what, DWORD error);
int FailureCount();
// Counts one item that Windows completes at its next start (a file in use,
// replaced then) and logs it.
void LogRestartPending(const std::string& what);
int RestartPendingCount();
// The first few items that failed, as LogFailure named them.
constexpr size_t kFailuresKept = 3;
const std::vector<std::string>& FirstFailures();
// The "/LOG=" path of the run ("" without one).
const std::string& RunLogPath();
// The system's text for a Windows error number, one line, without the
// trailing full stop and line break; "" when Windows has none.
std::string SystemErrorText(DWORD error);
