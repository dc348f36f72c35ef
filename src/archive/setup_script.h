// The setup script: item 0 of block 0, a plain run of NUL-terminated ANSI
// fields. 121 header fields come first, then 13 sections of fixed-size
// records whose counts are header fields:
//
//   section                count field   fields per record
//   registry variables     98            4
//   registry entries       50            7
//   uninstall registry     96            3
//   fonts                  31            2
//   shortcuts              54            8
//   files                  67            5
//   folders                93            2
//   commands               40 + 25       6   (install commands first)
//   INI entries            24            6
//   uninstaller records    45            2
//   components             20            2
//   language records       26            4
//   messages               26            87  (held behind an empty entry 0)
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/memory_stream.h"

constexpr int kHeaderFieldCount = 121;
constexpr int kMessagesPerLanguage = 87;

enum TSection {
  kSectionRegistryVariables,
  kSectionRegistry,
  kSectionUninstallRegistry,
  kSectionFonts,
  kSectionShortcuts,
  kSectionFiles,
  kSectionFolders,
  kSectionCommands,
  kSectionIni,
  kSectionUninstallerRecords,
  kSectionComponents,
  kSectionLanguages,
  kSectionMessages,
  kSectionCount
};

struct TSectionLayout {
  int countField;        // header field holding the record count
  int extraCountField;   // a second count added to it (commands), or -1
  int fieldsPerRecord;
};
const TSectionLayout& SectionLayout(TSection section);

struct TScriptSection {
  uint32_t count = 0;               // records the header announces
  std::vector<std::string> fields;  // only the fields the script really holds
};

struct TSetupScript {
  std::vector<std::string> header;  // only the header fields present
  TScriptSection sections[kSectionCount];
  uint64_t totalFields = 0;    // fields in the whole script item
  uint32_t headerCheck = 0;    // CRC-32 of the script without field 35's text
  size_t readPosition = 0;     // where the next section starts
};

// The process-wide script of this run.
TSetupScript& Script();

// Header fields, read at the moment of use; a field the script lacks is "".
const std::string& FieldText(int n);
int32_t FieldInt(int n);
bool FieldFlag(int n);
// Replaces a header field (the start-up driver's command-line switches).
void SetFieldText(int n, const std::string& text);

// Record k, field j of a section; "" when outside what the script holds.
const std::string& SectionField(TSection section, uint32_t k, int j);
uint32_t SectionCount(TSection section);

// Reads the 121 header fields and the registry variable records. False when
// a count asks for more fields than the whole script holds (a corrupted setup).
bool ParseScriptHeader(const TMemoryStream& item, TSetupScript& script = Script());
// Reads sections 2 to 13 from where ParseScriptHeader stopped, with the
// counts the header holds now. False on a count the script cannot hold.
bool ParseScriptSections(const TMemoryStream& item, TSetupScript& script = Script());
