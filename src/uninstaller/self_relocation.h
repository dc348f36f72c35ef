// Getting the running uninstaller's own file out of the product's folders.
//
// Windows refuses to delete the file of a running program but lets it be
// moved (renamed) within its volume. So when the removal starts, the
// uninstaller moves its file into the temporary folder: the product's
// folders can empty and go, the process that the caller started still
// reports the result as its exit code, and the file is already gone from
// its place when that happens. The moved file is left to Windows to delete
// when it next starts (MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT, which
// needs administrator rights; Wine keeps the request in its registry too).
#pragma once
#include <string>

class TSelfRelocation {
public:
  explicit TSelfRelocation(std::string programPath) : original_(std::move(programPath)) {}

  // Moves the file into the temporary folder; false when it must stay in
  // place (the temporary folder is on another volume, or no rights).
  bool MoveOut();
  // Moves the file back to where it was: the removal was stopped, and the
  // uninstaller stays to be run again.
  void MoveBack();
  // Asks Windows to delete the file, wherever it now is, when it next starts.
  void ScheduleDeletion();
  // Whether the file is still at its original place.
  bool InPlace() const { return current_.empty(); }
  const std::string& OriginalPath() const { return original_; }

private:
  std::string original_;
  std::string current_;  // where it was moved to; empty while in place
};

// Asks Windows to delete the file or empty folder when it next starts;
// false when it refuses (without administrator rights).
bool DeleteAtRestart(const std::string& path);
// The full form of a path that may be relative to the current folder.
std::string FullPath(const std::string& path);
// Makes the system folder (else the Windows folder) the current one: a
// program started from the product's folder, as a double-click there does,
// holds that folder as its current one, and Windows does not remove a
// folder that a process holds so.
void LeaveCurrentFolder();
// The running program's full path; empty when Windows gives none.
std::string ProgramPath();
