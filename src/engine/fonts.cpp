#include "engine/fonts.h"

#include <windows.h>

#include "archive/setup_script.h"
#include "engine/file_record.h"
#include "engine/progress.h"
#include "engine/registry_entries.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "lang/folders.h"
#include "lang/messages.h"
#include "lang/path_constants.h"
#include "startup/fonts_key.h"
#include "toolkit/message_pump.h"

namespace {

enum TFontField { kValueName = 0, kFontFile = 1 };
constexpr int kRootLocalMachine = 2;
constexpr int kTypeText = 0;
constexpr uint8_t kFontsFolderCode = 15;
// Windows calls a window hung only after it has not answered for some
// seconds; until then each of its windows costs this wait. A window that
// answers late still gets the message, it is only not waited for.
constexpr UINT kBroadcastTimeoutMs = 1000;

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void InstallFont(uint32_t k, const std::string& fontsFolder) {
  const std::string path = ExpandPathConstants(SectionField(kSectionFonts, k, kFontFile));
  SetStatusText(MessageText(58) + FileNamePart(path));
  PumpWindowMessages();
  if (!IsFile(path)) return ReportItem("font " + path, ERROR_FILE_NOT_FOUND);

  const std::string name = ExpandPathConstants(SectionField(kSectionFonts, k, kValueName));
  // Windows finds fonts of its own Fonts folder by file name alone. An
  // unknown Fonts folder matches nothing.
  const bool inFontsFolder = !fontsFolder.empty() && LowerAscii(path).find(fontsFolder) != std::string::npos;
  const std::string data = inFontsFolder ? FileNamePart(path) : path;
  DWORD error = WriteRegistryValue(kRootLocalMachine, FontsKey(), name, data, kTypeText, false);
  if (AddFontResourceA(path.c_str()) != 0)
    JournalFontResource(path);
  else if (error == ERROR_SUCCESS)
    error = ERROR_INVALID_DATA;  // not a font
  ReportItem("font " + path + " as \"" + name + "\"", error);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

}  // namespace

void InstallFonts() {
  const std::string fontsFolder = LowerAscii(DropTrailingBackslash(FolderForCode(kFontsFolderCode)));
  const uint32_t count = SectionCount(kSectionFonts);
  for (uint32_t k = 0; k < count; ++k) {
    InstallFont(k, fontsFolder);
    StepProgress();
  }
}
