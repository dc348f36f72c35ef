#include "uninstaller/uninstaller_entry.h"

#include <windows.h>

#include "archive/script_text.h"
#include "startup/command_line.h"
#include "startup/dll_hardening.h"
#include "startup/exit_codes.h"
#include "toolkit/file_stream.h"
#include "uninstaller/removal_driver.h"
#include "uninstaller/removal_plan.h"
#include "uninstaller/uninstall_window.h"
#include "uninstaller/uninstaller_trailer.h"

namespace {

// Far beyond any real log; keeps a damaged trailer from naming a huge file.
constexpr int64_t kLogSizeLimit = int64_t(64) << 20;

const char kDamagedTrailerText[] =
    "This uninstaller is damaged: it does not say where its uninstall information is. "
    "The program cannot be removed with it.";
const char kDamagedLogText[] = "The uninstall information cannot be read. The program cannot be removed.\r\n\r\n";

bool IsSilent(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments)
    if (UpperAscii(argument) == "/S") return true;
  return false;
}

int Damaged(bool silent, const std::string& text) {
  if (!silent) MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR | MB_OK);
  return kExitCorrupted;
}

bool ReadLogText(const std::string& path, std::string& text) {
  auto file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  if (!file) return false;
  const int64_t size = file->Size();
  if (size < 0 || size > kLogSizeLimit) return false;
  text.assign(size_t(size), '\0');
  return size == 0 || file->ReadExact(&text[0], int32_t(size));
}

int RunSilently(const std::vector<TRemovalStep>& plan, TSelfRelocation& self) {
  RunRemoval(plan, TRemovalTexts{}, self, TRemovalHooks{});
  return kExitOk;
}

}  // namespace

int UninstallerEntry() {
  HardenDllSearch();
  const bool silent = IsSilent(ArgumentsOf(GetCommandLineA()));
  const std::string program = ProgramPath();

  TUninstallerTrailer trailer;
  {
    auto self = TFileStream::Open(program, TFileStream::Mode::OpenRead);
    if (!self || !ReadUninstallerTrailer(*self, trailer)) return Damaged(silent, kDamagedTrailerText);
  }
  std::string text;
  TUninstallLog log;
  if (ReadLogText(trailer.logPath, text)) log = ParseUninstallLog(text);
  // Every log the setup writes ends with its settings.
  if (!log.Find("s")) return Damaged(silent, kDamagedLogText + trailer.logPath);

  const std::vector<TRemovalStep> plan = BuildRemovalPlan(log, trailer.logPath);
  TSelfRelocation relocation(program);
  if (silent) return RunSilently(plan, relocation);
  return RunUninstallWindow(log, trailer.picture, plan, relocation);
}
