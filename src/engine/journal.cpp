#include "engine/journal.h"

#include <functional>

#include "engine/progress.h"
#include "startup/setup_end.h"
#include "toolkit/component_library.h"
#include "toolkit/folders.h"
#include "toolkit/run_log.h"

namespace {

struct TJournal {
  bool open = false;
  std::vector<std::function<void()>> undo;  // one for each change, oldest first
  std::vector<std::string> keptAside;
  std::vector<std::string> commands;
  std::vector<std::string> foldersMade;
};

TJournal& Journal() {
  static TJournal journal;
  return journal;
}

void Record(std::function<void()> undo) {
  if (Journal().open) Journal().undo.push_back(std::move(undo));
}

bool RemoveFile(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path.c_str()) != FALSE;
}

void Undone(const std::string& what, bool ok) {
  LogLine((ok ? "undone: " : "could not undo: ") + what);
}

// Every end of the process while the journal is open comes through here.
void RollBackBeforeTheEnd() { RollBack(); }

}  // namespace

void BeginJournal() {
  Journal() = TJournal{};
  Journal().open = true;
  SetEndHook(RollBackBeforeTheEnd);
}

void CompleteJournal() {
  SetEndHook(nullptr);
  for (const std::string& aside : Journal().keptAside)
    if (!RemoveFile(aside))  // a program still runs from it: gone at the next restart
      MoveFileExA(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  Journal() = TJournal{};
}

bool JournalOpen() { return Journal().open; }

void RollBack() {
  TJournal journal = std::move(Journal());
  Journal() = TJournal{};
  SetEndHook(nullptr);
  if (journal.undo.empty() && journal.commands.empty()) return;
  LogLine("undoing the installation's " + std::to_string(journal.undo.size()) + " change(s)");
  SetStatusText("Undoing the changes...");
  const int32_t steps = int32_t(journal.undo.size());
  int32_t position = ProgressPosition();
  for (size_t i = journal.undo.size(); i-- > 0;) {
    journal.undo[i]();
    // The bar runs back from where it stood to empty.
    SetProgressPosition(steps ? int32_t(int64_t(position) * int64_t(i) / steps) : 0);
  }
  for (const std::string& command : journal.commands) LogLine("not undone (a program the setup ran): " + command);
}

void JournalCreatedFile(const std::string& path) {
  Record([path] { Undone("file " + path, RemoveFile(path) || GetLastError() == ERROR_FILE_NOT_FOUND); });
}

void JournalReplacedFile(const std::string& path, const std::string& aside) {
  if (!Journal().open) return;
  Journal().keptAside.push_back(aside);
  Record([path, aside] {
    RemoveFile(path);
    Undone("file " + path + " (the old one back)", MoveFileExA(aside.c_str(), path.c_str(), 0) != FALSE);
  });
}

namespace {
void JournalCreatedFolders(const std::vector<std::string>& folders) {
  if (!Journal().open) return;
  for (const std::string& folder : folders) {
    Journal().foldersMade.push_back(folder);
    Record([folder] { Undone("folder " + folder, RemoveDirectoryA(folder.c_str()) != FALSE); });
  }
}
}  // namespace

const std::vector<std::string>& JournalFoldersMade() { return Journal().foldersMade; }

DWORD MakeFolderPath(const std::string& path) {
  std::vector<std::string> created;
  const DWORD error = CreateFolderPath(path, &created);
  JournalCreatedFolders(created);
  return error;
}

void MakeFoldersFor(const std::string& path) {
  std::vector<std::string> created;
  CreateFoldersFor(path, &created);
  JournalCreatedFolders(created);
}

DWORD JournalNewFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    JournalCreatedFile(path);
    return ERROR_SUCCESS;
  }
  if (!Journal().open || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_SUCCESS;
  std::string aside;
  const DWORD error = RenameAside(path, aside);
  if (error == ERROR_SUCCESS) JournalReplacedFile(path, aside);
  return error;
}

void JournalRegistryValue(HKEY root, const std::string& keyPath, const std::string& name,
                          const TRegistryBefore& before) {
  Record([root, keyPath, name, before] {
    HKEY key = nullptr;
    bool ok = RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS;
    if (ok) {
      ok = before.existed ? RegSetValueExA(key, name.c_str(), 0, before.type, before.data.data(),
                                           DWORD(before.data.size())) == ERROR_SUCCESS
                          : RegDeleteValueA(key, name.c_str()) == ERROR_SUCCESS || !before.createdKeys.empty();
      RegCloseKey(key);
    }
    for (size_t i = before.createdKeys.size(); i-- > 0;)
      ok = RegDeleteKeyA(root, before.createdKeys[i].c_str()) == ERROR_SUCCESS && ok;
    Undone("registry value " + keyPath + "\\" + name, ok);
  });
}

void JournalIniEntry(const std::string& file, const std::string& section, const std::string& key, bool existed,
                     const std::string& oldValue) {
  Record([=] {
    const BOOL ok = WritePrivateProfileStringA(section.c_str(), key.c_str(), existed ? oldValue.c_str() : nullptr,
                                               file.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // flush the cache
    Undone("INI entry " + file + " [" + section + "] " + key, ok != FALSE);
  });
}

void JournalFontResource(const std::string& path) {
  Record([path] { Undone("font " + path, RemoveFontResourceA(path.c_str()) != FALSE); });
}

void JournalComponent(const std::string& path) {
  Record([path] {
    const TModuleHandle module = LoadComponentLibrary(path);
    Undone("component registration " + path,
           module && RunComponentEntry(module, "DllUnregisterServer") != TEntryCall::Failed);
  });
}

void JournalCommand(const std::string& commandLine) {
  if (Journal().open) Journal().commands.push_back(commandLine);
}
