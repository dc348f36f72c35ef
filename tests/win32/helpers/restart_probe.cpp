// Runs the finish actions with only the restart offered, in a process of
// its own, and prints whether the shutdown privilege was enabled before and
// after: "privilege B A". restart_check.sh runs it in a Wine prefix whose
// wineboot.exe (what Wine's ExitWindowsEx starts) is start_recorder.
//
// usage: restart_probe FIELD_52 RESTART_NOW   (each "0" or "1")
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/setup_script.h"
#include "lang/finish_actions.h"
#include "mksetup/script_builder.h"
#include "toolkit/win32_handle.h"

namespace {

int ShutdownPrivilegeEnabled() {
  HANDLE opened = nullptr;
  LUID shutdown{};
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return -1;
  const TWin32Handle token(opened);
  std::vector<char> buffer(4096);
  DWORD size = 0;
  int enabled = -1;
  if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown) &&
      GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), DWORD(buffer.size()), &size)) {
    const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < list->PrivilegeCount; ++i)
      if (memcmp(&list->Privileges[i].Luid, &shutdown, sizeof shutdown) == 0)
        enabled = (list->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) ? 1 : 0;
  }
  return enabled;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  TScriptBuilder script;
  for (int field : {39, 79, 36}) script.SetField(field, "0");
  script.SetField(52, argv[1]);
  TMemoryStream item(script.Serialize());
  if (!ParseScriptHeader(item)) return 3;
  TFinishChoices choices;
  choices.restartNow = strcmp(argv[2], "1") == 0;
  const int before = ShutdownPrivilegeEnabled();
  RunFinishActions(choices);
  printf("privilege %d %d\n", before, ShutdownPrivilegeEnabled());
  return 0;
}
