#include "mksetup/setup_reading.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "archive/archive_end.h"
#include "archive/block_reader.h"
#include "archive/header_check.h"
#include "archive/lzma_decompressor.h"
#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "mksetup/block_survey.h"
#include "mksetup/file_data_reading.h"
#include "mksetup/header_settings.h"
#include "mksetup/record_kinds.h"
#include "toolkit/file_stream.h"
#include "toolkit/memory_stream.h"
#include "toolkit/piecewise_copy.h"
#include "toolkit/read_item.h"

namespace {

// As setup.exe: an item of block 0 longer than this is damage.
constexpr int32_t kBlock0ItemLimit = 64 << 20;
constexpr int kSolidField = 34;
constexpr int kInstallCommandCountField = 40;

void Problem(TInspection& in, const std::string& text) { in.problems.push_back(text); }

std::string Number(uint64_t value) { return std::to_string(value); }

// Record k, field j of a section of this script; "" where the script ends early.
std::string RecordField(const TSetupScript& script, TSection section, uint32_t k, int j) {
  const auto& fields = script.sections[section].fields;
  const uint64_t index = uint64_t(k) * uint64_t(SectionLayout(section).fieldsPerRecord) + uint64_t(j) +
                         (section == kSectionMessages ? 1 : 0);
  return index < fields.size() ? fields[size_t(index)] : std::string();
}

// ---- Trailer and lists -------------------------------------------------------

// The first rule of the trailer that the values break; "" when they fit.
std::string TrailerFault(const TArchiveTrailer& t, uint64_t end) {
  char mark[8];
  std::snprintf(mark, sizeof mark, "0x%02X", t.endMark);
  if (t.endMark != kTrailerEndMark)
    return std::string("the end mark is ") + mark + ", not 0xF1: no setup archive ends here";
  if (t.itemCount == 0) return "the item count is 0";
  if (!TrailerFitsFile(t, end))
    return "its values do not fit the file (each below 2^31; block 0, the data area and the lists before the trailer)";
  return "";
}

bool InspectTrailer(TStream& file, TInspection& in) {
  if (!FindArchiveEnd(file, in.archiveEnd)) {
    Problem(in, "the security entry points at a certificate table that does not fit the file");
    return false;
  }
  uint8_t raw[kTrailerSize];
  const int64_t at = int64_t(in.archiveEnd) - kTrailerSize;
  if (at < 0 || file.Seek(at, TSeekOrigin::Start) != at || !file.ReadExact(raw, kTrailerSize)) {
    Problem(in, "the file is too short to hold an archive trailer");
    return false;
  }
  DecodeArchiveTrailer(raw, in.trailer);
  in.trailerRead = true;
  const std::string fault = TrailerFault(in.trailer, in.archiveEnd);
  if (!fault.empty()) Problem(in, "trailer at offset " + Number(uint64_t(at)) + ": " + fault);
  return fault.empty();
}

bool InspectLists(TStream& file, TInspection& in) {
  const TArchiveTrailer& t = in.trailer;
  const int64_t at = int64_t(t.dataOffset + t.dataSize);
  bool read = file.Seek(at, TSeekOrigin::Start) == at;
  in.storedSizes.resize(size_t(t.storedSizeCount));
  for (int64_t& size : in.storedSizes) {
    uint8_t raw[8];
    read = read && file.ReadExact(raw, 8);
    size = int64_t(LoadLE64(raw));
  }
  in.itemCodes.resize(t.itemCount);
  read = read && file.ReadExact(in.itemCodes.data(), int32_t(t.itemCount));
  if (!read) Problem(in, "the stored size and item code lists at offset " + Number(uint64_t(at)) + " cannot be read");
  return read;
}

// ---- Block 0 ---------------------------------------------------------------------

std::string ItemName(const TInspection& in, size_t item) {
  return item == 0 ? "item 0 (the script)"
                   : "item " + Number(item) + " (resource code " + Number(in.itemCodes[item]) + ")";
}

// As setup.exe, block 0 is copied whole (the trailer's length bounds it) and
// its items read from the copy. Returns the script item, empty when unread.
TMemoryStream InspectBlock0(TStream& file, TInspection& in) {
  const TArchiveTrailer& t = in.trailer;
  TMemoryStream block, script;
  if (file.Seek(int64_t(t.block0Offset), TSeekOrigin::Start) < 0 ||
      CopyPiecewise(block, file, int64_t(t.block0Length)) != int64_t(t.block0Length)) {
    Problem(in, "block 0 cannot be read");
    return script;
  }
  in.block0Read = true;
  in.block0.offset = t.block0Offset;
  const TLocator where = [&](int64_t p) { return "offset " + Number(t.block0Offset + uint64_t(p)) + " of the setup"; };
  const std::string damage = SurveyBlock(block, 0, in.block0, where);
  if (!damage.empty()) Problem(in, "block 0: " + damage);

  block.Seek(0, TSeekOrigin::Start);
  TCompressedBlockReader reader(block, &TLZMADecompressor::Create);
  in.scriptRead = ReadItem(script, reader, kBlock0ItemLimit);
  size_t unread = in.scriptRead ? in.itemCodes.size() : 0;
  for (size_t i = 1; i < in.itemCodes.size(); ++i) {
    in.resources.push_back({in.itemCodes[i], CountItem(reader, kBlock0ItemLimit)});
    if (in.resources.back().size < 0) unread = std::min(unread, i);
  }
  if (damage.empty() && unread < in.itemCodes.size())
    Problem(in, "block 0: " + ItemName(in, unread) +
                    " cannot be read whole: the content ends early, the item is longer than 64 MiB, or the LZMA "
                    "stream is broken");
  return script;
}

// ---- The setup script -----------------------------------------------------------

void CollectRecords(const TSetupScript& script, TInspection& in) {
  for (const TRecordKind& kind : RecordKinds()) {
    // Files and languages are shown on their own; uninstall commands below.
    if (kind.section == kSectionFiles || kind.section == kSectionLanguages || kind.block == "uninstall command")
      continue;
    const uint32_t count = script.sections[kind.section].count;
    const uint32_t installCommands =
        uint32_t(std::clamp<int64_t>(TextInt(in.header[kInstallCommandCountField]), 0, count));
    for (uint32_t k = 0; k < count; ++k) {
      TRecordInfo record{kind.block, kind.section, kind.fields, {}};
      if (kind.section == kSectionCommands && k >= installCommands) record.kind = "uninstall command";
      for (size_t j = 0; j < kind.fields.size(); ++j)
        record.values.push_back(RecordField(script, kind.section, k, int(j)));
      in.records.push_back(std::move(record));
    }
  }
}

void CollectLanguages(const TSetupScript& script, TInspection& in) {
  const auto& messages = script.sections[kSectionMessages].fields;
  for (uint32_t k = 0; k < script.sections[kSectionLanguages].count; ++k) {
    auto field = [&](int j) { return RecordField(script, kSectionLanguages, k, j); };
    TLanguageInfo language{field(0), field(1), field(2), field(3), {}};
    const size_t first = size_t(k) * kMessagesPerLanguage + 1;  // entry 0 stands before all
    for (size_t i = first; i < first + kMessagesPerLanguage && i < messages.size(); ++i)
      language.messages.push_back(messages[i]);
    in.languages.push_back(std::move(language));
  }
}

void CollectFiles(const TSetupScript& script, TInspection& in) {
  for (uint32_t k = 0; k < script.sections[kSectionFiles].count; ++k) {
    auto field = [&](int j) { return RecordField(script, kSectionFiles, k, j); };
    in.files.push_back({field(0), field(1), field(2), field(3), field(4), -1});
  }
}

void InspectScript(const TMemoryStream& item, TInspection& in) {
  TSetupScript script;
  if (!ParseScriptHeader(item, script) || !ParseScriptSections(item, script))
    Problem(in, "setup script: a record count asks for more fields than the script holds");
  in.header = script.header;
  in.header.resize(kHeaderFieldCount);
  const std::string check = HeaderCheckText(script.headerCheck);
  if (in.header[kHeaderCheckField] != check)
    Problem(in, "setup script: the header check value (field 35) is '" + in.header[kHeaderCheckField] +
                    "', but the script gives " + check);
  in.solid = TextFlag(in.header[kSolidField]);
  CollectRecords(script, in);
  CollectLanguages(script, in);
  CollectFiles(script, in);
}

}  // namespace

TInspection InspectSetup(const std::string& path) {
  TInspection in;
  in.path = path;
  std::error_code error;
  std::unique_ptr<TFileStream> file;
  if (std::filesystem::is_regular_file(path, error)) file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  const int64_t size = file ? file->Size() : -1;
  if (size < 0) {
    Problem(in, "cannot open '" + path + "'");
    return in;
  }
  in.readable = true;
  in.fileSize = uint64_t(size);
  in.signature = ReadSignatureInfo(*file);
  if (!InspectTrailer(*file, in) || !InspectLists(*file, in)) return in;
  const TMemoryStream script = InspectBlock0(*file, in);
  if (!in.scriptRead) return in;
  InspectScript(script, in);
  // Like setup.exe, nothing of the file data is read without a file record.
  if (in.files.empty()) return in;
  InspectFileData(in);
  return in;
}

int InspectionExitCode(const TInspection& in) {
  if (!in.readable) return 1;
  return in.problems.empty() ? 0 : 3;
}
