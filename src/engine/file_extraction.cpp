#include "engine/file_extraction.h"

#include <windows.h>

#include <map>
#include <set>
#include <thread>
#include <vector>

#include "archive/block_reader.h"
#include "archive/item_read_ahead.h"
#include "archive/lzma_decompressor.h"
#include "archive/script_text.h"
#include "archive/setup_archive.h"
#include "archive/setup_script.h"
#include "engine/block_pool.h"
#include "engine/disk_source.h"
#include "engine/file_data_check.h"
#include "engine/file_record.h"
#include "engine/file_writer.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "engine/progress.h"
#include "engine/stop_request.h"
#include "engine/uninstall_list.h"
#include "lang/folders.h"
#include "lang/messages.h"
#include "startup/corrupted_setup.h"
#include "startup/command_line.h"
#include "startup/exit_codes.h"
#include "startup/setup_end.h"
#include "startup/temp_folder.h"
#include "toolkit/buffered_reader.h"
#include "toolkit/folders.h"
#include "toolkit/file_stream.h"
#include "toolkit/memory_stream.h"
#include "toolkit/message_pump.h"
#include "toolkit/path_parts.h"
#include "toolkit/run_log.h"
#include "toolkit/win32_handle.h"

namespace {

using TBuffer = std::vector<uint8_t>;

struct TFileRecord {
  std::string path;
  int32_t rule = kKeepExisting;
  uint64_t time = 0;
  bool listed = false;
  int32_t attributes = 0;
};

TFileRecord ReadFileRecord(uint32_t k) {
  TFileRecord record;
  record.path = ExpandPathConstants(SectionField(kSectionFiles, k, 0));
  record.rule = TextInt(SectionField(kSectionFiles, k, 1));
  record.time = FileTimeFromText(SectionField(kSectionFiles, k, 2));
  record.listed = TextInt(SectionField(kSectionFiles, k, 3)) == 1;
  record.attributes = TextInt(SectionField(kSectionFiles, k, 4));
  return record;
}

bool CalendarOf(const FILETIME& fileTime, TCalendarTime& calendar) {
  SYSTEMTIME s;
  if (!FileTimeToSystemTime(&fileTime, &s)) return false;
  calendar = {s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds};
  return true;
}

bool CalendarOf(uint64_t value, TCalendarTime& calendar) {
  FILETIME fileTime;
  fileTime.dwLowDateTime = DWORD(value);
  fileTime.dwHighDateTime = DWORD(value >> 32);
  return CalendarOf(fileTime, calendar);
}

// A folder at the path counts as no file. The time is read only for rule 2,
// from the file opened for reading without sharing.
TExistingTarget ExamineTarget(const std::string& path, bool readTime) {
  TExistingTarget target;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  target.exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!target.exists || !readTime) return target;
  TWin32Handle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  FILETIME written;
  target.timeKnown = file && GetFileTime(file.Get(), nullptr, nullptr, &written) && CalendarOf(written, target.time);
  return target;
}

bool ShouldWrite(const TFileRecord& record) {
  const TExistingTarget target = ExamineTarget(record.path, record.rule == kOverwriteWhenNewer);
  TCalendarTime archived;
  const bool archivedValid = CalendarOf(record.time, archived);
  return ShouldWriteFile(record.rule, target, archivedValid, archived);
}

// Decided when the record's turn comes: where nothing is, the new file is
// made at once (`made`); a file that is there is judged by the record's rule.
// A file is never kept where none was, so its folders are made first (once
// for a run of files in the same folder: lastFolder is the folder of the
// record before, in the same extraction).
bool TakeTurn(const TFileRecord& record, TNewFile& made, std::string& lastFolder) {
  const std::string folder = FolderPart(record.path);
  if (folder.empty() || folder != lastFolder) MakeFoldersFor(record.path);
  lastFolder = folder;
  made = TNewFile(record.path);
  return made || ShouldWrite(record);
}

// A file that cannot be replaced because a running program holds it: the
// person may close that program and retry, have it replaced when Windows
// next starts, or stop and undo the installation. Unattended, it is replaced
// at the next start. The script's messages have no wording for it: the
// program's own English.
TInUseAnswer AskAboutFileInUse(const std::string& path, DWORD error) {
  if (RunFlags().quiet) return TInUseAnswer::Ignore;
  const std::string text = "The file\r\n\r\n" + path +
                           "\r\n\r\ncannot be replaced: a program is using it (Windows error " + std::to_string(error) +
                           ").\r\n\r\nClose that program and click Retry, click Ignore to have it replaced when "
                           "Windows next starts, or Abort to stop the installation and undo it.";
  switch (MessageBoxA(ProgressDialogOwner(), text.c_str(), "File in use", MB_ABORTRETRYIGNORE | MB_ICONWARNING)) {
    case IDRETRY: return TInUseAnswer::Retry;
    case IDABORT: return TInUseAnswer::Cancel;
    default: return TInUseAnswer::Ignore;
  }
}

void BeginWriting(const TFileRecord& record) {
  SetStatusText(MessageText(35) + FileNamePart(record.path));
  PumpWindowMessagesNowAndThen();
}

// Writes the record's file from the next item of source; false when the item
// is damaged (the partly written file is already gone). An existing file
// that could not be replaced (held open, or read-only from an earlier run)
// still gets the record's attributes and its place in the list: it is the
// product's file. One that did not fit gets neither. Both are failures.
bool WriteRecord(const TFileRecord& record, TByteSource& source, TBuffer& buffer, TNewFile& made) {
  const TWriteOutcome outcome =
      WriteItemToFile(record.path, source, record.time, DWORD(record.attributes), buffer, JournalOpen(),
                      [&record](DWORD error) { return AskAboutFileInUse(record.path, error); }, &made);
  if (outcome.result == TWriteResult::Damaged) return false;
  if (outcome.cancelled) {
    LogLine("installation stopped at a file in use: " + record.path);
    RequestStop();  // honoured at the record boundary, where the installation is undone
  }
  if (outcome.created) JournalCreatedFile(record.path);
  if (!outcome.keptAside.empty()) JournalReplacedFile(record.path, outcome.keptAside);
  if (outcome.result == TWriteResult::AtRestart) {
    // Undone, the waiting file goes, and Windows finds nothing to move.
    JournalCreatedFile(outcome.waiting);
    LogRestartPending("file " + record.path + " is in use: " + outcome.waiting +
                      " replaces it when Windows next starts");
    // Uninstalled before the restart, the waiting file goes too.
    if (record.listed) UninstallFileList().insert(UninstallFileList().end(), {record.path, outcome.waiting});
    return true;
  }
  const bool written = outcome.result == TWriteResult::Written;
  ReportItem("file " + record.path + (written ? " (" + std::to_string(outcome.size) + " bytes)" : std::string()),
             written ? DWORD(ERROR_SUCCESS) : outcome.error);
  if (outcome.result == TWriteResult::WriteFailed) return true;
  if (!written && !ExamineTarget(record.path, false).exists) return true;
  if (!written) SetFileAttributesA(record.path.c_str(), DWORD(record.attributes));
  if (record.listed) UninstallFileList().push_back(record.path);
  return true;
}

// Solid mode: one block whose items are the files in record order, decoded
// on a thread of its own ahead of the writing. A kept file's item is read
// past and does not advance the bar.
bool ExtractSolid(TByteSource& reader, TBuffer& buffer) {
  std::string lastFolder;
  for (uint32_t k = 0; k < SectionCount(kSectionFiles); ++k) {
    const TFileRecord record = ReadFileRecord(k);
    TNewFile made;
    if (TakeTurn(record, made, lastFolder)) {
      BeginWriting(record);
      if (!WriteRecord(record, reader, buffer, made)) return false;
      StepProgress();
    } else if (!DiscardItem(reader, buffer)) {
      return false;
    }
    HonourStopRequest();
  }
  return true;
}

// Decodes one file's block from where it stands and writes the file.
bool WriteFromBlock(const TFileRecord& record, TStream& blockData, TBuffer& buffer, TNewFile& made) {
  TBufferedReader data(blockData);
  TCompressedBlockReader block(data, &TLZMADecompressor::Create);
  TItemReadAhead reader(block, 1, PumpWindowMessages);
  return WriteRecord(record, reader, buffer, made);
}

// Per-file mode, one written file whose block on a disk file (or spread
// over two) was left to its turn: the block is gathered into the staging
// file (created exclusively, shared with nobody) and decompressed from there
// through the same handle; the staging file is gone when this returns.
TSourceResult WritePerFileRecord(const TFileRecord& record, uint32_t storedSize, TDiskSource& source,
                                 TBuffer& buffer, TNewFile& made) {
  BeginWriting(record);
  const std::string folder = TemporaryFolder();
  const std::string stagingPath = folder.empty() ? std::string() : folder + "compfile.tmp";
  DeleteFileA(stagingPath.c_str());
  auto staging = TFileStream::Open(stagingPath, TFileStream::Mode::CreateNew);
  const DWORD stagingError = staging ? DWORD(ERROR_HANDLE_DISK_FULL) : GetLastError();
  TSourceResult result;
  bool gathered = false;
  if (staging) result = source.Copy(storedSize, *staging, gathered);
  else result = source.Skip(storedSize);  // nowhere to gather it: the file is not written
  if (result == TSourceResult::Ok && !gathered)
    ReportItem("file " + record.path + " (its staging file " + stagingPath + " could not be written)",
               stagingError);
  if (result == TSourceResult::Ok && gathered) {
    staging->Seek(0, TSeekOrigin::Start);
    if (!WriteFromBlock(record, *staging, buffer, made)) result = TSourceResult::Damaged;
  }
  staging.reset();
  DeleteFileA(stagingPath.c_str());
  return result;
}

bool AskForDisk(int disk) {
  LogLine("disk file " + std::to_string(disk) + " is missing");
  if (RunFlags().quiet) return false;  // nobody to insert it
  const std::string& caption = FieldText(65);
  const std::string prompt = MessageText(47) + std::to_string(disk);
  if (MessageBoxA(ProgressDialogOwner(), prompt.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONWARNING) == IDOK) return true;
  MessageBoxA(ProgressDialogOwner(), MessageText(59).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
  return false;
}

// The pool's decoders and the decoded files held ahead of the writing, at
// most: with the rest of the setup (its libraries, buffers and, for a file
// too large to hold, the writing's own decoder) the installation stays
// within 64 MiB above an empty program.
constexpr uint64_t kPoolBudget = uint64_t(54) << 20;
// Blocks on disk files are gathered by the writing for the pool, ahead of
// itself by this many bytes at most, and only those up to kGatherLargest:
// a larger one is read at its turn, through the staging file.
constexpr uint64_t kGatherAhead = uint64_t(8) << 20;
constexpr uint32_t kGatherLargest = uint32_t(4) << 20;

// Whether the record's file will be written, as far as the plan can tell.
// No file can stand in a folder that is not there: each folder is looked at
// once, and only a file in a folder that is there is looked at itself (under
// Wine a name that is not found costs a read of its folder).
class TPlannedWrites {
public:
  bool Wanted(const TFileRecord& record) {
    if (record.rule == kOverwriteExisting) return true;
    const std::string folder = FolderPart(record.path);
    if (!folder.empty() && !FolderThere(folder)) return true;
    return ShouldWrite(record);
  }

private:
  bool FolderThere(const std::string& folder) {
    const auto [known, added] = folderThere_.emplace(UpperAscii(folder), false);
    if (added) known->second = IsFolder(folder);
    return known->second;
  }

  std::map<std::string, bool> folderThere_;
};

// The blocks of the files to write, each wanted at most once a path is
// known: a path that comes again is decoded in any case and decided on when
// its turn comes, as the files before it may have changed it. A block past
// the setup executable's share of the data is gathered from the disk files;
// a kept file's block there, or a large one, is left to its turn.
std::vector<TPooledBlock> PlanBlocks(const TSetupArchive& archive, const std::vector<TFileRecord>& records) {
  std::vector<TPooledBlock> blocks(records.size());
  std::set<std::string> seen, repeated;
  for (const TFileRecord& record : records)
    if (!seen.insert(UpperAscii(record.path)).second) repeated.insert(UpperAscii(record.path));
  TPlannedWrites writes;
  const int64_t dataOffset = int64_t(uint32_t(archive.trailer.dataOffset));
  int64_t offset = dataOffset;
  for (size_t k = 0; k < records.size(); ++k) {
    const uint32_t stored = uint32_t(archive.storedSizes[k]);
    TPooledBlock& block = blocks[k];
    block = {offset, repeated.count(UpperAscii(records[k].path)) > 0 || writes.Wanted(records[k]), stored};
    offset += stored;
    block.gathered = uint64_t(offset - dataOffset) > uint64_t(archive.trailer.dataSize);
    if (block.gathered && stored > kGatherLargest) block.wanted = false;
  }
  return blocks;
}

// The dictionary the workers' decoders need: a compressed wanted block in
// the setup executable says it; with none there but blocks to gather, the
// largest a setup may use; none for stored blocks only.
uint32_t PoolDictionary(const std::vector<TPooledBlock>& blocks, TFileStream& setupFile) {
  bool gathering = false;
  for (const TPooledBlock& block : blocks) {
    if (!block.wanted) continue;
    if (block.gathered) gathering = true;
    else if (const uint32_t dictionary = BlockDictionarySize(setupFile, block.offset)) return dictionary;
  }
  return gathering ? kMaxDictionarySize : 0;
}

// Moves the disk source over the blocks before the writing's turn k and
// ahead of it: those in the setup executable are the workers' to read;
// those on disk files are read into memory for the pool. Ahead of the
// writing it stops at a block left to its turn, at kGatherAhead bytes, and
// at the end of the disk being read: the next disk's prompt comes when the
// writing reaches it, as when every block was read at its turn.
struct TGathering {
  TDiskSource& source;
  TBlockPool& pool;
  const std::vector<TPooledBlock>& blocks;
  size_t next = 0;     // the block the source stands at
  uint64_t ahead = 0;  // gathered bytes the writing has not taken yet

  TSourceResult UpTo(size_t k) {
    for (; next < blocks.size(); ++next) {
      const TPooledBlock& block = blocks[next];
      if (!block.gathered) {
        if (const TSourceResult result = source.Skip(block.storedSize); result != TSourceResult::Ok) return result;
        continue;
      }
      if (!block.wanted) break;
      if (next > k && (ahead + block.storedSize > kGatherAhead || !source.OnThisDisk(block.storedSize))) break;
      TMemoryStream bytes;
      bool written = false;
      if (const TSourceResult result = source.Copy(block.storedSize, bytes, written); result != TSourceResult::Ok)
        return result;
      if (!written) return TSourceResult::Damaged;
      pool.Supply(next, std::move(bytes.Bytes()));
      ahead += block.storedSize;
    }
    return TSourceResult::Ok;
  }
};

// A file whose block the pool did not decode, or whose item was too large
// to hold, decoded as it is written: a gathered block from its bytes
// (`item`), one in the setup executable from there.
bool WriteUnpooled(const TFileRecord& record, const TPooledBlock& block, std::vector<uint8_t>& item,
                   TFileStream& setupFile, TBuffer& buffer, TNewFile& made) {
  if (!block.gathered)
    return setupFile.Seek(block.offset, TSeekOrigin::Start) == block.offset &&
           WriteFromBlock(record, setupFile, buffer, made);
  TMemoryStream data(std::move(item));
  return WriteFromBlock(record, data, buffer, made);
}

// Per-file mode: a pool of workers decodes the blocks of the files to write
// ahead of the writing, which takes them in record order. A block in the
// setup executable is read by the workers straight from it (its data were
// checked before the first change); one on a disk file is gathered by the
// writing through the disk source, in the order of the disk prompts. A
// file too large to be held is decoded as it is written, as is one whose
// fate changed since the plan; a block left to its turn is read then.
// Every record advances the bar.
TSourceResult ExtractPerFile(const std::string& setupPath, const TSetupArchive& archive, TDiskSource& source,
                             TFileStream& setupFile, TBuffer& buffer) {
  std::vector<TFileRecord> records;
  for (uint32_t k = 0; k < SectionCount(kSectionFiles); ++k) records.push_back(ReadFileRecord(k));
  const std::vector<TPooledBlock> blocks = PlanBlocks(archive, records);
  const bool disks = !blocks.empty() && blocks.back().gathered;
  TBlockPool pool(setupPath, blocks,
                  PoolLimitsFor(std::thread::hardware_concurrency(), PoolDictionary(blocks, setupFile),
                                kPoolBudget - (disks ? kGatherAhead : 0)));
  TGathering gathering{source, pool, blocks};
  std::string lastFolder;
  for (size_t k = 0; k < records.size(); ++k) {
    if (const TSourceResult result = gathering.UpTo(k); result != TSourceResult::Ok) return result;
    TNewFile made;
    if (gathering.next == k) {  // left to its turn
      const TSourceResult result =
          TakeTurn(records[k], made, lastFolder)
              ? WritePerFileRecord(records[k], blocks[k].storedSize, source, buffer, made)
              : source.Skip(blocks[k].storedSize);
      if (result != TSourceResult::Ok) return result;
      ++gathering.next;
    } else {
      std::vector<uint8_t> item;
      TBlockPool::TTaken taken = TBlockPool::TTaken::Large;
      if (blocks[k].wanted && (taken = pool.Take(k, item, PumpWindowMessages)) == TBlockPool::TTaken::Damaged)
        return TSourceResult::Damaged;
      if (blocks[k].wanted && blocks[k].gathered) gathering.ahead -= blocks[k].storedSize;
      if (TakeTurn(records[k], made, lastFolder)) {
        BeginWriting(records[k]);
        TItemBytes held(item);
        if (!(taken == TBlockPool::TTaken::Item ? WriteRecord(records[k], held, buffer, made)
                                                : WriteUnpooled(records[k], blocks[k], item, setupFile, buffer, made)))
          return TSourceResult::Damaged;
      }
    }
    StepProgress();
    HonourStopRequest();
  }
  return TSourceResult::Ok;
}

void RunPerFile(const std::string& setupPath, const TSetupArchive& archive, TDataAreaCheck& check,
                TBuffer& buffer) {
  TDiskSource source(setupPath, archive.trailer.dataOffset, archive.trailer.dataSize, FieldText(21), AskForDisk,
                     [&check](TStream& disk) { return CheckDiskFile(check, disk); });
  auto setupFile = TFileStream::Open(setupPath, TFileStream::Mode::OpenRead);
  if (!source.Open() || !setupFile) CorruptedSetupError();
  const TSourceResult result = ExtractPerFile(setupPath, archive, source, *setupFile, buffer);
  switch (result) {
    case TSourceResult::Ok:
      return;
    case TSourceResult::Damaged:
      CorruptedSetupError();
    case TSourceResult::Cancelled:
      EndSetup(RunFlags().quiet ? kExitDiskMissing : kExitUserCancelled);
  }
}

std::unique_ptr<TFileStream> OpenAt(const std::string& path, int64_t offset) {
  auto file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  return file && file->Seek(offset, TSeekOrigin::Start) == offset ? std::move(file) : nullptr;
}

}  // namespace

// The solid block from the setup, read in large pieces and decoded ahead.
// The members end in reverse order: the decoding thread stops first.
struct TFileExtraction::TSolidData {
  explicit TSolidData(std::unique_ptr<TFileStream> opened)
      : file(std::move(opened)), data(*file), block(data, &TLZMADecompressor::Create),
        reader(block, SectionCount(kSectionFiles), PumpWindowMessages) {}
  std::unique_ptr<TFileStream> file;
  TBufferedReader data;
  TCompressedBlockReader block;
  TItemReadAhead reader;
};

TFileExtraction::TFileExtraction(const std::string& setupPath, const TSetupArchive& archive)
    : setupPath_(setupPath), archive_(archive) {
  if (!FieldFlag(34) || SectionCount(kSectionFiles) == 0) return;
  if (auto file = OpenAt(setupPath, int64_t(uint32_t(archive.trailer.dataOffset))))
    solid_ = std::make_unique<TSolidData>(std::move(file));
}

TFileExtraction::~TFileExtraction() = default;

void TFileExtraction::Run(TDataAreaCheck& check) {
  SetStatusText(MessageText(51));
  PumpWindowMessages();
  if (SectionCount(kSectionFiles) == 0) return;
  TBuffer buffer(kCopyBufferSize);
  if (!FieldFlag(34)) return RunPerFile(setupPath_, archive_, check, buffer);
  if (!solid_ || !ExtractSolid(solid_->reader, buffer)) CorruptedSetupError();
}
