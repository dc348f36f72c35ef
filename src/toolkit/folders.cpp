#include "toolkit/folders.h"

#include <windows.h>

#include "toolkit/path_parts.h"

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD CreateFolderPath(const std::string& path, std::vector<std::string>* created) {
  auto make = [created](const std::string& folder) {
    const bool made = CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
    if (made && created) created->push_back(folder);
    return made;
  };
  // Skip a drive ("C:\") or network prefix ("\\server\share\") at the start.
  size_t start = path.rfind("\\\\", 0) == 0 ? path.find('\\', path.find('\\', 2) + 1) : path.find_first_of("\\/");
  for (size_t at = start; at != std::string::npos; at = path.find_first_of("\\/", at + 1))
    if (at > 0) make(path.substr(0, at));
  if (make(path)) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  return IsFolder(path) ? DWORD(ERROR_SUCCESS) : error;
}

void CreateFoldersFor(const std::string& path, std::vector<std::string>* created) {
  const std::string folder = FolderPart(path);
  if (!folder.empty()) CreateFolderPath(folder, created);
}

DWORD RenameAside(const std::string& path, std::string& aside) {
  std::vector<char> name(MAX_PATH + 16);
  const std::string folder = FolderPart(path);
  if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "old", 0, name.data())) return GetLastError();
  if (!MoveFileExA(path.c_str(), name.data(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(name.data());  // GetTempFileNameA made it
    return error;
  }
  aside = name.data();
  return ERROR_SUCCESS;
}
