#include "uninstaller/removal_actions.h"

#include <windows.h>
#include <shellapi.h>

#include "toolkit/file_stream.h"
#include "toolkit/message_pump.h"
#include "toolkit/component_library.h"
#include "toolkit/shell_open.h"
#include "toolkit/path_parts.h"
#include "toolkit/registry_key.h"
#include "toolkit/win32_handle.h"

namespace {

const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// As long as the setup waits when it announces a font.
constexpr UINT kBroadcastTimeoutMs = 2000;

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
  OpenWithShell(step.path, step.parameters, step.showCommand, step.wait);
}

void UnregisterComponent(const std::string& path) {
  // The same search as at registration: the component's folder serves its
  // dependencies.
  CallComponentEntry(LoadComponentLibrary(path), "DllUnregisterServer");
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
