#include "engine/commands.h"

#include <windows.h>

#include <algorithm>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/progress.h"
#include "lang/messages.h"
#include "lang/folders.h"
#include "toolkit/message_pump.h"
#include "toolkit/shell_open.h"

namespace {

enum TCommandField { kProgram = 1, kParameters = 2, kShowCommand = 3, kPhase = 4, kWait = 5 };

void RunCommand(uint32_t k) {
  OpenWithShell(ExpandPathConstants(SectionField(kSectionCommands, k, kProgram)),
                ExpandPathConstants(SectionField(kSectionCommands, k, kParameters)),
                TextInt(SectionField(kSectionCommands, k, kShowCommand)),
                TextInt(SectionField(kSectionCommands, k, kWait)) == 1);
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
