#include "engine/uninstall_info.h"

#include <windows.h>

#include "archive/setup_script.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "engine/uninstall_list.h"
#include "engine/uninstall_log.h"
#include "lang/folders.h"
#include "lang/messages.h"
#include "lang/path_constants.h"
#include "startup/corrupted_setup.h"
#include "startup/resource_dispatch.h"
#include "toolkit/folders.h"
#include "toolkit/win32_handle.h"

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, DWORD(bytes.size() - done), &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

// Never 0: a write that stopped without a reason is still a failure.
DWORD WriteError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : DWORD(ERROR_WRITE_FAULT);
}

// Appends the trailer to the uninstaller, creating the file when missing;
// 0, or the Windows error.
DWORD AppendTrailer(const std::string& uninstaller, const std::string& logPath) {
  TWin32Handle file(CreateFileA(uninstaller.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end = {};
  if (!file || !SetFilePointerEx(file.Get(), end, nullptr, FILE_END) ||
      !WriteAll(file.Get(), UninstallerTrailer(Pictures().headerFile, logPath)))
    return WriteError();
  return ERROR_SUCCESS;
}

// Replaces the log file with the text, nothing more; 0, or the Windows error.
DWORD WriteLog(const std::string& logPath, const std::string& text) {
  TWin32Handle file(CreateFileA(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !WriteAll(file.Get(), text) || !SetEndOfFile(file.Get())) return WriteError();
  return ERROR_SUCCESS;
}

// The log an earlier version left at the path; empty when there is none or
// it cannot be read whole.
TUninstallLog PreviousLog(const std::string& logPath) {
  std::string text;
  return ReadUninstallLogText(logPath, text) ? ParseUninstallLog(std::move(text)) : TUninstallLog{};
}

// Without its uninstaller or its log the product could never be removed, and
// its installed-programs entry would name what is not there: the whole
// installation is undone instead.
void RequireWritten(const std::string& what, const std::string& path, DWORD error) {
  ReportItem(what + " " + path, error);
  if (error != ERROR_SUCCESS)
    UnremovableInstallationError("The " + what + " " + path + " could not be written (Windows error " +
                                 std::to_string(error) + "), so the product could not be removed again. "
                                 "The installation has been undone.");
}

}  // namespace

void WriteUninstallInfo() {
  const std::string uninstaller = ExpandPathConstants(FieldText(91));
  const std::string logPath = ExpandPathConstants(FieldText(92));
  MakeFoldersFor(uninstaller);
  MakeFoldersFor(logPath);
  // A script that names no file asks for none: nothing to fail at.
  if (FieldFlag(49) && !uninstaller.empty())
    RequireWritten("uninstaller", uninstaller, AppendTrailer(uninstaller, logPath));

  TUninstallLogInput input;
  input.files.swap(UninstallFileList());  // the list is released here
  if (logPath.empty()) return;
  input.installationFolder = PathState().installationFolder;
  input.foldersMade = JournalFoldersMade();
  input.previous = PreviousLog(logPath);
  input.expand = ExpandPathConstants;
  input.message = [](int m) { return MessageText(m); };
  const DWORD kept = JournalNewFile(logPath);
  RequireWritten("uninstall log", logPath, kept != ERROR_SUCCESS ? kept : WriteLog(logPath, ComposeUninstallLog(input)));
}
