#include "startup/program_entry.h"

#include <windows.h>

#include <vector>

#include "archive/setup_archive.h"
#include "archive/setup_script.h"
#include "startup/exit_codes.h"
#include "startup/resource_dispatch.h"
#include "startup/temp_folder.h"
#include "toolkit/file_stream.h"
#include "toolkit/message_pump.h"
#include "toolkit/piecewise_copy.h"

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: try again with room
  }
}

// Opens the setup's own archive, hands its resources out and reads the whole
// script. False when the setup files are damaged.
static bool LoadSetup() {
  auto self = TFileStream::Open(ModuleFileName(), TFileStream::Mode::OpenRead);
  if (!self) return false;
  TSetupArchive archive;
  return ReadSetupArchive(*self, archive, DispatchResource) && ParseScriptHeader(archive.script) &&
         ParseScriptSections(archive.script);
}

int ProgramEntry() {
  SetMessagePump(PumpWindowMessages);
  CreateTemporaryFolder();
  bool sound = LoadSetup();
  // The language, environment, wizard and installation steps join here as
  // they are built; until then a sound setup ends in order after loading.
  DeleteTemporaryFiles(FieldInt(26));
  return sound ? kExitOk : kExitCorrupted;
}
