// The uninstall file list: the paths the installation created that the
// uninstaller removes (written files whose record asks for it, shortcuts).
#pragma once
#include <string>
#include <vector>

std::vector<std::string>& UninstallFileList();
