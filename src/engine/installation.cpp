#include "engine/installation.h"

#include <windows.h>

#include <memory>

#include "archive/header_check.h"
#include "archive/setup_script.h"
#include "engine/choice_check.h"
#include "engine/commands.h"
#include "engine/components.h"
#include "engine/file_data_check.h"
#include "engine/file_extraction.h"
#include "engine/fonts.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "engine/progress.h"
#include "engine/registry_entries.h"
#include "engine/shortcuts.h"
#include "engine/uninstall_info.h"
#include "engine/stop_request.h"
#include "engine/uninstall_list.h"
#include "lang/folders.h"
#include "lang/messages.h"
#include "lang/path_constants.h"
#include "startup/corrupted_setup.h"
#include "startup/loaded_archive.h"
#include "startup/temp_folder.h"
#include "toolkit/folders.h"
#include "toolkit/module_path.h"

namespace {

void CreateFolders() {
  SetStatusText(MessageText(80));
  for (uint32_t k = 0; k < SectionCount(kSectionFolders); ++k) {
    const std::string folder = ExpandPathConstants(SectionField(kSectionFolders, k, 0));
    // A record of the program group when the person chose none.
    if (!folder.empty()) ReportItem("folder " + folder, MakeFolderPath(folder));
    StepProgress();
    HonourStopRequest();
  }
}

void WriteRegistryValues() {
  SetStatusText(MessageText(37));
  for (uint32_t k = 0; k < SectionCount(kSectionRegistry); ++k) {
    WriteRegistryRecord(k);
    StepProgress();
    HonourStopRequest();
  }
}

void WriteIniEntries() {
  SetStatusText(MessageText(60));
  for (uint32_t k = 0; k < SectionCount(kSectionIni); ++k) {
    WriteIniEntry(k);
    StepProgress();
    HonourStopRequest();
  }
}

void RegisterComponents() {
  if (!FieldFlag(20)) return;
  for (uint32_t k = 0; k < SectionCount(kSectionComponents); ++k) {
    const std::string path = ExpandPathConstants(SectionField(kSectionComponents, k, 0));
    SetStatusText(MessageText(58) + path);
    const DWORD error = RegisterComponent(path);
    if (error == ERROR_SUCCESS) JournalComponent(path);
    ReportItem("component registration " + path, error);
    StepProgress();
    HonourStopRequest();
  }
}

std::unique_ptr<TFileExtraction>& PreparedExtraction() {
  static std::unique_ptr<TFileExtraction> extraction;
  return extraction;
}

void CheckHeader() {
  if (FieldText(kHeaderCheckField) != HeaderCheckText(Script().headerCheck)) CorruptedSetupError();
}

}  // namespace

std::string InstallationFolderOf(const std::string& folder) {
  return folder.empty() || folder.back() != '\\' ? folder + "\\" : folder;
}

TInstallChoices DefaultChoices() {
  TInstallChoices choices;
  choices.installationFolder = InstallationFolderOf(ExpandPathConstants(FieldText(58)));
  if (FieldFlag(86)) choices.shortcuts.group = ExpandPathConstants(FieldText(106));
  return choices;
}

void PrepareInstallation() {
  if (!PreparedExtraction()) PreparedExtraction() = std::make_unique<TFileExtraction>(ModuleFileName(), LoadedArchive());
}

void RunInstallation(const TInstallChoices& choices, TProgressSink& sink) {
  TProgressBinding binding(sink);
  PathState().installationFolder = choices.installationFolder;
  const bool group = FieldFlag(86) && !choices.shortcuts.noShortcuts;
  PathState().programGroup = group ? choices.shortcuts.group : std::string();
  SetProgressRange(FieldInt(48));
  CheckHeader();
  PrepareInstallation();
  // Damaged file data are found before anything on the machine changes.
  TDataAreaCheck check = CheckFileDataInSetup(ModuleFileName(), LoadedArchive());
  // From the first change on, an installation that cannot complete is undone.
  BeginJournal();
  const std::string unusable = MakeInstallationFolder(choices.installationFolder);
  if (!unusable.empty()) UnusableChoiceError(unusable);
  RunCommands(0);
  HonourStopRequest();
  UninstallFileList().clear();
  PreparedExtraction()->Run(check);
  PreparedExtraction().reset();
  CreateFolders();
  WriteRegistryValues();
  InstallFonts();
  HonourStopRequest();
  SetStatusText(MessageText(38));
  CreateShortcuts(choices.shortcuts);
  HonourStopRequest();
  if (FieldFlag(56)) {
    SetStatusText(MessageText(39));
    WriteUninstallInfo();
    StepProgress();
  }
  WriteIniEntries();
  RegisterComponents();
  RunCommands(1);
  SetStatusText(MessageText(40));
  CompleteJournal();
  DeleteTemporaryFiles();
  FillProgress();
}
