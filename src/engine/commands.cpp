#include "engine/commands.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/file_record.h"
#include "engine/progress.h"
#include "lang/messages.h"
#include "lang/folders.h"
#include "toolkit/message_pump.h"
#include "toolkit/win32_handle.h"

// The size the shell expects of this structure on 32-bit Windows.
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA is 60 bytes on i686");

namespace {

enum TCommandField { kProgram = 1, kParameters = 2, kShowCommand = 3, kPhase = 4, kWait = 5 };

void RunCommand(uint32_t k) {
  const std::string file = ExpandPathConstants(SectionField(kSectionCommands, k, kProgram));
  const std::string parameters = ExpandPathConstants(SectionField(kSectionCommands, k, kParameters));
  const std::string directory = FolderPart(file);
  const bool wait = TextInt(SectionField(kSectionCommands, k, kWait)) == 1;

  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  if (wait) info.fMask |= SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  // A bare program name leaves the folder to Windows: the current one.
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = TextInt(SectionField(kSectionCommands, k, kShowCommand));
  ShellExecuteExA(&info);

  // No handle comes back without the wait flag (or when a running program
  // took the document): the first wait fails and nothing is waited for.
  TWin32Handle process(info.hProcess);
  while (WaitForSingleObject(process.Get(), 50) == WAIT_TIMEOUT) PumpWindowMessages();
}

}  // namespace

void RunCommands(int phase) {
  SetStatusText(MessageText(57));
  PumpWindowMessages();
  // The install commands come first; the uninstall commands behind them
  // belong to the uninstaller.
  const uint32_t installCommands =
      std::min(uint32_t(std::max(FieldInt(40), int32_t(0))), SectionCount(kSectionCommands));
  for (uint32_t k = 0; k < installCommands; ++k) {
    if (TextInt(SectionField(kSectionCommands, k, kPhase)) != phase) continue;
    RunCommand(k);
    StepProgress();
  }
}
