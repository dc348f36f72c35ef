// The "/P=" folder as the file system spells it.
#pragma once
#include <string>

// The name the file system reports for an existing file or folder
// (FindFirstFileA); "" when it does not exist or holds a wildcard.
std::string FileSystemName(const std::string& path);
// Every existing component of the typed folder in the file system's
// spelling: long names instead of 8.3 names, the stored letter case.
std::string NormaliseInstallFolder(const std::string& typed);
