// The program: everything WinMain does, in a library so that tests link it.
#pragma once
#include <string>

// Runs the setup and returns the process's exit code.
int ProgramEntry();
// The full path of the running executable; empty when it cannot be had.
std::string ModuleFileName();
