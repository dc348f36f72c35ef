#include "uninstaller/removal_driver.h"

#include "archive/script_text.h"
#include "toolkit/message_pump.h"
#include "uninstaller/registry_removal.h"
#include "uninstaller/removal_actions.h"

namespace {

bool HoldsFile(const std::string& folder, const std::string& file) {
  return UpperAscii(file).rfind(UpperAscii(folder) + "\\", 0) == 0;
}

void Perform(const TRemovalStep& step, const TRemovalTexts& texts, TSelfRelocation& self, const TRemovalHooks& hooks) {
  auto status = [&](const std::string& text) {
    if (hooks.status) hooks.status(text);
    PumpWindowMessages();
  };
  switch (step.kind) {
    case TStepKind::RunCommand:
      RunUninstallCommand(step);
      break;
    case TStepKind::UnregisterComponent:
      status(texts.unregistering + step.path);
      UnregisterComponent(step.path);
      break;
    case TStepKind::RemoveFont:
      status(texts.unregistering + (step.path.empty() ? step.fontName : step.path));
      RemoveFont(step);
      break;
    case TStepKind::DeleteFile:
      status(texts.deleteFile + step.path);
      DeleteProductFile(step.path);
      break;
    case TStepKind::RemoveIniKey:
      RemoveIniKey(step);
      break;
    case TStepKind::RemoveRegistryValue:
      RemoveRegistryValue(step);
      break;
    case TStepKind::DeleteLog:
      DeleteProductFile(step.path);
      if (self.InPlace()) self.ScheduleDeletion();
      break;
    case TStepKind::RemoveFolder:
      status(texts.removeFolder + step.path);
      if (!RemoveEmptyFolder(step.path) && self.InPlace() && HoldsFile(step.path, self.OriginalPath()))
        DeleteAtRestart(step.path);
      break;
  }
}

}  // namespace

TRemovalEnd RunRemoval(const std::vector<TRemovalStep>& plan, const TRemovalTexts& texts, TSelfRelocation& self,
                       const TRemovalHooks& hooks) {
  self.MoveOut();
  bool pastReturn = false;
  for (const TRemovalStep& step : plan) {
    if (!pastReturn && hooks.stopRequested && hooks.stopRequested()) {
      self.MoveBack();
      return TRemovalEnd::Stopped;
    }
    Perform(step, texts, self, hooks);
    if (step.kind == TStepKind::DeleteLog) pastReturn = true;
    if (hooks.stepped) hooks.stepped();
    PumpWindowMessages();
  }
  if (!self.InPlace()) self.ScheduleDeletion();
  return TRemovalEnd::Completed;
}
