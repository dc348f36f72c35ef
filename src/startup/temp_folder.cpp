#include "startup/temp_folder.h"

#include <windows.h>

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

void CreateTemporaryFolder() {
  const std::string folder = TemporaryFolder();
  if (!folder.empty()) CreateFolderPath(folder.substr(0, folder.size() - 1));
}

void DeleteTemporaryFiles(int languageCount) {
  for (int t = 0; t <= 17; ++t) DeleteFileA(TemporaryFileName(t).c_str());
  for (int n = 20; languageCount >= 0 && n <= 20 + languageCount; ++n) {
    DeleteFileA(TemporaryFileName(n).c_str());
    DeleteFileA(TemporaryFileName(n + 30).c_str());
  }
  std::string folder = TemporaryFolder();
  if (!folder.empty()) RemoveDirectoryA(folder.substr(0, folder.size() - 1).c_str());
}

bool WriteTemporaryFile(int number, const void* bytes, size_t size) {
  std::string name = TemporaryFileName(number);
  DeleteFileA(name.c_str());
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
