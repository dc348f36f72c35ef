// Loading a self-registering component and calling its entry points.
#pragma once
#include <string>

#include "toolkit/module_handle.h"

// Loads the DLL by its full path with its own folder searched for its
// dependencies (never the folder the program was started from). A bare name
// is a system DLL and takes the ordinary, hardened search.
TModuleHandle LoadComponentLibrary(const std::string& path);

// Calls the exported HRESULT WINAPI function without arguments when the
// module has it; its result is not reported. False when it has none.
bool CallComponentEntry(const TModuleHandle& module, const char* name);

enum class TEntryCall { Missing, Succeeded, Failed };
// The same call, telling whether the function reported success; Missing
// when there is no module or no such function.
TEntryCall RunComponentEntry(const TModuleHandle& module, const char* name);
