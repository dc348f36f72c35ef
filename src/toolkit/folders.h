// Making folders.
#pragma once
#include <string>

// Creates the folder and every missing parent; failures are not reported.
void CreateFolderPath(const std::string& path);
