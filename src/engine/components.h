// Self-registering components.
#pragma once
#include <windows.h>

#include <string>

// Loads the DLL by its full path, its own folder searched for its
// dependencies, calls DllRegisterServer when it has one, and frees it.
// Returns 0 when the component registered (or has no registration function),
// else the Windows error (ERROR_GEN_FAILURE when its registration function
// reported failure).
DWORD RegisterComponent(const std::string& path);
