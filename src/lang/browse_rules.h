#pragma once
#include <string>
std::string FolderAfterBrowse(const std::string& chosen, const std::string& defaultFolder, const std::string& productFolder);
