// The errors that end the setup before anything is installed: damaged setup
// files, and a machine on which the setup cannot run at all.
#pragma once
#include <string>

constexpr char kCorruptedSetupText[] = "The setup files are corrupted. Please obtain a new copy of the program.";
constexpr char kNoTemporaryFolderText[] =
    "The setup cannot run: Windows gives it no temporary folder it can write to.";
constexpr char kOutOfMemoryText[] = "The setup cannot run: there is not enough memory.";
constexpr char kInternalErrorText[] = "The setup stopped because of an internal error.";

// Deletes the temporary files, shows the error box owned by the application
// window (none with "/Q") and ends the process with kExitCorrupted.
[[noreturn]] void CorruptedSetupError();
// The same for a setup that cannot run here, with kExitCannotRun.
[[noreturn]] void CannotRunError(const char* text);
// The same for an installation folder or program group that cannot be used
// (text names it and why), with kExitUnusableChoice.
[[noreturn]] void UnusableChoiceError(const std::string& text);
// The same for an installation that would leave a product nothing can
// remove (its uninstaller or uninstall log not written), with kExitUndone:
// what it changed is undone on the way out.
[[noreturn]] void UnremovableInstallationError(const std::string& text);
