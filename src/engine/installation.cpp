#include "engine/installation.h"

#include <windows.h>

#include "archive/header_check.h"
#include "archive/setup_script.h"
#include "engine/file_extraction.h"
#include "engine/progress.h"
#include "engine/shortcuts.h"
#include "engine/uninstall_info.h"
#include "engine/stop_request.h"
#include "engine/uninstall_list.h"
#include "lang/folders.h"
#include "lang/messages.h"
#include "startup/command_line.h"
#include "startup/corrupted_setup.h"
#include "startup/exit_codes.h"
#include "startup/loaded_archive.h"
#include "startup/temp_folder.h"
#include "toolkit/folders.h"
#include "wizard/navigation.h"

namespace {

void CreateFolders() {
  SetStatusText(MessageText(80));
  for (uint32_t k = 0; k < SectionCount(kSectionFolders); ++k) {
    CreateFolderPath(ExpandPathConstants(SectionField(kSectionFolders, k, 0)));
    StepProgress();
    HonourStopRequest();
  }
}

void CheckHeader() {
  if (FieldText(kHeaderCheckField) != HeaderCheckText(Script().headerCheck)) CorruptedSetupError();
}

}  // namespace

void RunInstallation() {
  SetProgressRange(FieldInt(48));
  CheckHeader();
  // The commands of the first phase take their place here when built.
  UninstallFileList().clear();
  ExtractFiles(LoadedArchive());
  CreateFolders();
  // Registry values and fonts take their places here.
  SetStatusText(MessageText(38));
  CreateShortcuts();
  if (FieldFlag(56)) {
    SetStatusText(MessageText(39));
    WriteUninstallInfo();
    StepProgress();
  }
  // INI entries, components and the final commands take their places here
  // as they are built.
  SetStatusText(MessageText(40));
  DeleteTemporaryFiles(FieldInt(26));
  FillProgress();
  Sleep(100);
  if (RunFlags().silent) return;
  ++Navigation().position;
  ShowCurrentPage();
}
