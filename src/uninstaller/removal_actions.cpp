#include "uninstaller/removal_actions.h"

#include <windows.h>
#include <shellapi.h>

#include "toolkit/file_stream.h"
#include "toolkit/message_pump.h"
#include "toolkit/module_handle.h"
#include "toolkit/path_parts.h"
#include "toolkit/registry_key.h"
#include "toolkit/win32_handle.h"

namespace {

const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// As long as the setup waits when it announces a font.
constexpr UINT kBroadcastTimeoutMs = 2000;

bool HasFolderPart(const std::string& path) { return path.find_first_of(":\\/") != std::string::npos; }

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

// The same search as at registration: the component's own folder serves its
// dependencies; the folder the uninstaller runs from never does.
HMODULE LoadComponent(const std::string& path) {
  if (!HasFolderPart(path)) return LoadLibraryExA(path.c_str(), nullptr, 0);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  // The LOAD_LIBRARY_SEARCH_* flags exist where SetDefaultDllDirectories
  // does, and must not be mixed with LOAD_WITH_ALTERED_SEARCH_PATH.
  if (kernel && GetProcAddress(kernel, "SetDefaultDllDirectories"))
    return LoadLibraryExA(FullPath(path).c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  return LoadLibraryExA(FullPath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

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

void RunUninstallCommand(const TRemovalStep& step) {
  const std::string directory = FolderPart(step.path);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  if (step.wait) info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = step.path.c_str();
  info.lpParameters = step.parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = step.showCommand;
  if (!ShellExecuteExA(&info)) return;
  // Without the wait flag (or when a running program took the document) no
  // handle comes back and nothing is waited for.
  TWin32Handle process(info.hProcess);
  while (process && WaitForSingleObject(process.Get(), 50) == WAIT_TIMEOUT) PumpWindowMessages();
}

void UnregisterComponent(const std::string& path) {
  TModuleHandle component(LoadComponent(path));
  if (!component) return;
  using TUnregisterServer = HRESULT(WINAPI*)();
  auto unregisterServer = reinterpret_cast<TUnregisterServer>(
      reinterpret_cast<void*>(GetProcAddress(component.Get(), "DllUnregisterServer")));
  if (unregisterServer) unregisterServer();
}

void RemoveFont(const TRemovalStep& step) {
  if (!step.path.empty()) RemoveFontResourceA(step.path.c_str());
  TRegistryKey fonts;
  if (!step.fontName.empty() && fonts.Open(HKEY_LOCAL_MACHINE, kFontsKey, KEY_SET_VALUE))
    RegDeleteValueA(fonts.Get(), step.fontName.c_str());
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

void DeleteProductFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    // No attribute at all would mean "leave them as they are".
    const DWORD rest = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL);
  }
  DeleteFileA(path.c_str());
}

void RemoveIniKey(const TRemovalStep& step) {
  const char* file = step.path.c_str();
  WritePrivateProfileStringA(step.section.c_str(), step.key.c_str(), nullptr, file);
  char keys[4];
  if (GetPrivateProfileStringA(step.section.c_str(), nullptr, "", keys, sizeof keys, file) != 0) return;
  WritePrivateProfileStringA(step.section.c_str(), nullptr, nullptr, file);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);  // written through before it is read
  if (HoldsOnlyBlanks(step.path)) DeleteProductFile(step.path);
}

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }
