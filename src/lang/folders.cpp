#include "lang/folders.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "lang/path_constants.h"
#include "lang/registry_text.h"
#include "startup/os_class.h"
#include "toolkit/module_path.h"

namespace {

// Calls fill(buffer, size) -> length until the text fits; "" on failure.
template <typename Fill>
std::string GrowingText(Fill fill) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = fill(buffer.data(), DWORD(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(size_t(n) + 1);
  }
  return std::string();
}

std::string WindowsFolder() { return GrowingText([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); }); }

std::string ProgramFiles() {
  std::string path = ShellFolderPath(CSIDL_PROGRAM_FILES);
  if (path.empty()) {
    std::string windows = WindowsFolder();
    if (!windows.empty()) path = windows.substr(0, 1) + ":\\Program Files";
  }
  return path;
}

bool IsFolder(const std::string& path) {
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  DWORD attributes = GetFileAttributesA(path.c_str());
  SetErrorMode(previous);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string QuickLaunch() {
  std::string path = ReadRegistryText(1, "Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups", "Quick Launch");
  if (path.empty()) path = ShellFolderPath(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
  return IsFolder(path) ? path : std::string();
}

std::string SetupFolder() {
  std::string self = ModuleFileName();
  size_t at = self.find_last_of(":\\/");
  return at == std::string::npos ? std::string() : self.substr(0, at);
}

std::string UserName() {
  std::vector<char> buffer(257);
  DWORD size = DWORD(buffer.size());
  if (GetUserNameA(buffer.data(), &size)) return std::string(buffer.data());
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::string();
  buffer.resize(size + 1);
  size = DWORD(buffer.size());
  return GetUserNameA(buffer.data(), &size) ? std::string(buffer.data()) : std::string();
}

std::string ComputerName() {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof buffer;
  return GetComputerNameA(buffer, &size) ? std::string(buffer, size) : std::string();
}

// Codes 10..15 and 26..35 are plain shell folders.
int ShellFolderOfCode(uint8_t code) {
  static const int kShell[] = {
      /*10*/ CSIDL_PERSONAL, CSIDL_FAVORITES, CSIDL_SENDTO, CSIDL_PROFILE, CSIDL_STARTUP, CSIDL_FONTS};
  static const int kCommon[] = {/*26*/ CSIDL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY,
                                CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_FAVORITES, CSIDL_COMMON_PROGRAMS,
                                CSIDL_COMMON_STARTMENU, CSIDL_COMMON_STARTUP, CSIDL_TEMPLATES,
                                CSIDL_COMMON_TEMPLATES};
  if (code >= 10 && code <= 15) return kShell[code - 10];
  if (code >= 26 && code <= 35) return kCommon[code - 26];
  return -1;
}

// The folder of the group the shortcuts go into, once the installation
// knows it; empty without a group.
std::string ProgramGroupFolder() {
  const std::string& group = PathState().programGroup;
  const std::string programs = group.empty() ? std::string() : ShellFolderPath(CSIDL_PROGRAMS);
  return programs.empty() ? std::string() : programs + "\\" + group;
}

std::string LongFormForCode(uint8_t code) {
  std::string text;
  if (StateFolderForCode(code, text)) return text;
  if (int csidl = ShellFolderOfCode(code); csidl >= 0) return ShellFolderPath(csidl);
  switch (code) {
    case 1: return ProgramFiles();
    case 2: return WindowsFolder();
    case 3: return GrowingText([](char* b, DWORD n) { return GetSystemDirectoryA(b, n); });
    case 5: return GrowingText([](char* b, DWORD n) { return GetTempPathA(n, b); });
    case 6: return ShellFolderPath(CSIDL_DESKTOP);
    case 7: return QuickLaunch();
    case 8: return ShellFolderPath(CSIDL_PROGRAMS);
    case 9: return ShellFolderPath(CSIDL_STARTMENU);
    case 16: return OsClass() < 4 ? ProgramFiles() + "\\Common Files" : ShellFolderPath(CSIDL_PROGRAM_FILES_COMMON);
    case 17: return WindowsFolder().substr(0, 3);
    case 18: return SetupFolder();
    case 20: return UserName();
    case 22: return ComputerName();
    case 23: return ProgramGroupFolder();
    default: return std::string();
  }
}

}  // namespace

std::string ShellFolderPath(int csidl) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return std::string();
  char path[MAX_PATH + 1] = {};
  BOOL ok = SHGetPathFromIDListA(list, path);
  CoTaskMemFree(list);
  return ok ? std::string(path) : std::string();
}

std::string ShortPathForm(const std::string& path) {
  if (path.empty()) return std::string();
  char buffer[MAX_PATH];
  DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  // A folder that does not exist yet has no short form: its long form names
  // the same folder once it is made, where the empty text would name the
  // current drive's root.
  return n == 0 || n >= sizeof buffer ? path : std::string(buffer, n);
}

std::string FolderForCode(uint8_t code) { return DropTrailingBackslash(LongFormForCode(code)); }

std::string ExpandPathConstants(const std::string& text) {
  if (text.find(kPathMarker) == std::string::npos) return text;
  return ExpandWith(text, FolderForCode, ShortPathForm);
}
