#include "startup/environment_checks.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "lang/messages.h"
#include "startup/application_window.h"
#include "startup/command_line.h"
#include "startup/dotnet_version.h"
#include "startup/os_class.h"
#include "startup/temp_folder.h"
#include "toolkit/registry_key.h"
#include "toolkit/run_log.h"
#include "toolkit/win32_handle.h"

namespace {

TWin32Handle OpenOwnToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return TWin32Handle(token);
  if (GetLastError() != ERROR_NO_TOKEN) return TWin32Handle();
  return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ? TWin32Handle(token) : TWin32Handle();
}

// The token's group list, in a buffer as large as the token says it needs.
std::vector<BYTE> TokenGroupList(HANDLE token) {
  DWORD needed = 0;
  GetTokenInformation(token, ::TokenGroups, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 || !GetTokenInformation(token, ::TokenGroups, buffer.data(), needed, &needed)) buffer.clear();
  return buffer;
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  DWORD longest = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<char> name(longest + 2);
  for (DWORD i = 0;; ++i) {
    DWORD length = DWORD(name.size());
    if (RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name.data(), length);
  }
  return names;
}

bool IsOwnWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

std::string UpperTitle(HWND window) {
  char title[1024] = {};
  GetWindowTextA(window, title, sizeof title);
  return UpperAscii(title);
}

struct TSearch {
  std::string wanted;  // upper-cased
  HWND found = nullptr;
};

BOOL CALLBACK MatchContaining(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TSearch*>(context);
  if (IsOwnWindow(window)) return TRUE;
  std::string title = UpperTitle(window);
  if (!title.empty() && title.find(search->wanted) != std::string::npos && title.find("VELMORA") == std::string::npos)
    search->found = window;  // the last match in enumeration order
  return TRUE;
}

HWND FindProgramWindow(const std::string& title, bool containing) {
  if (containing) {
    TSearch search{UpperAscii(title)};
    EnumWindows(MatchContaining, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, nullptr, title.c_str())) != nullptr)
    if (!IsOwnWindow(window)) return window;
  return nullptr;
}

int ShowCheckBox(const std::string& text, const std::string& caption, UINT type) {
  return MessageBoxA(ApplicationWindow(), text.c_str(), caption.c_str(), type);
}

bool Refuse(const std::string& why) {
  LogLine("REFUSED: " + why);
  return false;
}

// With "/Q" nobody is there to read a box: its outcome is only the exit code.
int ShowCheckBoxUnlessQuiet(const std::string& text, const std::string& caption, UINT type) {
  return RunFlags().quiet ? 0 : ShowCheckBox(text, caption, type);
}

bool DotNetAccepted() {
  const double required = ReadVersionNumber(FieldText(100));
  const double installed = InstalledDotNetVersion();
  return FieldFlag(85) ? !(installed < required) : installed == required;
}

}  // namespace

bool IsAdministrator() {
  TWin32Handle token = OpenOwnToken();
  if (!token) return false;
  std::vector<BYTE> buffer = TokenGroupList(token.Get());
  if (buffer.empty()) return false;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators))
    return false;
  const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  bool found = false;
  for (DWORD i = 0; i < groups->GroupCount && !found; ++i) found = EqualSid(groups->Groups[i].Sid, administrators);
  FreeSid(administrators);
  return found;
}

double InstalledDotNetVersion() {
  TRegistryKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\.NETFramework\\policy", KEY_READ)) return 0;
  std::vector<std::string> names = SubkeyNames(key.Get());
  return HighestPolicyVersion(names.data(), names.size());
}

std::vector<HWND> CloseProgramWindows() {
  std::vector<HWND> asked;
  const std::string title = FieldText(104);
  if (title.empty()) return asked;
  const bool containing = FieldFlag(105);
  HWND previous = nullptr, found = HWND(-1);
  // Each pass finds one window; a window already asked is not asked again,
  // and the number of passes is bounded whatever the other program does.
  for (int pass = 0; pass < 256 && found && found != previous; ++pass) {
    previous = found;
    found = FindProgramWindow(title, containing);
    if (found && std::find(asked.begin(), asked.end(), found) == asked.end()) {
      PostMessageA(found, WM_CLOSE, 0, 0);
      asked.push_back(found);
    }
  }
  return asked;
}

bool RunEnvironmentChecks() {
  const std::string os = "Windows class " + std::to_string(OsClass());
  if (!OsAllowed(FieldInt(61))) {
    if (!RunFlags().silent) ShowCheckBox(MessageText(52) + FieldText(62), FieldText(65), MB_ICONWARNING | MB_OK);
    return Refuse(os + " is not among the versions this setup allows");
  }
  LogLine("check passed: " + os + " allowed");
  if (FieldFlag(99)) {
    if (!IsAdministrator()) {
      ShowCheckBoxUnlessQuiet(MessageText(85), ApplicationTitle(), MB_ICONWARNING | MB_OK);
      return Refuse("administrator rights are required");
    }
    LogLine("check passed: running as administrator");
  }
  if (FieldText(100) != "0") {
    const std::string versions = ".NET Framework " + FieldText(100) + " required, " +
                                 std::to_string(InstalledDotNetVersion()) + " installed";
    if (!DotNetAccepted()) {
      const bool offerDownload = FieldText(2) != "0";
      std::string text = MessageText(86) + (offerDownload ? " " + MessageText(87) : std::string());
      int answer = ShowCheckBoxUnlessQuiet(text, ApplicationTitle(), MB_ICONWARNING | (offerDownload ? MB_YESNO : MB_OK));
      if (offerDownload && answer == IDYES) ShellExecuteA(nullptr, nullptr, FieldText(2).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      return Refuse(versions);
    }
    LogLine("check passed: " + versions);
  }
  if (FieldFlag(103)) LogLine("asked " + std::to_string(CloseProgramWindows().size()) + " program window(s) to close");
  return true;
}
