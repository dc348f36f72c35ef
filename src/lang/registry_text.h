// Reading registry values as text, and the script's registry variables.
#pragma once
#include <string>

// REG_SZ as stored, REG_EXPAND_SZ with environment variables expanded,
// REG_DWORD as signed decimal; a missing key or value and every other type
// give "".
std::string ReadRegistryText(int rootIndex, const std::string& keyPath, const std::string& valueName);

// Reads every registry variable record once (its default text when the
// registry gives ""), into the values that codes 81..99 expand to.
void ResolveRegistryVariables();
