// The process's exit codes. Numbers are never reused for another meaning.
#pragma once

enum TExitCode : int {
  kExitOk = 0,             // an orderly end: installed, test mode, finish actions
  kExitUserCancelled = 1,  // the user ended the setup before the installation completed
  kExitRefused = 2,        // an environment check refused this machine
  kExitCorrupted = 3,      // the setup files are damaged
  kExitWithErrors = 4,     // installed (or removed), but at least one item failed
  kExitDiskMissing = 5,    // unattended: a disk file was missing and nobody could be asked
  kExitCannotRun = 6,      // no usable temporary folder, or not enough memory
  kExitUnusableChoice = 7, // the chosen installation folder or program group cannot be used
  kExitRestartNeeded = 8,  // done; files still in use are replaced or removed when Windows next starts
  kExitUndone = 9,         // the uninstaller or its log could not be written: the installation was undone
  kExitAlreadyRunning = 10,// another setup of the same product is running
};
