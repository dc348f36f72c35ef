#include "mksetup/setup_report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "archive/archive_end.h"
#include "archive/block_reader.h"
#include "archive/crc32.h"
#include "archive/disk_files.h"
#include "archive/header_check.h"
#include "archive/lzma_decompressor.h"
#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/file_record.h"
#include "mksetup/header_settings.h"
#include "mksetup/publisher_layer.h"
#include "mksetup/record_kinds.h"
#include "toolkit/file_stream.h"
#include "toolkit/memory_stream.h"
#include "toolkit/piecewise_copy.h"
#include "toolkit/read_item.h"

namespace {

// As setup.exe: an item of block 0 longer than this is damage.
constexpr int32_t kBlock0ItemLimit = 64 << 20;
constexpr int32_t kPieceSize = 1 << 16;
constexpr int kSolidField = 34;
constexpr int kDiskNameField = 21;
constexpr int kInstallCommandCountField = 40;

void Problem(TInspection& in, const std::string& text) { in.problems.push_back(text); }

std::string Number(uint64_t value) { return std::to_string(value); }

// ---- Section names, as the description's blocks --------------------------------

// Record k, field j of a section of this script; "" where the script ends early.
std::string RecordField(const TSetupScript& script, TSection section, uint32_t k, int j) {
  const auto& fields = script.sections[section].fields;
  const uint64_t index = uint64_t(k) * uint64_t(SectionLayout(section).fieldsPerRecord) + uint64_t(j) +
                         (section == kSectionMessages ? 1 : 0);
  return index < fields.size() ? fields[size_t(index)] : std::string();
}

// ---- The file data area across disks -----------------------------------------

// The file data area as one stream: the setup's share, then each disk file
// whole. Positions are counted from the start of the area.
class TAreaStream final : public TStream {
public:
  void Add(int disk, std::string path, std::unique_ptr<TFileStream> file, int64_t start, int64_t length) {
    parts_.push_back({disk, std::move(path), std::move(file), start, length});
    size_ += length;
  }
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void*, int32_t) override { return -1; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  // The disk holding an area position and the offset in that disk's file.
  void Locate(int64_t position, int& disk, uint64_t& offset) const;
  std::string Where(int64_t position) const;
  const std::string& LastPath() const { return parts_.back().path; }

private:
  struct TPart {
    int disk;
    std::string path;
    std::unique_ptr<TFileStream> file;
    int64_t start, length;
  };
  std::vector<TPart> parts_;
  int64_t size_ = 0, position_ = 0;
};

int32_t TAreaStream::Read(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  int64_t partStart = 0;
  for (TPart& part : parts_) {
    const int64_t partEnd = partStart + part.length;
    if (done < count && position_ < partEnd) {
      const int64_t at = part.start + (position_ - partStart);
      const int32_t n = int32_t(std::min<int64_t>(count - done, partEnd - position_));
      if (!part.file || part.file->Seek(at, TSeekOrigin::Start) != at || !part.file->ReadExact(out + done, n))
        return done;
      done += n;
      position_ += n;
    }
    partStart = partEnd;
  }
  return done;
}

int64_t TAreaStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::Start ? 0 : origin == TSeekOrigin::Current ? position_ : size_;
  if (base + offset < 0) return -1;
  return position_ = base + offset;
}

void TAreaStream::Locate(int64_t position, int& disk, uint64_t& offset) const {
  for (const TPart& part : parts_) {
    disk = part.disk;
    offset = uint64_t(part.start + position);
    if (position < part.length) return;
    position -= part.length;
  }
}

std::string TAreaStream::Where(int64_t position) const {
  int disk = 1;
  uint64_t offset = 0;
  Locate(position, disk, offset);
  return "offset " + Number(offset) + (disk == 1 ? " of the setup" : " of disk " + std::to_string(disk));
}

// ---- Blocks --------------------------------------------------------------------

// Names a position of the stream a block is read from, for the messages.
using TLocator = std::function<std::string(int64_t position)>;

// Walks the chunks of a block whose header is sound, checking each CRC.
std::string CheckChunks(TStream& source, int64_t at, const TBlockInfo& block, const TLocator& where) {
  std::vector<uint8_t> chunk(4 + kChunkDataSize);
  uint32_t remaining = block.storedSize;
  const std::string of = " of " + Number(block.chunkCount);
  for (uint32_t i = 0; i < block.chunkCount; ++i) {
    const uint32_t n = std::min<uint32_t>(remaining - 4, kChunkDataSize);
    if (!source.ReadExact(chunk.data(), int32_t(4 + n)))
      return "chunk " + Number(i + 1) + of + " at " + where(at) + " is cut short";
    if (Crc32(chunk.data() + 4, n) != LoadLE32(chunk.data()))
      return "the CRC of chunk " + Number(i + 1) + of + " at " + where(at) + " does not match its data";
    at += 4 + n;
    remaining -= 4 + n;
  }
  // Fewer than 5 bytes after the last chunk are never read, but must be there.
  if (remaining > 0 && !source.ReadExact(chunk.data(), int32_t(remaining)))
    return "the block is cut short at " + where(at);
  return "";
}

// Reads the block header at `at` and checks every CRC without decompressing;
// returns what is wrong ("" when the block is sound).
std::string SurveyBlock(TStream& source, int64_t at, TBlockInfo& block, const TLocator& where) {
  uint8_t header[kBlockHeaderSize];
  if (source.Seek(at, TSeekOrigin::Start) != at || !source.ReadExact(header, kBlockHeaderSize))
    return "the block header at " + where(at) + " is cut short";
  if (Crc32(header + 4, 5) != LoadLE32(header))
    return "the CRC of the block header at " + where(at) + " does not match";
  block.headerSound = true;
  block.storedSize = LoadLE32(header + 4);
  block.compressed = header[8] != 0;
  // The reader takes a chunk while at least 5 stored bytes remain.
  block.chunkCount = block.storedSize / (4 + kChunkDataSize) + (block.storedSize % (4 + kChunkDataSize) >= 5);
  return CheckChunks(source, at + kBlockHeaderSize, block, where);
}

// Reads an item through to its end, counting its bytes rather than keeping
// them; -1 when it cannot be read whole.
int64_t CountItem(TByteSource& source, int32_t limit = INT32_MAX) {
  int32_t length = 0;
  if (!ReadItemLength(source, length) || length > limit) return -1;
  std::vector<uint8_t> piece(size_t(std::clamp(length, 0, kPieceSize)));
  for (int32_t left = std::max(length, 0); left > 0;) {
    const int32_t n = std::min(left, kPieceSize);
    if (!source.Read(piece.data(), n)) return -1;
    left -= n;
  }
  return std::max(length, 0);
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

// ---- The file data ----------------------------------------------------------------

std::string FileName(const TInspection& in, size_t i) {
  return "file " + Number(i + 1) + " (" + in.files[i].target + ")";
}

std::string DiskPath(const TInspection& in, int disk) {
  const std::filesystem::path folder = std::filesystem::path(in.path).parent_path();
  return (folder / DiskFileName(in.header[kDiskNameField], disk)).string();
}

// The setup's share of the area and, in per-file mode, the disk files beside
// it until `needed` bytes are there (or one is missing).
void OpenArea(TInspection& in, int64_t needed, TAreaStream& area) {
  area.Add(1, in.path, TFileStream::Open(in.path, TFileStream::Mode::OpenRead), int64_t(in.trailer.dataOffset),
           int64_t(in.trailer.dataSize));
  for (int disk = 2; !in.solid && area.Size() < needed; ++disk) {
    const std::string path = DiskPath(in, disk);
    if (path == area.LastPath()) {
      Problem(in, "disk " + std::to_string(disk) + " would be '" + path + "' again: field 21 lacks @$&%19");
      return;
    }
    std::unique_ptr<TFileStream> file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
    const int64_t size = file ? file->Size() : -1;
    if (size <= 0) {
      Problem(in, "disk " + std::to_string(disk) + " is " + (file ? "empty" : "missing") + ": " + path);
      return;
    }
    area.Add(disk, path, std::move(file), 0, size);
  }
}

// The items of the block at `at`, read through: their sizes, -1 from the
// first that cannot be read. Returns that item's index (count when all read).
size_t ReadItems(TStream& source, int64_t at, std::vector<int64_t*> sizes) {
  source.Seek(at, TSeekOrigin::Start);
  TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
  size_t unread = sizes.size();
  for (size_t i = 0; i < sizes.size(); ++i) {
    *sizes[i] = CountItem(reader);
    if (*sizes[i] < 0) unread = std::min(unread, i);
  }
  return unread;
}

const char kUnreadable[] = " cannot be read whole: the block's content ends early or its LZMA stream is broken";

void InspectSolidData(TInspection& in) {
  TAreaStream area;
  OpenArea(in, 0, area);
  TBlockInfo block;
  block.offset = in.trailer.dataOffset;
  const TLocator where = [&](int64_t p) { return area.Where(p); };
  std::string damage = SurveyBlock(area, 0, block, where);
  if (damage.empty() && kBlockHeaderSize + int64_t(block.storedSize) < area.Size())
    damage = Number(uint64_t(area.Size()) - kBlockHeaderSize - block.storedSize) + " byte(s) follow the block";
  in.fileBlocks.push_back(block);
  if (!damage.empty()) Problem(in, "solid file block: " + damage);

  std::vector<int64_t*> sizes;
  for (TFileInfo& file : in.files) sizes.push_back(&file.size);
  const size_t unread = ReadItems(area, 0, sizes);
  if (damage.empty() && unread < in.files.size())
    Problem(in, "solid file block: " + FileName(in, unread) + kUnreadable);
}

// One stored size per file record, each a block length below 2^31, as setup.exe demands.
bool StoredSizesFit(TInspection& in) {
  if (in.storedSizes.size() != in.files.size()) {
    Problem(in, "the stored size list has " + Number(in.storedSizes.size()) + " entries for " +
                    Number(in.files.size()) + " file records");
    return false;
  }
  for (size_t i = 0; i < in.storedSizes.size(); ++i)
    if (in.storedSizes[i] < kBlockHeaderSize || in.storedSizes[i] >= int64_t(kArchiveValueLimit)) {
      Problem(in, "stored size " + Number(i + 1) + " is " + std::to_string(in.storedSizes[i]) + ": no block length");
      return false;
    }
  return true;
}

void InspectPerFileBlock(TInspection& in, TAreaStream& area, int64_t at, size_t i) {
  TBlockInfo block;
  area.Locate(at, block.disk, block.offset);
  const TLocator where = [&](int64_t p) { return area.Where(p); };
  std::string damage = SurveyBlock(area, at, block, where);
  if (damage.empty() && kBlockHeaderSize + int64_t(block.storedSize) != in.storedSizes[i])
    damage = "its header gives " + Number(kBlockHeaderSize + uint64_t(block.storedSize)) +
             " bytes, the stored size list " + std::to_string(in.storedSizes[i]);
  in.fileBlocks.push_back(block);
  if (!damage.empty()) Problem(in, "file block " + Number(i + 1) + ": " + damage);
  if (ReadItems(area, at, {&in.files[i].size}) == 0 && damage.empty())
    Problem(in, "file block " + Number(i + 1) + ": " + FileName(in, i) + kUnreadable);
}

void InspectPerFileData(TInspection& in) {
  if (!StoredSizesFit(in)) return;
  int64_t needed = 0;
  for (int64_t size : in.storedSizes) needed += size;
  TAreaStream area;
  OpenArea(in, needed, area);
  int64_t at = 0;
  for (size_t i = 0; i < in.files.size(); at += in.storedSizes[i++]) {
    if (at >= area.Size()) {
      const std::string blocks = i + 1 == in.files.size()
                                     ? "file block " + Number(i + 1)
                                     : "file blocks " + Number(i + 1) + " to " + Number(in.files.size());
      Problem(in, blocks + ": not found, the data found end at " + area.Where(area.Size()));
      return;
    }
    InspectPerFileBlock(in, area, at, i);
  }
  if (area.Size() > needed)
    Problem(in, Number(uint64_t(area.Size() - needed)) + " byte(s) follow the last file block, in " + area.LastPath());
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
  if (in.solid)
    InspectSolidData(in);
  else
    InspectPerFileData(in);
  return in;
}

int InspectionExitCode(const TInspection& in) {
  if (!in.readable) return 1;
  return in.problems.empty() ? 0 : 3;
}

std::string UtcTimeText(const std::string& fileTime) {
  const uint64_t ticks = FileTimeFromText(fileTime);
  if (ticks >> 63) return "";  // Windows gives such a time no calendar form
  const int64_t seconds = int64_t(ticks / 10000000);
  // Days since 1970-03-01 shifted to 0000-03-01, taken apart into eras of
  // 400 years (146,097 days) with March the first month.
  const int64_t z = seconds / 86400 - 134774 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2);
  const int64_t time = seconds % 86400;
  char text[128];  // room for any int64 values, which the compiler cannot rule out
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", (long long)year, (long long)month,
                (long long)day, (long long)(time / 3600), (long long)(time / 60 % 60), (long long)(time % 60));
  return text;
}

// ---- The report for people -------------------------------------------------------

namespace {

// Script texts as they stand, with line breaks and other control bytes made
// visible so that one value stays on one line.
std::string Shown(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  return out;
}

// A field in running text, where an empty one would leave a gap.
std::string Value(const std::string& text) { return text.empty() ? "(empty)" : Shown(text); }

// A value as stored, with its named form after it when it has one.
std::string WithNamed(const std::string& text, const std::optional<std::string>& named) {
  return named ? Shown(text) + " (" + Shown(*named) + ")" : Shown(text);
}

std::string SignatureLine(const TSignatureInfo& s) {
  if (!s.isSigned) return "no";
  std::string line = "yes";
  if (!s.signerKnown) return line + " (signer unreadable)";
  line += ", by " + (s.commonName.empty() ? std::string("(no common name)") : s.commonName);
  if (!s.organisation.empty()) line += " (" + s.organisation + ")";
  return line;
}

std::string FileSection(const TInspection& in) {
  std::string out = "setup: " + in.path + "\n  size: " + Number(in.fileSize) +
                    " bytes\n  signed: " + SignatureLine(in.signature) + "\n";
  if (in.signature.isSigned)
    out += "  certificate table: offset " + Number(in.signature.tableOffset) + ", " + Number(in.signature.tableLength) +
           " bytes\n";
  return out + "  archive ends at: " + Number(in.archiveEnd) + "\n";
}

std::string TrailerSection(const TArchiveTrailer& t) {
  char mark[8];
  std::snprintf(mark, sizeof mark, "0x%02X", t.endMark);
  return "trailer:\n  item count: " + Number(t.itemCount) + "\n  stored size count: " + Number(t.storedSizeCount) +
         "\n  block-0 offset: " + Number(t.block0Offset) + "\n  block-0 length: " + Number(t.block0Length) +
         "\n  data offset: " + Number(t.dataOffset) + "\n  data size: " + Number(t.dataSize) + "\n  end mark: " + mark +
         "\n";
}

std::string BlockLine(const std::string& name, const TBlockInfo& b) {
  std::string line =
      "  " + name + ": " + (b.disk == 1 ? "" : "disk " + std::to_string(b.disk) + ", ") + "offset " + Number(b.offset);
  if (!b.headerSound) return line + ", header damaged\n";
  return line + ", " + Number(b.storedSize) + " stored bytes, " + (b.compressed ? "lzma" : "stored") + ", " +
         Number(b.chunkCount) + (b.chunkCount == 1 ? " chunk\n" : " chunks\n");
}

std::string BlocksSection(const TInspection& in) {
  std::string out = "blocks:\n" + BlockLine("block 0", in.block0);
  if (in.solid && !in.fileBlocks.empty()) out += BlockLine("file data (solid)", in.fileBlocks[0]);
  if (!in.solid)
    for (size_t i = 0; i < in.fileBlocks.size(); ++i) out += BlockLine("file " + Number(i + 1), in.fileBlocks[i]);
  return out;
}

std::string HeaderSection(const TInspection& in) {
  std::string out = "header fields (those not empty):\n";
  char number[8];
  for (int n = 0; n < kHeaderFieldCount; ++n) {
    if (in.header[size_t(n)].empty()) continue;
    std::snprintf(number, sizeof number, "%5d ", n);
    const THeaderSetting& setting = HeaderSettingOf(n);
    out += number + std::string(setting.name) + " = " +
           WithNamed(in.header[size_t(n)], NamedSettingValue(setting, in.header[size_t(n)])) + "\n";
  }
  return out;
}

std::string RecordsSection(const TInspection& in) {
  std::string out = in.records.empty() ? "records: none\n" : "records:\n";
  for (const TRecordInfo& record : in.records) {
    out += "  [" + record.kind + "]\n";
    for (size_t j = 0; j < record.values.size(); ++j)
      out += "    " + record.fieldNames[j] + " = " +
             WithNamed(record.values[j], NamedRecordField(record.section, j, record.values[j])) + "\n";
  }
  return out;
}

std::string LanguagesSection(const TInspection& in) {
  std::string out = in.languages.empty() ? "languages: none\n" : "languages:\n";
  for (size_t k = 0; k < in.languages.size(); ++k) {
    const TLanguageInfo& l = in.languages[k];
    out += "  " + Number(k + 1) + ". " + Value(l.name) + ", id " + Value(l.id) + ", licence " +
           (l.licence.empty() ? "(empty: 15)" : Shown(l.licence)) + ", information " +
           (l.information.empty() ? "(empty: 16)" : Shown(l.information)) + ": " + Number(l.messages.size()) +
           " messages\n";
    if (!l.messages.empty()) out += "     message 1: " + Shown(l.messages[0]) + "\n";
  }
  return out;
}

std::string ResourceRole(uint8_t code) {
  switch (code) {
    case 4:
      return "header picture";
    case 5:
      return "side picture";
    case 7:
      return "Destination page picture";
    case 8:
      return "Shortcuts page picture";
    case 6:
      return "$inst\\6.tmp, background picture";
    case 15:
      return "$inst\\15.tmp, licence text";
    case 16:
      return "$inst\\16.tmp, information text";
    default:
      return "$inst\\" + Number(code) + ".tmp";
  }
}

std::string SizeText(int64_t size) { return size < 0 ? "unreadable" : std::to_string(size) + " bytes"; }

std::string ResourcesSection(const TInspection& in) {
  std::string out = in.resources.empty() ? "resources: none\n" : "resources:\n";
  for (size_t i = 0; i < in.resources.size(); ++i)
    out += "  item " + Number(i + 1) + ": code " + Number(in.resources[i].code) + " (" +
           ResourceRole(in.resources[i].code) + "), " + SizeText(in.resources[i].size) + "\n";
  return out;
}

// A field of a file record in running text, with its named form.
std::string FileField(size_t field, const std::string& value) {
  const std::optional<std::string> named = NamedRecordField(kSectionFiles, field, value);
  return named ? Value(value) + " (" + Shown(*named) + ")" : Value(value);
}

std::string FilesSection(const TInspection& in) {
  int64_t total = 0;
  for (const TFileInfo& f : in.files) total += std::max<int64_t>(f.size, 0);
  std::string out = "files: " + Number(in.files.size()) + ", " + std::to_string(total) + " bytes\n";
  for (const TFileInfo& f : in.files) {
    const std::string utc = UtcTimeText(f.time);
    out += "  " + FileField(0, f.target) + ": " + SizeText(f.size) + ", time " +
           (utc.empty() ? Value(f.time) + " (no calendar time)" : utc + " UTC") + ", existing " +
           FileField(1, f.existing) + ", uninstall " + FileField(3, f.uninstall) + ", attributes " +
           FileField(4, f.attributes) + "\n";
  }
  return out;
}

}  // namespace

std::string InspectionText(const TInspection& in) {
  std::string out;
  if (in.readable) out += FileSection(in);
  if (in.trailerRead) out += TrailerSection(in.trailer);
  if (in.block0Read) out += BlocksSection(in);
  if (in.scriptRead) out += HeaderSection(in) + RecordsSection(in) + LanguagesSection(in);
  if (in.block0Read) out += ResourcesSection(in);
  if (in.scriptRead) out += FilesSection(in);
  const size_t n = in.problems.size();
  if (!in.readable) return out + "result: the file cannot be read\n";
  return out + "result: " + (n == 0 ? "sound" : "damaged, " + Number(n) + (n == 1 ? " problem" : " problems")) + "\n";
}

// ---- The JSON document -------------------------------------------------------------

namespace {

// A JSON string. ANSI texts have every byte above 0x7F written as \u00XX of
// its value; UTF-8 texts (the signer's names, valid by construction) pass.
std::string JsonText(const std::string& text, bool ansi = true) {
  std::string out = "\"";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F || (ansi && c > 0x7F)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", c);
      out += escape;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string JsonNamed(const std::optional<std::string>& named) { return named ? JsonText(*named) : "null"; }
std::string JsonBool(bool value) { return value ? "true" : "false"; }
std::string JsonNumber(int64_t value) { return std::to_string(value); }

using TMembers = std::vector<std::pair<std::string, std::string>>;  // names and JSON values

// Members and elements one to a line, nested values indented with them.
std::string JsonJoin(const std::vector<std::string>& items, const char* open, const char* close) {
  if (items.empty()) return std::string(open) + close;
  std::string out = open;
  for (size_t i = 0; i < items.size(); ++i) {
    out += (i ? ",\n  " : "\n  ");
    for (const char c : items[i]) out += c == '\n' ? std::string("\n  ") : std::string(1, c);
  }
  return out + "\n" + close;
}

std::string JsonObject(const TMembers& members) {
  std::vector<std::string> items;
  for (const auto& member : members) items.push_back(JsonText(member.first) + ": " + member.second);
  return JsonJoin(items, "{", "}");
}

std::string JsonArray(const std::vector<std::string>& values) { return JsonJoin(values, "[", "]"); }

// A small object on one line.
std::string JsonLine(const TMembers& members) {
  std::string out = "{";
  for (size_t i = 0; i < members.size(); ++i)
    out += (i ? ", " : "") + JsonText(members[i].first) + ": " + members[i].second;
  return out + "}";
}

std::string JsonSignature(const TSignatureInfo& s) {
  TMembers members = {{"signed", JsonBool(s.isSigned)}};
  if (!s.isSigned) return JsonLine(members);
  members.push_back({"tableOffset", JsonNumber(s.tableOffset)});
  members.push_back({"tableLength", JsonNumber(s.tableLength)});
  members.push_back({"signerReadable", JsonBool(s.signerKnown)});
  if (s.signerKnown) {
    members.push_back({"commonName", JsonText(s.commonName, false)});
    members.push_back({"organisation", JsonText(s.organisation, false)});
  }
  return JsonLine(members);
}

std::string JsonTrailer(const TInspection& in) {
  if (!in.trailerRead) return "null";
  const TArchiveTrailer& t = in.trailer;
  return JsonObject({{"itemCount", JsonNumber(t.itemCount)},
                     {"storedSizeCount", JsonNumber(int64_t(t.storedSizeCount))},
                     {"block0Offset", JsonNumber(int64_t(t.block0Offset))},
                     {"block0Length", JsonNumber(int64_t(t.block0Length))},
                     {"dataOffset", JsonNumber(int64_t(t.dataOffset))},
                     {"dataSize", JsonNumber(int64_t(t.dataSize))},
                     {"endMark", JsonNumber(t.endMark)}});
}

std::string JsonBlock(const TBlockInfo& b) {
  TMembers members = {{"disk", JsonNumber(b.disk)},
                      {"offset", JsonNumber(int64_t(b.offset))},
                      {"headerSound", JsonBool(b.headerSound)}};
  if (b.headerSound) {
    members.push_back({"storedSize", JsonNumber(b.storedSize)});
    members.push_back({"compressed", JsonBool(b.compressed)});
    members.push_back({"chunks", JsonNumber(b.chunkCount)});
  }
  return JsonLine(members);
}

std::string JsonBlocks(const TInspection& in) {
  if (!in.block0Read) return "null";
  std::vector<std::string> fileBlocks;
  for (const TBlockInfo& block : in.fileBlocks) fileBlocks.push_back(JsonBlock(block));
  return JsonObject({{"block0", JsonBlock(in.block0)},
                     {"mode", JsonText(in.solid ? "solid" : "per-file")},
                     {"fileBlocks", JsonArray(fileBlocks)}});
}

std::string JsonHeader(const TInspection& in) {
  std::vector<std::string> fields;
  for (int n = 0; n < int(in.header.size()); ++n)
    fields.push_back(JsonLine({{"field", JsonNumber(n)},
                               {"name", JsonText(HeaderSettingOf(n).name)},
                               {"value", JsonText(in.header[size_t(n)])},
                               {"named", JsonNamed(NamedSettingValue(HeaderSettingOf(n), in.header[size_t(n)]))}}));
  return JsonArray(fields);
}

std::string JsonRecords(const TInspection& in) {
  std::vector<std::string> records;
  for (const TRecordInfo& record : in.records) {
    TMembers fields, named;
    for (size_t j = 0; j < record.values.size(); ++j) {
      fields.push_back({record.fieldNames[j], JsonText(record.values[j])});
      if (auto form = NamedRecordField(record.section, j, record.values[j]))
        named.push_back({record.fieldNames[j], JsonText(*form)});
    }
    records.push_back(
        JsonLine({{"kind", JsonText(record.kind)}, {"fields", JsonLine(fields)}, {"named", JsonLine(named)}}));
  }
  return JsonArray(records);
}

std::string JsonLanguages(const TInspection& in) {
  std::vector<std::string> languages;
  for (const TLanguageInfo& l : in.languages) {
    std::vector<std::string> messages;
    for (const std::string& message : l.messages) messages.push_back(JsonText(message));
    languages.push_back(JsonObject({{"name", JsonText(l.name)},
                                    {"id", JsonText(l.id)},
                                    {"licence", JsonText(l.licence)},
                                    {"information", JsonText(l.information)},
                                    {"messageCount", JsonNumber(int64_t(l.messages.size()))},
                                    {"messages", JsonArray(messages)}}));
  }
  return JsonArray(languages);
}

std::string JsonSize(int64_t size) { return size < 0 ? "null" : JsonNumber(size); }

std::string JsonResources(const TInspection& in) {
  std::vector<std::string> resources;
  for (size_t i = 0; i < in.resources.size(); ++i)
    resources.push_back(JsonLine({{"item", JsonNumber(int64_t(i + 1))},
                                  {"code", JsonNumber(in.resources[i].code)},
                                  {"size", JsonSize(in.resources[i].size)}}));
  return JsonArray(resources);
}

std::string JsonFiles(const TInspection& in) {
  std::vector<std::string> files;
  for (const TFileInfo& f : in.files) {
    const std::string utc = UtcTimeText(f.time);
    TMembers named;
    for (const auto& [field, name, value] : {std::tuple<size_t, const char*, const std::string&>{0, "target", f.target},
                                              {1, "existing", f.existing},
                                              {3, "uninstall", f.uninstall},
                                              {4, "attributes", f.attributes}})
      if (auto form = NamedRecordField(kSectionFiles, field, value)) named.push_back({name, JsonText(*form)});
    files.push_back(JsonLine({{"target", JsonText(f.target)},
                              {"existing", JsonText(f.existing)},
                              {"time", JsonText(f.time)},
                              {"utc", utc.empty() ? "null" : JsonText(utc)},
                              {"uninstall", JsonText(f.uninstall)},
                              {"attributes", JsonText(f.attributes)},
                              {"size", JsonSize(f.size)},
                              {"named", JsonLine(named)}}));
  }
  return JsonArray(files);
}

}  // namespace

std::string InspectionJson(const TInspection& in) {
  std::vector<std::string> problems;
  for (const std::string& problem : in.problems) problems.push_back(JsonText(problem));
  TMembers file = {{"path", JsonText(in.path)}, {"readable", JsonBool(in.readable)}};
  if (in.readable) {
    file.push_back({"size", JsonNumber(int64_t(in.fileSize))});
    file.push_back({"signature", JsonSignature(in.signature)});
    file.push_back({"archiveEnd", JsonNumber(int64_t(in.archiveEnd))});
  }
  return JsonObject({{"file", JsonObject(file)},
                     {"trailer", JsonTrailer(in)},
                     {"blocks", JsonBlocks(in)},
                     {"header", in.scriptRead ? JsonHeader(in) : "null"},
                     {"records", JsonRecords(in)},
                     {"languages", JsonLanguages(in)},
                     {"resources", JsonResources(in)},
                     {"files", JsonFiles(in)},
                     {"sound", JsonBool(InspectionExitCode(in) == 0)},
                     {"problems", JsonArray(problems)}}) +
         "\n";
}
