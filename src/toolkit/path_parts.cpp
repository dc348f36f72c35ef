#include "toolkit/path_parts.h"

std::string FolderPart(const std::string& path) {
  size_t at = path.find_last_of(":\\/");
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string FileNamePart(const std::string& path) { return path.substr(FolderPart(path).size()); }
