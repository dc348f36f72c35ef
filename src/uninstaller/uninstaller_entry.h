// The uninstaller: everything its WinMain does, in a library so that tests
// link it.
#pragma once

// Reads the trailer and the log ("/INI=path" names the log; a file without
// a trailer reads the ".ini" of its own name), removes the product
// (silently with "/S", else through the uninstall window) and returns the
// exit code: 0 done, 1 cancelled by the user, 3 damaged trailer or log,
// 4 done but some item could not be removed, 6 not enough memory, 9 done
// but items in use are deleted when Windows next starts.
int UninstallerEntry();
