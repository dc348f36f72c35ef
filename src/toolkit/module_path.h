// The running executable's own path.
#pragma once
#include <string>

// The full path of the running executable; empty when it cannot be had.
std::string ModuleFileName();
