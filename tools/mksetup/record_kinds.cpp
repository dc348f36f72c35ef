#include "mksetup/record_kinds.h"

const std::vector<TRecordKind>& RecordKinds() {
  static const std::vector<TRecordKind> kinds = {
      {"registry variable", kSectionRegistryVariables, {"root", "key", "name", "default"}},
      {"registry", kSectionRegistry, {"root", "key", "name", "data", "type", "overwrite", "remove"}},
      {"uninstall registry", kSectionUninstallRegistry, {"root", "key", "name"}},
      {"font", kSectionFonts, {"name", "file"}},
      {"shortcut",
       kSectionShortcuts,
       {"location", "link", "target", "arguments", "description", "icon", "icon index", "working folder"}},
      {"file", kSectionFiles, {"target", "existing", "time", "uninstall", "attributes"}},
      {"folder", kSectionFolders, {"path", "remove"}},
      {"command", kSectionCommands, {"note", "program", "parameters", "show", "phase", "wait"}},
      {"uninstall command", kSectionCommands, {"note", "program", "parameters", "show", "phase", "wait"}},
      {"ini", kSectionIni, {"file", "section", "key", "value", "overwrite", "remove"}},
      {"uninstaller record", kSectionUninstallerRecords, {"first", "second"}},
      {"component", kSectionComponents, {"library", "unregister"}},
      {"language", kSectionLanguages, {"name", "id", "licence", "information"}},
  };
  return kinds;
}

const TRecordKind* FindRecordKind(const std::string& block) {
  for (const TRecordKind& kind : RecordKinds())
    if (kind.block == block) return &kind;
  return nullptr;
}
