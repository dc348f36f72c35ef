#include "engine/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "engine/progress.h"
#include "engine/shortcut_path.h"
#include "engine/uninstall_list.h"
#include "lang/folders.h"
#include "toolkit/com_ptr.h"
#include "toolkit/folders.h"

namespace {

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(size_t(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  return wide;
}

std::string Field(uint32_t k, int j) { return ExpandPathConstants(SectionField(kSectionShortcuts, k, j)); }

// Writes one link; the failure when the shell link object cannot be had or
// the link cannot be saved.
HRESULT SaveLink(uint32_t k, const std::string& path) {
  TComPtr<IUnknown> object;
  TComPtr<IShellLinkA> link;
  TComPtr<IPersistFile> file;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IUnknown, reinterpret_cast<void**>(object.Receive()));
  if (SUCCEEDED(result)) result = object->QueryInterface(IID_IShellLinkA, reinterpret_cast<void**>(link.Receive()));
  if (SUCCEEDED(result)) result = object->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive()));
  if (FAILED(result)) return result;
  const std::string target = Field(k, 2);
  link->SetArguments(Field(k, 3).c_str());
  link->SetDescription(Field(k, 4).c_str());
  link->SetPath(target.c_str());
  link->SetWorkingDirectory(ShortcutWorkingFolder(target, Field(k, 7)).c_str());
  if (!SectionField(kSectionShortcuts, k, 5).empty())
    link->SetIconLocation(Field(k, 5).c_str(), TextInt(SectionField(kSectionShortcuts, k, 6)));
  return file->Save(Wide(path).c_str(), FALSE);
}

// A Windows error number for the log: the code inside a Win32 HRESULT, else
// the HRESULT itself.
DWORD ErrorOf(HRESULT result) {
  return HRESULT_FACILITY(result) == FACILITY_WIN32 ? DWORD(HRESULT_CODE(result)) : DWORD(result);
}

}  // namespace

void CreateShortcuts(const TShortcutChoices& choices) {
  TComApartment com;
  for (uint32_t k = 0; k < SectionCount(kSectionShortcuts); ++k) {
    int location = TextInt(SectionField(kSectionShortcuts, k, 0));
    std::string path = ShortcutPath(location, Field(k, 1), choices, FolderForCode);
    if (!path.empty()) {
      MakeFoldersFor(path);
      const DWORD kept = JournalNewFile(path);
      const HRESULT result = kept == ERROR_SUCCESS ? SaveLink(k, path) : HRESULT_FROM_WIN32(kept);
      if (SUCCEEDED(result)) UninstallFileList().push_back(path);
      ReportItem("shortcut " + path, SUCCEEDED(result) ? ERROR_SUCCESS : ErrorOf(result));
    }
    StepProgress();
  }
}
