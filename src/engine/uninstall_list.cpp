#include "engine/uninstall_list.h"

std::vector<std::string>& UninstallFileList() {
  static std::vector<std::string> list;
  return list;
}
