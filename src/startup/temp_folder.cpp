#include "startup/temp_folder.h"

#include <windows.h>

#include <set>
#include <vector>

#include "toolkit/folders.h"
#include "toolkit/win32_handle.h"

std::string TemporaryFolder() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetTempPathA(DWORD(buffer.size()), buffer.data());
    if (n == 0) return std::string();
    if (n < buffer.size()) break;
    buffer.resize(n + 1);  // the path did not fit: n is the size it needs
  }
  std::string path(buffer.data());
  if (path.empty()) return path;
  if (path.back() != '\\') path += '\\';
  return path + "$inst\\";
}

std::string TemporaryFileName(int number) { return TemporaryFolder() + std::to_string(number) + ".tmp"; }

namespace {

// The numbers of the files this run wrote (item codes: at most 256).
std::set<int>& WrittenFiles() {
  static std::set<int> numbers;
  return numbers;
}

}  // namespace

bool CreateTemporaryFolder() {
  const std::string folder = TemporaryFolder();
  if (folder.empty()) return false;
  CreateFolderPath(folder.substr(0, folder.size() - 1));
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteTemporaryFiles() {
  for (int number : WrittenFiles()) DeleteFileA(TemporaryFileName(number).c_str());
  WrittenFiles().clear();
  std::string folder = TemporaryFolder();
  if (!folder.empty()) RemoveDirectoryA(folder.substr(0, folder.size() - 1).c_str());
}

bool WriteTemporaryFile(int number, const void* bytes, size_t size) {
  if (TemporaryFolder().empty()) return false;
  std::string name = TemporaryFileName(number);
  DeleteFileA(name.c_str());
  WrittenFiles().insert(number);
  TWin32Handle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  bool whole = size == 0 || (WriteFile(file.Get(), bytes, DWORD(size), &written, nullptr) && written == size);
  if (!whole) {
    file.Close();
    DeleteFileA(name.c_str());
  }
  return whole;
}
