#include "uninstaller/removal_plan.h"

#include <algorithm>

#include "archive/script_text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "[b1]", "[b2]" ... : the letter (either case) and a decimal number.
bool IsNumberedSection(const std::string& name, char letter) {
  if (name.size() < 2 || UpperAscii(name.substr(0, 1)) != UpperAscii(std::string(1, letter))) return false;
  return std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<const TLogSection*> NumberedSections(const TUninstallLog& log, char letter) {
  std::vector<const TLogSection*> out;
  for (const TLogSection& section : log.sections)
    if (IsNumberedSection(section.name, letter)) out.push_back(&section);
  return out;
}

void AddListed(std::vector<TRemovalStep>& plan, const TUninstallLog& log, const char* name, TStepKind kind) {
  const TLogSection* section = log.Find(name);
  if (!section) return;
  for (const auto& entry : section->entries) {
    if (entry.second.empty()) continue;
    TRemovalStep step;
    step.kind = kind;
    step.path = entry.second;
    plan.push_back(step);
  }
}

void AddCommands(std::vector<TRemovalStep>& plan, const TUninstallLog& log, char letter) {
  for (const TLogSection* section : NumberedSections(log, letter)) {
    TRemovalStep step;
    step.kind = TStepKind::RunCommand;
    step.path = section->Value("0");
    if (step.path.empty()) continue;
    step.parameters = section->Value("1");
    step.showCommand = TextInt(section->Value("2"));
    step.wait = TextInt(section->Value("3")) == 1;
    plan.push_back(step);
  }
}

void AddFonts(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  for (const TLogSection* section : NumberedSections(log, 'n')) {
    TRemovalStep step;
    step.kind = TStepKind::RemoveFont;
    step.fontName = section->Value("0");
    step.path = section->Value("1");
    if (step.path.empty() && step.fontName.empty()) continue;
    plan.push_back(step);
  }
}

void AddIniKeys(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  for (const TLogSection* section : NumberedSections(log, 'i')) {
    TRemovalStep step;
    step.kind = TStepKind::RemoveIniKey;
    step.path = section->Value("0");
    step.section = section->Value("1");
    step.key = section->Value("2");
    // An empty section or key would make Windows remove a whole section or
    // file's worth of entries.
    if (step.path.empty() || step.section.empty() || step.key.empty()) continue;
    plan.push_back(step);
  }
}

void AddRegistryValues(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  for (const TLogSection* section : NumberedSections(log, 'r')) {
    TRemovalStep step;
    step.kind = TStepKind::RemoveRegistryValue;
    step.root = TextInt(section->Value("0"));
    step.registryKey = section->Value("1");
    step.valueName = section->Value("2");
    plan.push_back(step);
  }
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

void AddFolders(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  std::vector<TRemovalStep> folders;
  AddListed(folders, log, "e", TStepKind::RemoveFolder);
  for (TRemovalStep& folder : folders) folder.path = WithoutTrailingSeparators(folder.path);
  // A folder goes before its parents: deepest first; among folders of one
  // depth, the one made last goes first.
  std::reverse(folders.begin(), folders.end());
  auto depth = [](const TRemovalStep& step) { return std::count_if(step.path.begin(), step.path.end(), IsSeparator); };
  std::stable_sort(folders.begin(), folders.end(),
                   [&](const TRemovalStep& a, const TRemovalStep& b) { return depth(a) > depth(b); });
  plan.insert(plan.end(), folders.begin(), folders.end());
}

}  // namespace

std::vector<TRemovalStep> BuildRemovalPlan(const TUninstallLog& log, const std::string& logPath) {
  std::vector<TRemovalStep> plan;
  AddCommands(plan, log, 'b');
  AddListed(plan, log, "u", TStepKind::UnregisterComponent);
  AddFonts(plan, log);
  AddListed(plan, log, "f", TStepKind::DeleteFile);
  AddIniKeys(plan, log);
  AddRegistryValues(plan, log);
  TRemovalStep logStep;
  logStep.kind = TStepKind::DeleteLog;
  logStep.path = logPath;
  plan.push_back(logStep);
  AddFolders(plan, log);
  AddCommands(plan, log, 'a');
  return plan;
}

std::string SettingText(const TUninstallLog& log, int k) {
  const TLogSection* settings = log.Find("s");
  return settings ? settings->Value(std::to_string(k)) : std::string();
}
