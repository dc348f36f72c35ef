#include <windows.h>

#include "uninstaller/uninstaller_entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return UninstallerEntry(); }
