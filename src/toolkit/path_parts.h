// The two parts of a path: its folder part, up to and including the last
// ":", "\" or "/", and the file name after it.
#pragma once
#include <string>

std::string FolderPart(const std::string& path);
std::string FileNamePart(const std::string& path);
