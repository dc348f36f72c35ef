#pragma once
#include <windows.h>
#include <string>
bool BrowseForFolder(HWND owner, const std::string& instruction, std::string& folder);
