#include "startup/folder_names.h"

#include <windows.h>

#include "startup/command_line.h"

std::string FileSystemName(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::string();
  FindClose(search);
  return found.cFileName;
}

std::string NormaliseInstallFolder(const std::string& typed) { return NormaliseFolder(typed, FileSystemName); }
