#include "uninstaller/self_relocation.h"

#include <windows.h>

#include <vector>

namespace {

std::string TemporaryPath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetTempPathA(DWORD(buffer.size()), buffer.data());
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(n + 1);  // n is the size it needs
  }
}

}  // namespace

std::string ProgramPath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: try again with room
  }
}

bool DeleteAtRestart(const std::string& path) {
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::string FullPath(const std::string& path) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD n = GetFullPathNameA(path.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return path;
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(size_t(n) + 1);
  }
  return path;
}

void LeaveCurrentFolder() {
  char folder[MAX_PATH + 1];
  UINT n = GetSystemDirectoryA(folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) n = GetWindowsDirectoryA(folder, sizeof folder);
  if (n > 0 && n < sizeof folder) SetCurrentDirectoryA(folder);
}

bool TSelfRelocation::MoveOut() {
  if (!current_.empty()) return true;
  const std::string folder = TemporaryPath();
  std::vector<char> name(folder.size() + MAX_PATH + 16);
  // A fresh, unique name; the empty file it makes is replaced by the move.
  if (folder.empty() || !GetTempFileNameA(folder.c_str(), "uns", 0, name.data())) return false;
  if (!MoveFileExA(original_.c_str(), name.data(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(name.data());
    return false;
  }
  current_ = name.data();
  return true;
}

void TSelfRelocation::MoveBack() {
  if (current_.empty()) return;
  if (MoveFileExA(current_.c_str(), original_.c_str(), 0)) current_.clear();
}

void TSelfRelocation::ScheduleDeletion() {
  const std::string& path = current_.empty() ? original_ : current_;
  // A read-only file would survive the restart.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteAtRestart(path);
}
