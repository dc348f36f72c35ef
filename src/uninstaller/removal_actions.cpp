#include "uninstaller/removal_actions.h"

#include <windows.h>
#include <shellapi.h>

#include "startup/fonts_key.h"
#include "toolkit/component_library.h"
#include "toolkit/file_stream.h"
#include "toolkit/shell_open.h"
#include "uninstaller/registry_removal.h"

namespace {

// As long as the setup waits when it announces a font.
constexpr UINT kBroadcastTimeoutMs = 2000;
constexpr int kRootLocalMachine = 2;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// An INI file left without any section is no longer the product's.
bool HoldsOnlyBlanks(const std::string& path) {
  auto file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  if (!file) return false;
  char buffer[4096];
  for (int32_t n; (n = file->Read(buffer, sizeof buffer)) > 0;)
    for (int32_t i = 0; i < n; ++i)
      if (buffer[i] != ' ' && buffer[i] != '\t' && buffer[i] != '\r' && buffer[i] != '\n') return false;
  return true;
}

}  // namespace

bool RunUninstallCommand(const TRemovalStep& step) {
  const TStepDetail& d = step.Detail();
  return OpenWithShell(step.path, d.parameters, d.showCommand, d.wait);
}

bool UnregisterComponent(const std::string& path) {
  if (!Exists(path)) return true;
  // The same search as at registration: the component's folder serves its
  // dependencies.
  const TModuleHandle module = LoadComponentLibrary(path);
  return module && RunComponentEntry(module, "DllUnregisterServer") != TEntryCall::Failed;
}

bool RemoveFont(const TRemovalStep& step) {
  if (!step.path.empty()) RemoveFontResourceA(step.path.c_str());
  // An empty name would be the key's default value, which is not the font's.
  const std::string& name = step.Detail().fontName;
  const bool removed = name.empty() || DeleteRegistryValue(kRootLocalMachine, FontsKey(), name);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
  return removed;
}

bool DeleteProductFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    // No attribute at all would mean "leave them as they are".
    const DWORD rest = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL);
  }
  return DeleteFileA(path.c_str()) != 0;
}

bool RemoveIniKey(const TRemovalStep& step) {
  const char* file = step.path.c_str();
  const std::string &section = step.Detail().section, &key = step.Detail().key;
  // Windows would make a file just to take nothing out of it.
  if (!Exists(step.path)) return true;
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file)) return false;
  char keys[4];
  if (GetPrivateProfileStringA(section.c_str(), nullptr, "", keys, sizeof keys, file) != 0) return true;
  WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);  // written through before it is read
  return !HoldsOnlyBlanks(step.path) || DeleteProductFile(step.path);
}

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool FolderHoldsOnly(const std::string& folder, const std::function<bool(const std::string&)>& test, bool& empty) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool only = true;
  empty = true;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    empty = false;
    if (!test(folder + "\\" + name)) only = false;
  } while (only && FindNextFileA(search, &found));
  FindClose(search);
  return only;
}
