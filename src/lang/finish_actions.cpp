#include "lang/finish_actions.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "archive/setup_script.h"
#include "lang/folders.h"
#include "lang/restart_windows.h"
#include "toolkit/run_log.h"
#include "toolkit/path_parts.h"

namespace {

// The target's folder becomes the current one, so that the program or the
// document's viewer starts where its files are.
void EnterFolderOf(const std::string& path) {
  const std::string folder = FolderPart(path);
  if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
}

// The shell's default action; a failure passes silently.
void OpenWithDefaultAction(const std::string& target) {
  ShellExecuteA(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOW);
}

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Quoted when it names a file, so that "C:\Program Files\..." cannot start
// "C:\Program.exe"; otherwise it may carry arguments and goes as it is.
// What WinExec cannot start (a document) opens through its association.
void LaunchProgram(const std::string& path) {
  EnterFolderOf(path);
  const std::string command = IsExistingFile(path) ? "\"" + path + "\"" : path;
  if (WinExec(command.c_str(), SW_SHOW) < 32) OpenWithDefaultAction(path);
}

void OpenReadme(const std::string& path) {
  EnterFolderOf(path);
  OpenWithDefaultAction(path);
}

}  // namespace

void RunFinishActions(const TFinishChoices& choices) {
  if (FieldFlag(39) && choices.launch) LaunchProgram(ExpandPathConstants(FieldText(43)));
  if (FieldFlag(79) && choices.readme) OpenReadme(ExpandPathConstants(FieldText(47)));
  if (FieldFlag(36) && choices.website) OpenWithDefaultAction(ExpandPathConstants(FieldText(37)));
  if ((FieldFlag(52) || RestartPendingCount() > 0) && choices.restartNow) RestartWindows();
}
