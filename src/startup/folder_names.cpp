#include "startup/folder_names.h"

#include <windows.h>

#include "startup/command_line.h"
#include "toolkit/find_handle.h"

std::string FileSystemName(const std::string& path) {
  // A wildcard would name whatever matches it: "Velm?ra" is no "Velmora", and a
  // letter the code page lacks arrives as '?'. Such a path names nothing.
  if (path.find_first_of("?*") != std::string::npos) return std::string();
  WIN32_FIND_DATAA found;
  TFindHandle search(FindFirstFileA(path.c_str(), &found));
  return search ? found.cFileName : std::string();
}

std::string NormaliseInstallFolder(const std::string& typed) { return NormaliseFolder(typed, FileSystemName); }
