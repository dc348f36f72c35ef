#include "uninstaller/removal_driver.h"

#include "archive/script_text.h"
#include "startup/exit_codes.h"
#include "toolkit/message_pump.h"
#include "uninstaller/registry_removal.h"
#include "uninstaller/removal_actions.h"

namespace {

bool HoldsFile(const std::string& folder, const std::string& file) {
  return UpperAscii(file).rfind(UpperAscii(folder) + "\\", 0) == 0;
}

// The running uninstaller that could not be moved out: Windows deletes it at
// its next start (arranged with the log's step), which is no failure.
bool IsStayingSelf(const std::string& path, const TSelfRelocation& self) {
  return self.InPlace() && UpperAscii(path) == UpperAscii(self.OriginalPath());
}

// False when the step failed.
bool Perform(const TRemovalStep& step, const TRemovalTexts& texts, TSelfRelocation& self, const TRemovalHooks& hooks) {
  auto status = [&](const std::string& text) {
    if (hooks.status) hooks.status(text);
    PumpWindowMessages();
  };
  switch (step.kind) {
    case TStepKind::RunCommand:
      return RunUninstallCommand(step);
    case TStepKind::UnregisterComponent:
      status(texts.unregistering + step.path);
      return UnregisterComponent(step.path);
    case TStepKind::RemoveFont:
      status(texts.unregistering + (step.path.empty() ? step.fontName : step.path));
      return RemoveFont(step);
    case TStepKind::DeleteFile:
      status(texts.deleteFile + step.path);
      return DeleteProductFile(step.path) || IsStayingSelf(step.path, self);
    case TStepKind::RemoveIniKey:
      return RemoveIniKey(step);
    case TStepKind::RemoveRegistryValue:
      return RemoveRegistryValue(step);
    case TStepKind::DeleteLog: {
      const bool deleted = DeleteProductFile(step.path);
      if (self.InPlace()) self.ScheduleDeletion();
      return deleted;
    }
    case TStepKind::RemoveFolder:
      status(texts.removeFolder + step.path);
      // A folder still holding something not the product's stays by design.
      if (!RemoveEmptyFolder(step.path) && self.InPlace() && HoldsFile(step.path, self.OriginalPath()))
        DeleteAtRestart(step.path);
      return true;
  }
  return true;
}

}  // namespace

int ExitCodeOf(const TRemovalResult& result) {
  if (result.end == TRemovalEnd::Stopped) return kExitUserCancelled;
  return result.failures > 0 ? kExitWithErrors : kExitOk;
}

TRemovalResult RunRemoval(const std::vector<TRemovalStep>& plan, const TRemovalTexts& texts, TSelfRelocation& self,
                          const TRemovalHooks& hooks) {
  TRemovalResult result;
  self.MoveOut();
  bool pastReturn = false;
  for (const TRemovalStep& step : plan) {
    if (!pastReturn && hooks.stopRequested && hooks.stopRequested()) {
      self.MoveBack();
      result.end = TRemovalEnd::Stopped;
      return result;
    }
    if (!Perform(step, texts, self, hooks)) ++result.failures;
    if (step.kind == TStepKind::DeleteLog) pastReturn = true;
    if (hooks.stepped) hooks.stepped();
    PumpWindowMessages();
  }
  if (!self.InPlace()) self.ScheduleDeletion();
  return result;
}
