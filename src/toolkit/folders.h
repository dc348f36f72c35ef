// Making folders.
#pragma once
#include <windows.h>

#include <string>

// Creates the folder and every missing parent. Returns 0 when the folder is
// there afterwards, else the Windows error that kept it from being made.
DWORD CreateFolderPath(const std::string& path);
// Creates every missing folder of the path's folder part (up to its last
// ":", "\" or "/").
void CreateFoldersFor(const std::string& path);
