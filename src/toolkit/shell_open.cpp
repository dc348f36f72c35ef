#include "toolkit/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "toolkit/message_pump.h"
#include "toolkit/path_parts.h"
#include "toolkit/win32_handle.h"

// The size the shell expects of this structure on 32-bit Windows.
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA is 60 bytes on i686");

bool OpenWithShell(const std::string& file, const std::string& parameters, int showCommand, bool wait) {
  const std::string directory = FolderPart(file);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  if (wait) info.fMask |= SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = showCommand;
  const bool opened = ShellExecuteExA(&info) != FALSE;
  TWin32Handle process(info.hProcess);
  while (process && WaitForSingleObject(process.Get(), 50) == WAIT_TIMEOUT) PumpWindowMessages();
  return opened;
}
