#include "startup/corrupted_setup.h"

#include <windows.h>

#include "archive/setup_script.h"
#include "startup/application_window.h"
#include "startup/exit_codes.h"
#include "startup/temp_folder.h"

void CorruptedSetupError() {
  DeleteTemporaryFiles(FieldInt(26));
  MessageBoxA(ApplicationWindow(), kCorruptedSetupText, "Error", MB_ICONERROR | MB_OK);
  ExitProcess(kExitCorrupted);
}
