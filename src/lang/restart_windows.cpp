#include "lang/restart_windows.h"

#include <windows.h>

#include "startup/os_class.h"
#include "toolkit/win32_handle.h"

namespace {

void EnableShutdownPrivilege() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return;
  const TWin32Handle token(opened);
  TOKEN_PRIVILEGES wanted{};
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &wanted.Privileges[0].Luid)) return;
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  TOKEN_PRIVILEGES previous{};
  DWORD previousSize = sizeof previous;
  AdjustTokenPrivileges(token.Get(), FALSE, &wanted, sizeof previous, &previous, &previousSize);
}

UINT RestartFlags(uint8_t osClass) {
  return osClass >= 5 ? EWX_REBOOT | EWX_FORCEIFHUNG : EWX_REBOOT | EWX_FORCE;
}

}  // namespace

void RestartWindows() {
  if (OsClass() > 2) EnableShutdownPrivilege();
  ExitWindowsEx(RestartFlags(OsClass()), 0);
}
