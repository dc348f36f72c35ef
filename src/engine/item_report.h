// What the installation made and what it could not: each item becomes a
// line of the run's log, and each failure is counted for the exit code. The
// run still goes on after a failure.
#pragma once
#include <windows.h>

#include <string>

// error 0: the item is in place ("what" names it: "folder C:\..."); any
// other value is the Windows error that kept it from being made.
void ReportItem(const std::string& what, DWORD error);
