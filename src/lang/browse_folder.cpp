#include "lang/browse_folder.h"
bool BrowseForFolder(HWND, const std::string&, std::string&) { return false; }
