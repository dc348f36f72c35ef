// The one error the setup has for damaged setup files.
#pragma once

constexpr char kCorruptedSetupText[] = "The setup files are corrupted. Please obtain a new copy of the program.";

// Deletes the temporary files, shows the error box owned by the application
// window and ends the process with kExitCorrupted. Never returns.
[[noreturn]] void CorruptedSetupError();
