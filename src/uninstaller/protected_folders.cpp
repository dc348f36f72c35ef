#include "uninstaller/protected_folders.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>

#include "lang/folders.h"

#ifndef CSIDL_PROFILES
#define CSIDL_PROFILES 0x003e
#endif

namespace {

std::string Environment(const char* name) {
  char buffer[MAX_PATH + 1];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

// Only on 64-bit Windows (and XP and later at all): looked up, not imported.
std::string SystemWow64Folder() {
  using TGetFolder = UINT(WINAPI*)(LPSTR, UINT);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto get = kernel ? reinterpret_cast<TGetFolder>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemWow64DirectoryA")))
                          : nullptr;
  char buffer[MAX_PATH + 1];
  const UINT n = get ? get(buffer, sizeof buffer) : 0;
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

// The temporary folder may come in its 8.3 form. Windows 95 and NT 4.0 have
// no GetLongPathNameA: looked up, not imported.
std::string LongForm(const std::string& path) {
  using TGetLong = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto get =
      kernel ? reinterpret_cast<TGetLong>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameA"))) : nullptr;
  char buffer[MAX_PATH + 1];
  const DWORD n = get ? get(path.c_str(), buffer, sizeof buffer) : 0;
  return n == 0 || n >= sizeof buffer ? path : std::string(buffer, n);
}

}  // namespace

std::vector<std::string> ProtectedFolders() {
  std::vector<std::string> folders;
  // The path constants' own folders: Program Files, Windows, system, temp,
  // Desktop, Quick Launch, Programs, Start Menu, Documents, Favorites,
  // Send To, profile, Startup, Fonts, Common Files, App Data and the
  // all-users folders, Templates.
  for (int code : {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) folders.push_back(FolderForCode(uint8_t(code)));
  for (int code = 26; code <= 35; ++code) folders.push_back(FolderForCode(uint8_t(code)));
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_LOCAL_APPDATA, CSIDL_PROFILES, CSIDL_WINDOWS, CSIDL_SYSTEM,
                    CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                    CSIDL_PROGRAM_FILES_COMMONX86})
    folders.push_back(ShellFolderPath(csidl));
  // A 32-bit process on 64-bit Windows sees the x86 folders under the
  // usual names; the native ones are named here.
  for (const char* name : {"ProgramW6432", "CommonProgramW6432", "ProgramFiles", "ProgramFiles(x86)",
                           "CommonProgramFiles", "CommonProgramFiles(x86)", "SystemRoot", "windir"})
    folders.push_back(Environment(name));
  folders.push_back(SystemWow64Folder());
  // The machine's own temporary folder, besides the user's that code 5 gives.
  folders.push_back(FolderForCode(2) + "\\Temp");
  for (const char* name : {"TEMP", "TMP"}) folders.push_back(Environment(name));

  std::vector<std::string> all;
  all.reserve(folders.size() * 3);
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    for (const std::string& form : {folder, LongForm(folder), ShortPathForm(folder)})
      if (std::find(all.begin(), all.end(), form) == all.end()) all.push_back(form);
  }
  return all;
}
