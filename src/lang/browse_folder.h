// The shell's folder browser, as the Destination page's Browse button opens it.
#pragma once
#include <windows.h>

#include <string>

// Opens the browser over owner with the instruction text, the folder
// selected when it exists. True, and folder replaced by the chosen
// file-system path, when the user chose one; false, folder unchanged, when
// the user cancelled or the browser could not open.
bool BrowseForFolder(HWND owner, const std::string& instruction, std::string& folder);
