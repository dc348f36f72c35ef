#include <windows.h>

#include "startup/program_entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return ProgramEntry(); }
