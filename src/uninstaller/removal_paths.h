// Which paths of an uninstall log the uninstaller acts on. The log is a
// plain text file beside the product; whoever can write it must not be able
// to turn the uninstaller (which runs with administrator rights) against the
// rest of the machine.
#pragma once
#include <string>
#include <vector>

// A full path: a drive letter, ":" and a separator ("C:\..."), or a UNC
// path with a server and a share ("\\server\share\..."); "/" counts as a
// separator. No component may be "." or ".." (nor any other name of dots
// and blanks only, which Windows reads the same way once it strips their
// trailing dots and blanks), and no server may be "?" or ".", which name
// devices and raw paths rather than a server.
bool IsFullProductPath(const std::string& path);

// The form two folder paths are compared in: "/" as "\", runs of
// separators as one (the leading "\\" of a UNC path kept), trailing dots and
// blanks of each component and trailing separators dropped, a to z upper-cased.
std::string ComparableFolder(const std::string& path);

// Whether the folder must never be removed: a drive root, a UNC share's
// root, or one of the protected folders (compared as above).
bool IsProtectedFolder(const std::string& path, const std::vector<std::string>& protectedFolders);
