// Making folders.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Whether a folder is at the path (a file there is not one).
bool IsFolder(const std::string& path);
// Creates the folder and every missing parent. Returns 0 when the folder is
// there afterwards, else the Windows error that kept it from being made.
// The folders it made are added to created, outermost first.
DWORD CreateFolderPath(const std::string& path, std::vector<std::string>* created = nullptr);
// Creates every missing folder of the path's folder part (up to its last
// ":", "\" or "/").
void CreateFoldersFor(const std::string& path, std::vector<std::string>* created = nullptr);
// Renames the file at path to a free name in its own folder ("old....tmp"),
// returned in aside. 0, or the Windows error (the file held open); a failed
// rename changes nothing.
DWORD RenameAside(const std::string& path, std::string& aside);
