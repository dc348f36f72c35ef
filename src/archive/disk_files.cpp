#include "archive/disk_files.h"

std::string DiskFileName(const std::string& nameTemplate, int disk) {
  static const std::string kMarker = "@$&%19";
  std::string name = nameTemplate;
  size_t at = name.find(kMarker);
  if (at != std::string::npos) name.replace(at, kMarker.size(), std::to_string(disk));
  return name;
}
