#include "uninstaller/uninstaller_entry.h"

#include <windows.h>

#include <memory>
#include <new>

#include "startup/command_line.h"
#include "startup/dll_hardening.h"
#include "startup/exit_codes.h"
#include "toolkit/file_stream.h"
#include "uninstaller/protected_folders.h"
#include "uninstaller/removal_driver.h"
#include "uninstaller/removal_plan.h"
#include "uninstaller/uninstall_window.h"
#include "uninstaller/uninstaller_options.h"
#include "uninstaller/uninstaller_trailer.h"

namespace {

const char kDamagedTrailerText[] =
    "This uninstaller is damaged: it does not say where its uninstall information is. "
    "The program cannot be removed with it.";
const char kDamagedLogText[] = "The uninstall information cannot be read. The program cannot be removed.\r\n\r\n";

const char kOutOfMemoryText[] = "There is not enough memory to remove the program.";

// What the out-of-memory end needs to know of the run.
struct TRunState {
  bool silent = false;
  std::string logPath;
  std::unique_ptr<TSelfRelocation> self;  // kept here, so that it outlives an unwinding
};

TRunState& Run() {
  static TRunState state;
  return state;
}

// The uninstaller goes back to its place while its log is there to be read
// again; else it is left to Windows' next start, as at a normal end.
void ReportOutOfMemory() {
  if (TSelfRelocation* self = Run().self.get()) {
    if (GetFileAttributesA(Run().logPath.c_str()) != INVALID_FILE_ATTRIBUTES) self->MoveBack();
    else self->ScheduleDeletion();
  }
  if (!Run().silent) MessageBoxA(nullptr, kOutOfMemoryText, "Error", MB_ICONERROR | MB_OK);
}

// Out of memory anywhere, window procedures included, ends the run here
// rather than as an exception crossing Windows' frames.
void OutOfMemory() {
  std::set_new_handler(nullptr);
  ReportOutOfMemory();
  ExitProcess(kExitCannotRun);
}

int Damaged(bool silent, const std::string& text) {
  if (!silent) MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR | MB_OK);
  return kExitCorrupted;
}

// A file that cannot be opened counts as damaged.
TTrailerState ReadOwnTrailer(const std::string& program, TUninstallerTrailer& trailer) {
  auto self = TFileStream::Open(program, TFileStream::Mode::OpenRead);
  return self ? ReadUninstallerTrailer(*self, trailer) : TTrailerState::Damaged;
}

int Uninstall() {
  HardenDllSearch();
  const TUninstallerOptions options = ParseUninstallerArguments(ArgumentsOf(GetCommandLineA()));
  Run().silent = options.silent;
  const std::string program = ProgramPath();

  TUninstallerTrailer trailer;
  if (ReadOwnTrailer(program, trailer) == TTrailerState::Damaged) return Damaged(options.silent, kDamagedTrailerText);
  // In full, before the current folder changes: "/INI=" may name it relative to it.
  const std::string logPath = FullPath(ChooseLogPath(options.logPath, trailer.logPath, program));
  Run().logPath = logPath;
  TUninstallLog log;
  {
    std::string text;
    if (ReadUninstallLogText(logPath, text)) log = ParseUninstallLog(std::move(text));
  }
  // Every log the setup writes ends with its settings.
  if (!log.Find("s")) return Damaged(options.silent, kDamagedLogText + logPath);

  LeaveCurrentFolder();
  const std::vector<TRemovalStep> plan = BuildRemovalPlan(log, logPath, ProtectedFolders());
  Run().self.reset(new TSelfRelocation(program));
  TSelfRelocation& relocation = *Run().self;
  const int exitCode = options.silent ? ExitCodeOf(RunRemoval(plan, TRemovalTexts{}, relocation, TRemovalHooks{}))
                                      : RunUninstallWindow(log, trailer.picture, plan, relocation);
  Run().self.reset();
  return exitCode;
}

}  // namespace

int UninstallerEntry() {
  std::set_new_handler(OutOfMemory);
  return RunReportingOutOfMemory(Uninstall, ReportOutOfMemory);
}
