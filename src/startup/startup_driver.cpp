#include "startup/startup_driver.h"

#include <windows.h>

#include "archive/setup_archive.h"
#include "archive/setup_script.h"
#include "lang/folders.h"
#include "lang/language_choice.h"
#include "lang/registry_text.h"
#include "lang/select_language.h"
#include "startup/application_window.h"
#include "startup/background_window.h"
#include "startup/command_line.h"
#include "startup/corrupted_setup.h"
#include "startup/environment_checks.h"
#include "startup/exit_codes.h"
#include "startup/folder_names.h"
#include "startup/loaded_archive.h"
#include "toolkit/module_path.h"
#include "startup/resource_dispatch.h"
#include "startup/temp_folder.h"
#include "startup/setup_end.h"
#include "startup/single_instance.h"
#include "toolkit/file_stream.h"
#include "toolkit/run_log.h"

namespace {

// Reads the trailer and block 0 of the setup's own file: the script into
// `script`, the resources to their places. A damaged archive never returns.
void OpenSetupArchive(TMemoryStream& script) {
  auto self = TFileStream::Open(ModuleFileName(), TFileStream::Mode::OpenRead);
  TSetupArchive& archive = LoadedArchive();
  if (!self || !ReadSetupArchive(*self, archive, DispatchResource)) CorruptedSetupError();
  LogLine("setup archive sound: " + std::to_string(archive.trailer.itemCount) + " item(s) in block 0, " +
          std::to_string(archive.trailer.dataSize) + " byte(s) of file data in this file");
  script = std::move(archive.script);
  archive.script = TMemoryStream();
}

// "/Q" and "/LOG=" count from the very start: a damaged archive is already
// reported their way.
void BeginUnattendedRecord(const std::vector<std::string>& arguments) {
  TRunFlags& flags = RunFlags();
  ApplyUnattendedSwitches(arguments, flags);
  const DWORD error = flags.logPath.empty() ? DWORD(ERROR_SUCCESS) : OpenRunLog(flags.logPath);
  // The run goes on without its log; a person is told once (none with /Q).
  if (error != ERROR_SUCCESS && !flags.quiet) {
    const std::string text = "The log file " + flags.logPath + " cannot be written (Windows error " +
                             std::to_string(error) + "). The setup goes on without it.";
    MessageBoxA(nullptr, text.c_str(), "Setup log", MB_OK | MB_ICONWARNING);
  }
  LogLine(std::string("setup started: ") + GetCommandLineA());
}

}  // namespace

TSetupArchive& LoadedArchive() {
  static TSetupArchive archive;
  return archive;
}

TStartupResult RunStartupDriver() {
  const std::vector<std::string> arguments = ArgumentsOf(GetCommandLineA());
  if (IsTestMode(arguments)) {
    WinExec("..\\velmora.exe", SW_SHOWNORMAL);
    return {true, kExitOk};
  }
  BeginUnattendedRecord(arguments);
  if (!CreateTemporaryFolder()) CannotRunError(kNoTemporaryFolderText);
  LogLine("temporary folder: " + TemporaryFolder());
  TMemoryStream script;
  OpenSetupArchive(script);
  if (!ParseScriptHeader(script)) CorruptedSetupError();
  ResolveRegistryVariables();

  TRunFlags& flags = RunFlags();
  flags.silent = FieldFlag(110);
  ApplySwitches(arguments, flags, NormaliseInstallFolder);

  if (!flags.silent) CreateBackgroundWindow();  // a silent run shows none

  const std::string title = ExpandPathConstants(FieldText(65));
  SetApplicationTitle(title);
  SetWindowTextA(BackgroundWindow(), title.c_str());
  ShowWindow(ApplicationWindow(), flags.silent ? SW_HIDE : SW_SHOW);
  if (!ParseScriptSections(script)) CorruptedSetupError();
  LogLine("setup script sound: " + title);
  // Before the language dialog and the wizard: a second run of the product
  // ends here with nothing changed.
  ClaimProductInstance();
  if (!SelectLanguage()) {
    LogLine("language dialog cancelled");
    return {true, FinishSetup(kExitUserCancelled)};
  }
  LogLine("language: " + LanguageState().name);
  if (!RunEnvironmentChecks()) return {true, FinishSetup(kExitRefused)};
  SetUpBackgroundWindow();
  return {};
}
