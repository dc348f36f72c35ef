// What the uninstaller does, in which order, read from the uninstall log.
#pragma once
#include <cstdint>
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
};

struct TRemovalStep {
  TStepKind kind = TStepKind::DeleteFile;
  // The program, component, font file, file, INI file, log or folder.
  std::string path;
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
std::vector<TRemovalStep> BuildRemovalPlan(const TUninstallLog& log, const std::string& logPath);

// Setting k of the "[s]" section; empty when the log has none.
std::string SettingText(const TUninstallLog& log, int k);
