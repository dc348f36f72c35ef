// Self-registering components.
#pragma once
#include <string>

// Loads the DLL by its full path, its own folder searched for its
// dependencies, calls DllRegisterServer when it has one, and frees it.
void RegisterComponent(const std::string& path);
