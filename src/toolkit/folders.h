// Making folders.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Creates the folder and every missing parent. Returns 0 when the folder is
// there afterwards, else the Windows error that kept it from being made.
// The folders it made are added to created, outermost first.
DWORD CreateFolderPath(const std::string& path, std::vector<std::string>* created = nullptr);
// Creates every missing folder of the path's folder part (up to its last
// ":", "\" or "/").
void CreateFoldersFor(const std::string& path, std::vector<std::string>* created = nullptr);
