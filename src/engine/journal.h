// Every change an installation makes to the machine, in the order it makes
// them, so that a run that cannot complete puts the machine back as it was:
// a confirmed quit, damage found after the first change, a cancelled disk
// prompt, or an installation the product could not be removed from (its
// folder, uninstaller or uninstall log not made). Programs the script ran
// cannot be undone; the log names them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// From here until CompleteJournal, any end of the process undoes the
// recorded changes first (in reverse order, the Progress page's bar running
// back), then ends as it was going to.
void BeginJournal();
// The installation is whole: the kept-aside old files are deleted and the
// changes stay.
void CompleteJournal();
// Undoes every recorded change now, newest first; the journal is then empty.
void RollBack();

void JournalCreatedFile(const std::string& path);
// The old file at path was renamed to aside (in its folder) and a new one
// put in its place: undone, the old file comes back with its bytes, times
// and attributes; completed, aside is deleted.
void JournalReplacedFile(const std::string& path, const std::string& aside);
// CreateFolderPath and CreateFoldersFor, the folders they make recorded.
DWORD MakeFolderPath(const std::string& path);
void MakeFoldersFor(const std::string& path);
// The folders this installation made so far, parents first.
const std::vector<std::string>& JournalFoldersMade();
// A file is about to be written at path by other means than the file
// writer: an existing one is kept aside (renamed beside it) and comes back
// on undo, a new one is removed. 0, or the Windows error of the rename.
DWORD JournalNewFile(const std::string& path);

// A registry value before it was written: whether it existed, and its type
// and bytes; the keys the write created, outermost first.
struct TRegistryBefore {
  bool existed = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  std::vector<std::string> createdKeys;
};
void JournalRegistryValue(HKEY root, const std::string& keyPath, const std::string& name,
                          const TRegistryBefore& before);
// An INI entry before it was written ("" and existed false when it had none).
void JournalIniEntry(const std::string& file, const std::string& section, const std::string& key,
                     bool existed, const std::string& oldValue);
void JournalFontResource(const std::string& path);
void JournalComponent(const std::string& path);
// A program the script ran: named in the log when the rest is undone.
void JournalCommand(const std::string& commandLine);

// Whether changes are being recorded (between BeginJournal and its end).
bool JournalOpen();
