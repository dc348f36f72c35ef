// Making folders.
#pragma once
#include <string>

// Creates the folder and every missing parent; failures are not reported.
void CreateFolderPath(const std::string& path);
// Creates every missing folder of the path's folder part (up to its last
// ":", "\" or "/").
void CreateFoldersFor(const std::string& path);
