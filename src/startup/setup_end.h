// How every run of the setup ends: the temporary files removed and the exit
// code written to the log, whether the end is orderly or not.
#pragma once

// Cleans up, logs the exit code and returns it (for the program's own return).
int FinishSetup(int exitCode);
// The same, then ends the process at once.
[[noreturn]] void EndSetup(int exitCode);
// Runs hook (once) at the next EndSetup, before it cleans up: the
// installation undoes its changes there. Null removes it.
void SetEndHook(void (*hook)());
// The exit code of a run whose installation completed: kExitOk, or
// kExitWithErrors when any item could not be made, else kExitRestartNeeded
// when a file in use is only replaced at Windows' next start.
int CompletedExitCode();
