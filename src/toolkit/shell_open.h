// Opening a program, document or folder through the shell, as the setup's
// and the uninstaller's commands do.
#pragma once
#include <string>

// ShellExecuteExA with no error boxes, the file's folder part as the working
// folder (a bare name leaves it to Windows), no owner and the default verb.
// With wait, the started process is waited for in 50 ms steps while the
// program's windows keep running; without a process handle (no wait flag,
// or a running program took the document) nothing is waited for. False
// when the shell could not open it.
bool OpenWithShell(const std::string& file, const std::string& parameters, int showCommand, bool wait);
