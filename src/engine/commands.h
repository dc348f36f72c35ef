// Programs and documents opened before the files (phase 0) and after
// everything else (phase 1).
#pragma once

// Sets the status line to message 57, then opens each install command of
// the phase in order, waiting (with the windows kept running) for those
// that ask for it, and steps the progress bar after each.
void RunCommands(int phase);
