#include "uninstaller/removal_driver.h"

#include <algorithm>

#include "archive/script_text.h"
#include "toolkit/message_pump.h"
#include "uninstaller/registry_removal.h"
#include "uninstaller/removal_actions.h"

namespace {

enum class TOutcome { Done, Failed, Scheduled };

// The running uninstaller that could not be moved out: Windows deletes it at
// its next start (arranged with the log's step), which is no failure.
bool IsStayingSelf(const std::string& path, const TSelfRelocation& self) {
  return self.InPlace() && UpperAscii(path) == UpperAscii(self.OriginalPath());
}

class TRemover {
public:
  TRemover(const TRemovalTexts& texts, TSelfRelocation& self, const TRemovalHooks& hooks)
      : texts_(texts), self_(self), hooks_(hooks) {}

  TOutcome Perform(const TRemovalStep& step);

private:
  void Status(const std::string& text) {
    if (hooks_.status) hooks_.status(text);
    PumpWindowMessages();
  }

  // What stays is left to Windows' next start, and remembered, so that the
  // folders holding it can follow it there.
  TOutcome Schedule(const std::string& path) {
    if (!DeleteAtRestart(path)) return TOutcome::Failed;
    scheduled_.push_back(UpperAscii(path));
    return TOutcome::Scheduled;
  }

  bool IsScheduled(const std::string& path) const {
    return std::find(scheduled_.begin(), scheduled_.end(), UpperAscii(path)) != scheduled_.end() ||
           (self_.InPlace() && UpperAscii(path) == UpperAscii(self_.OriginalPath()));
  }

  TOutcome DeleteFileOrSchedule(const std::string& path) {
    if (DeleteProductFile(path) || IsStayingSelf(path, self_)) return TOutcome::Done;
    return Schedule(path);
  }

  TOutcome RemoveFolder(const std::string& folder);

  const TRemovalTexts& texts_;
  TSelfRelocation& self_;
  const TRemovalHooks& hooks_;
  std::vector<std::string> scheduled_;  // upper-cased
};

TOutcome TRemover::RemoveFolder(const std::string& folder) {
  if (RemoveEmptyFolder(folder)) return TOutcome::Done;
  bool empty = false;
  // A folder still holding something that is not the product's stays by design.
  if (!FolderHoldsOnly(folder, [this](const std::string& path) { return IsScheduled(path); }, empty))
    return TOutcome::Done;
  // Scheduled after what it holds, so it is empty by the time its turn comes.
  const TOutcome outcome = Schedule(folder);
  // Only a folder that no program should hold counts in its own right; one
  // that waits for its files is counted with them.
  return empty || outcome == TOutcome::Failed ? outcome : TOutcome::Done;
}

TOutcome TRemover::Perform(const TRemovalStep& step) {
  auto result = [](bool done) { return done ? TOutcome::Done : TOutcome::Failed; };
  switch (step.kind) {
    case TStepKind::RunCommand:
      return result(RunUninstallCommand(step));
    case TStepKind::UnregisterComponent:
      Status(texts_.unregistering + step.path);
      return result(UnregisterComponent(step.path));
    case TStepKind::RemoveFont:
      Status(texts_.unregistering + (step.path.empty() ? step.Detail().fontName : step.path));
      return result(RemoveFont(step));
    case TStepKind::DeleteFile:
      Status(texts_.deleteFile + step.path);
      return DeleteFileOrSchedule(step.path);
    case TStepKind::RemoveIniKey:
      return result(RemoveIniKey(step));
    case TStepKind::RemoveRegistryValue:
      return result(RemoveRegistryValue(step));
    case TStepKind::DeleteLog: {
      const TOutcome outcome = DeleteFileOrSchedule(step.path);
      if (self_.InPlace()) self_.ScheduleDeletion();
      return outcome;
    }
    case TStepKind::RemoveFolder:
      Status(texts_.removeFolder + step.path);
      return RemoveFolder(step.path);
    case TStepKind::Refused:
      return TOutcome::Failed;
  }
  return TOutcome::Done;
}

}  // namespace

TRemovalResult RunRemoval(const std::vector<TRemovalStep>& plan, const TRemovalTexts& texts, TSelfRelocation& self,
                          const TRemovalHooks& hooks) {
  TRemovalResult result;
  TRemover remover(texts, self, hooks);
  self.MoveOut();
  bool pastReturn = false;
  for (const TRemovalStep& step : plan) {
    if (!pastReturn && hooks.stopRequested && hooks.stopRequested()) {
      self.MoveBack();
      result.end = TRemovalEnd::Stopped;
      return result;
    }
    switch (remover.Perform(step)) {
      case TOutcome::Done: break;
      case TOutcome::Failed: result.Failed(ItemName(step)); break;
      case TOutcome::Scheduled: ++result.scheduled; break;
    }
    if (step.kind == TStepKind::DeleteLog) pastReturn = true;
    if (hooks.stepped) hooks.stepped();
    PumpWindowMessages();
  }
  if (!self.InPlace()) self.ScheduleDeletion();
  return result;
}
