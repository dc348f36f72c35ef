// The program: everything WinMain does, in a library so that tests link it.
#pragma once
// Runs the setup and returns the process's exit code.
int ProgramEntry();
