#include "uninstaller/uninstaller_entry.h"

#include <windows.h>

#include "startup/command_line.h"
#include "startup/dll_hardening.h"
#include "startup/exit_codes.h"
#include "toolkit/file_stream.h"
#include "uninstaller/removal_driver.h"
#include "uninstaller/removal_plan.h"
#include "uninstaller/uninstall_window.h"
#include "uninstaller/uninstaller_options.h"
#include "uninstaller/uninstaller_trailer.h"

namespace {

// Far beyond any real log; keeps a damaged trailer from naming a huge file.
constexpr int64_t kLogSizeLimit = int64_t(64) << 20;

const char kDamagedTrailerText[] =
    "This uninstaller is damaged: it does not say where its uninstall information is. "
    "The program cannot be removed with it.";
const char kDamagedLogText[] = "The uninstall information cannot be read. The program cannot be removed.\r\n\r\n";

int Damaged(bool silent, const std::string& text) {
  if (!silent) MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR | MB_OK);
  return kExitCorrupted;
}

// A file that cannot be opened counts as damaged.
TTrailerState ReadOwnTrailer(const std::string& program, TUninstallerTrailer& trailer) {
  auto self = TFileStream::Open(program, TFileStream::Mode::OpenRead);
  return self ? ReadUninstallerTrailer(*self, trailer) : TTrailerState::Damaged;
}

bool ReadLogText(const std::string& path, std::string& text) {
  auto file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  if (!file) return false;
  const int64_t size = file->Size();
  if (size < 0 || size > kLogSizeLimit) return false;
  text.assign(size_t(size), '\0');
  return size == 0 || file->ReadExact(&text[0], int32_t(size));
}

}  // namespace

int UninstallerEntry() {
  HardenDllSearch();
  const TUninstallerOptions options = ParseUninstallerArguments(ArgumentsOf(GetCommandLineA()));
  const std::string program = ProgramPath();

  TUninstallerTrailer trailer;
  if (ReadOwnTrailer(program, trailer) == TTrailerState::Damaged) return Damaged(options.silent, kDamagedTrailerText);
  const std::string logPath = ChooseLogPath(options.logPath, trailer.logPath, program);
  std::string text;
  TUninstallLog log;
  if (ReadLogText(logPath, text)) log = ParseUninstallLog(text);
  // Every log the setup writes ends with its settings.
  if (!log.Find("s")) return Damaged(options.silent, kDamagedLogText + logPath);

  const std::vector<TRemovalStep> plan = BuildRemovalPlan(log, logPath);
  TSelfRelocation relocation(program);
  if (options.silent) return ExitCodeOf(RunRemoval(plan, TRemovalTexts{}, relocation, TRemovalHooks{}));
  return RunUninstallWindow(log, trailer.picture, plan, relocation);
}
