// What the uninstaller does, in which order, read from the uninstall log.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/uninstall_log_parser.h"

enum class TStepKind {
  RunCommand,           // a "[b n]" command first, an "[a n]" command last
  UnregisterComponent,  // "[u]"
  RemoveFont,           // "[n n]"
  DeleteFile,           // "[f]": files and shortcuts
  RemoveIniKey,         // "[i n]"
  RemoveRegistryValue,  // "[r n]", then its key while it is left empty
  DeleteLog,            // the uninstall log itself
  RemoveFolder,         // "[e]", when empty
  Refused,              // an entry whose path is no full path: never acted on
};

// What only the rarer kinds need, kept apart so that a log of a hundred
// thousand files makes a plan of a hundred thousand small steps.
struct TStepDetail {
  // RunCommand.
  std::string parameters;
  int32_t showCommand = 0;
  bool wait = false;
  // RemoveFont: the value name under the Fonts key.
  std::string fontName;
  // RemoveIniKey.
  std::string section, key;
  // RemoveRegistryValue: root index 0..6, key path, value name ("" is the
  // key's default value).
  int32_t root = 0;
  std::string registryKey, valueName;
};

struct TRemovalStep {
  TStepKind kind = TStepKind::DeleteFile;
  // The program, component, font file, file, INI file, log or folder; for a
  // refused entry, its value as the log has it.
  std::string path;
  std::unique_ptr<TStepDetail> detail;  // commands, fonts, INI keys, registry values

  // The detail, or an empty one.
  const TStepDetail& Detail() const;
};

// The steps, in this order:
//   1. the "before" commands, in log order;
//   2. the components, unregistered while their files still exist;
//   3. the fonts, taken out of use so that their files can go;
//   4. the files and shortcuts;
//   5. the INI keys and 6. the registry values;
//   7. the log at logPath, so that the folder holding it can empty;
//   8. the folders, deepest first (later entries first among equals);
//   9. the "after" commands, in log order.
// Entries without a path (or a command without a program) are left out.
// A file, folder, component, font file or INI file that is no full path
// (IsFullProductPath) becomes a Refused step in its place, and a folder
// that IsProtectedFolder keeps is left out. Commands are taken as written.
std::vector<TRemovalStep> BuildRemovalPlan(const TUninstallLog& log, const std::string& logPath,
                                           const std::vector<std::string>& protectedFolders = {});

// The item as a report names it: "file C:\...", "registry value HKCU\...\name".
std::string ItemName(const TRemovalStep& step);

// Setting k of the "[s]" section; empty when the log has none.
std::string SettingText(const TUninstallLog& log, int k);
