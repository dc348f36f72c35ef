#include "uninstaller/removal_plan.h"

#include <algorithm>
#include <iterator>

#include "archive/script_text.h"
#include "uninstaller/removal_paths.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "[b1]", "[b2]" ... : the letter (either case) and a decimal number.
bool IsNumberedSection(const std::string& name, char letter) {
  if (name.size() < 2 || (name[0] != letter && name[0] != letter - 'a' + 'A')) return false;
  return std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <typename Each>
void ForNumberedSections(const TUninstallLog& log, char letter, Each each) {
  for (const TLogSection& section : log.sections)
    if (IsNumberedSection(section.name, letter)) each(section);
}

TRemovalStep Step(TStepKind kind, std::string path) {
  TRemovalStep step;
  step.kind = kind;
  step.path = std::move(path);
  return step;
}

// A path that is no full path is never handed to Windows: relative to the
// current folder, or for INI files to the Windows folder, it could name
// anything.
TRemovalStep Checked(TStepKind kind, const std::string& path) {
  return Step(IsFullProductPath(path) ? kind : TStepKind::Refused, path);
}

void AddListed(std::vector<TRemovalStep>& plan, const TUninstallLog& log, const char* name, TStepKind kind) {
  const TLogSection* section = log.Find(name);
  if (!section) return;
  for (const auto& entry : section->entries)
    if (!entry.second.empty()) plan.push_back(Checked(kind, entry.second));
}

void AddCommands(std::vector<TRemovalStep>& plan, const TUninstallLog& log, char letter) {
  ForNumberedSections(log, letter, [&](const TLogSection& section) {
    const std::string& program = section.Value("0");
    if (program.empty()) return;
    TRemovalStep step = Step(TStepKind::RunCommand, program);
    step.detail.reset(new TStepDetail);
    step.detail->parameters = section.Value("1");
    step.detail->showCommand = TextInt(section.Value("2"));
    step.detail->wait = TextInt(section.Value("3")) == 1;
    plan.push_back(std::move(step));
  });
}

void AddFonts(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  ForNumberedSections(log, 'n', [&](const TLogSection& section) {
    const std::string& file = section.Value("1");
    if (file.empty() && section.Value("0").empty()) return;
    // A font without a file still has its registry value to go.
    TRemovalStep step = file.empty() ? Step(TStepKind::RemoveFont, file) : Checked(TStepKind::RemoveFont, file);
    if (step.kind == TStepKind::RemoveFont) {
      step.detail.reset(new TStepDetail);
      step.detail->fontName = section.Value("0");
    }
    plan.push_back(std::move(step));
  });
}

void AddIniKeys(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  ForNumberedSections(log, 'i', [&](const TLogSection& section) {
    const std::string &file = section.Value("0"), &name = section.Value("1"), &key = section.Value("2");
    // An empty section or key would make Windows remove a whole section or
    // file's worth of entries.
    if (file.empty() || name.empty() || key.empty()) return;
    TRemovalStep step = Checked(TStepKind::RemoveIniKey, file);
    if (step.kind == TStepKind::RemoveIniKey) {
      step.detail.reset(new TStepDetail);
      step.detail->section = name;
      step.detail->key = key;
    }
    plan.push_back(std::move(step));
  });
}

void AddRegistryValues(std::vector<TRemovalStep>& plan, const TUninstallLog& log) {
  ForNumberedSections(log, 'r', [&](const TLogSection& section) {
    TRemovalStep step = Step(TStepKind::RemoveRegistryValue, std::string());
    step.detail.reset(new TStepDetail);
    step.detail->root = TextInt(section.Value("0"));
    step.detail->registryKey = section.Value("1");
    step.detail->valueName = section.Value("2");
    plan.push_back(std::move(step));
  });
}

void DropTrailingSeparators(std::string& path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
}

void AddFolders(std::vector<TRemovalStep>& plan, const TUninstallLog& log,
                const std::vector<std::string>& protectedFolders) {
  std::vector<TRemovalStep> folders;
  AddListed(folders, log, "e", TStepKind::RemoveFolder);
  // A folder of Windows' own stays, even when it is empty.
  folders.erase(std::remove_if(folders.begin(), folders.end(),
                               [&](const TRemovalStep& step) {
                                 return step.kind == TStepKind::RemoveFolder &&
                                        IsProtectedFolder(step.path, protectedFolders);
                               }),
                folders.end());
  for (TRemovalStep& folder : folders)
    if (folder.kind == TStepKind::RemoveFolder) DropTrailingSeparators(folder.path);
  // A folder goes before its parents: deepest first; among folders of one
  // depth, the one made last goes first.
  std::reverse(folders.begin(), folders.end());
  auto depth = [](const TRemovalStep& step) { return std::count_if(step.path.begin(), step.path.end(), IsSeparator); };
  std::stable_sort(folders.begin(), folders.end(),
                   [&](const TRemovalStep& a, const TRemovalStep& b) { return depth(a) > depth(b); });
  std::move(folders.begin(), folders.end(), std::back_inserter(plan));
}

// An upper bound of the steps, so that the plan is allocated once.
size_t StepCount(const TUninstallLog& log) {
  size_t count = 1;  // the log
  for (const TLogSection& section : log.sections) {
    const std::string name = UpperAscii(section.name);
    if (name == "F" || name == "E" || name == "U") count += section.entries.size();
    else if (name.size() >= 2) ++count;  // at most one step per numbered section
  }
  return count;
}

}  // namespace

const TStepDetail& TRemovalStep::Detail() const {
  static const TStepDetail kNone;
  return detail ? *detail : kNone;
}

std::vector<TRemovalStep> BuildRemovalPlan(const TUninstallLog& log, const std::string& logPath,
                                           const std::vector<std::string>& protectedFolders) {
  std::vector<TRemovalStep> plan;
  plan.reserve(StepCount(log));
  AddCommands(plan, log, 'b');
  AddListed(plan, log, "u", TStepKind::UnregisterComponent);
  AddFonts(plan, log);
  AddListed(plan, log, "f", TStepKind::DeleteFile);
  AddIniKeys(plan, log);
  AddRegistryValues(plan, log);
  plan.push_back(Step(TStepKind::DeleteLog, logPath));
  AddFolders(plan, log, protectedFolders);
  AddCommands(plan, log, 'a');
  return plan;
}

std::string ItemName(const TRemovalStep& step) {
  static const char* const kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKPD", "HKCC", "HKDD"};
  const TStepDetail& d = step.Detail();
  switch (step.kind) {
    case TStepKind::RunCommand:
      return "command " + step.path + (d.parameters.empty() ? "" : " " + d.parameters);
    case TStepKind::UnregisterComponent:
      return "component " + step.path;
    case TStepKind::RemoveFont:
      return "font " + (step.path.empty() ? d.fontName : step.path);
    case TStepKind::DeleteFile:
      return "file " + step.path;
    case TStepKind::RemoveIniKey:
      return "INI entry " + step.path + " [" + d.section + "] " + d.key;
    case TStepKind::RemoveRegistryValue: {
      const std::string root = d.root >= 0 && d.root < 7 ? kRoots[d.root] : "root " + std::to_string(d.root);
      return "registry value " + root + "\\" + d.registryKey + "\\" + d.valueName;
    }
    case TStepKind::DeleteLog:
      return "uninstall log " + step.path;
    case TStepKind::RemoveFolder:
      return "folder " + step.path;
    case TStepKind::Refused:
      return "refused path " + step.path;
  }
  return step.path;
}

std::string SettingText(const TUninstallLog& log, int k) {
  const TLogSection* settings = log.Find("s");
  return settings ? settings->Value(std::to_string(k)) : std::string();
}
