#include "engine/file_writer.h"

#include <algorithm>
#include <utility>

#include "toolkit/folders.h"
#include "toolkit/path_parts.h"
#include "toolkit/read_item.h"
#include "toolkit/win32_handle.h"

namespace {

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Reads `remaining` bytes of an item through buffer; false when damaged.
bool ReadPast(TByteSource& source, int32_t remaining, std::vector<uint8_t>& buffer) {
  while (remaining > 0) {
    int32_t n = std::min(remaining, int32_t(buffer.size()));
    if (!source.Read(buffer.data(), n)) return false;
    remaining -= n;
  }
  return true;
}

bool WriteAll(HANDLE file, const uint8_t* bytes, int32_t count) {
  DWORD written = 0;
  if (WriteFile(file, bytes, DWORD(count), &written, nullptr) && written == DWORD(count)) return true;
  if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_HANDLE_DISK_FULL);
  return false;
}

DWORD SettableOrNormal(DWORD attributes) {
  attributes &= kSettableAttributes;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

using TSetFileInformationByHandle = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Windows Vista and later set a file's times and attributes through its
// handle in one call; earlier ones set only the times so.
TSetFileInformationByHandle SetByHandle() {
  static const auto function = reinterpret_cast<TSetFileInformationByHandle>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
  return function;
}

// Through the writing handle: a second open without sharing fails whenever
// a virus scanner has the new file open. True when the attributes were set
// too; otherwise they are still to be set by path.
bool SetTimesAndAttributes(HANDLE file, uint64_t fileTime, DWORD attributes) {
  LARGE_INTEGER time;
  time.QuadPart = LONGLONG(fileTime);
  if (const TSetFileInformationByHandle set = SetByHandle()) {
    FILE_BASIC_INFO info = {};
    info.CreationTime = info.LastAccessTime = info.LastWriteTime = time;
    info.FileAttributes = SettableOrNormal(attributes);
    if (set(file, FileBasicInfo, &info, sizeof info)) return true;
  }
  FILETIME fileTimes;
  fileTimes.dwLowDateTime = DWORD(fileTime);
  fileTimes.dwHighDateTime = DWORD(fileTime >> 32);
  SetFileTime(file, &fileTimes, &fileTimes, &fileTimes);
  return false;
}

// Where the bytes go: the target itself when no file is there, else a new
// file beside it that replaces the old one only once it is whole.
struct TDestination {
  std::string path;     // the file written
  bool replacing = false;
  TWin32Handle handle;
  DWORD error = ERROR_SUCCESS;  // why there is no handle
};

TDestination OpenDestination(const std::string& target, DWORD attributes, TNewFile made) {
  TDestination d;
  if (!made) made = TNewFile(target);
  if (made) {
    d.path = target;
    d.handle = made.Take();
    return d;
  }
  const DWORD existing = GetFileAttributesA(target.c_str());
  d.replacing = existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY);
  if (d.replacing && (existing & FILE_ATTRIBUTE_READONLY)) {
    d.error = ERROR_ACCESS_DENIED;  // a read-only file is never replaced
    return d;
  }
  if (d.replacing) {
    std::vector<char> name(MAX_PATH + 16);
    const std::string folder = FolderPart(target);
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "new", 0, name.data())) {
      d.error = GetLastError();
      return d;
    }
    d.path = name.data();
    d.handle = TWin32Handle(
        CreateFileA(d.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, SettableOrNormal(attributes), nullptr));
    if (!d.handle) {
      d.error = GetLastError();
      DeleteFileA(d.path.c_str());  // GetTempFileNameA made it
    }
    return d;
  }
  // Nothing could be made where nothing (or a folder) is: this gives the reason.
  d.path = target;
  d.handle = TWin32Handle(
      CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!d.handle) d.error = GetLastError();
  return d;
}

void Discard(TDestination& d) {
  d.handle.Close();
  SetFileAttributesA(d.path.c_str(), FILE_ATTRIBUTE_NORMAL);  // the new file may be read-only already
  DeleteFileA(d.path.c_str());
}

// Puts the whole new file in place of the old one. With keepOld the old file
// is first renamed to a free name in its folder, which is returned; a rename
// that fails (the file held open) changes nothing. 0, or the Windows error.
DWORD PutInPlace(const std::string& from, const std::string& target, bool keepOld, std::string& aside) {
  if (!keepOld)
    return MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? DWORD(ERROR_SUCCESS)
                                                                                 : GetLastError();
  std::string old;
  if (const DWORD error = RenameAside(target, old)) return error;
  if (!MoveFileExA(from.c_str(), target.c_str(), 0)) {
    const DWORD error = GetLastError();
    MoveFileExA(old.c_str(), target.c_str(), 0);
    return error;
  }
  aside = old;
  return ERROR_SUCCESS;
}

// Asks Windows to move the waiting file over the target at its next start.
// A read-only waiting file would stay read-only there: its attributes are
// the record's, which the caller sets on the target anyway.
bool ReplaceAtRestart(const std::string& waiting, const std::string& target) {
  return MoveFileExA(waiting.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

TNewFile::TNewFile(const std::string& path)
    : path_(path),
      handle_(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

TNewFile::~TNewFile() { Drop(); }

void TNewFile::Drop() {
  if (!handle_) return;
  handle_.Close();
  DeleteFileA(path_.c_str());
}

TNewFile& TNewFile::operator=(TNewFile&& other) noexcept {
  if (this != &other) {
    Drop();
    path_ = std::move(other.path_);
    handle_ = std::move(other.handle_);
  }
  return *this;
}

TWin32Handle TNewFile::Take() { return std::move(handle_); }

TWriteOutcome WriteItemToFile(const std::string& path, TByteSource& source, uint64_t fileTime, DWORD attributes,
                              std::vector<uint8_t>& buffer, bool keepOld, const TInUseQuestion& inUse,
                              TNewFile* made) {
  TDestination destination = OpenDestination(path, attributes, made ? std::move(*made) : TNewFile());
  TWriteOutcome outcome;
  int32_t remaining = 0;
  if (!ReadItemLength(source, remaining)) {
    if (destination.handle) Discard(destination);
    outcome.result = TWriteResult::Damaged;
    return outcome;
  }
  if (!destination.handle) {
    outcome.result = ReadPast(source, remaining, buffer) ? TWriteResult::NotCreated : TWriteResult::Damaged;
    outcome.error = destination.error;
    return outcome;
  }

  bool sound = true, writing = true;
  while (remaining > 0) {
    int32_t n = std::min(remaining, int32_t(buffer.size()));
    if (!source.Read(buffer.data(), n)) {
      sound = false;
      break;
    }
    // After a failed write the item is still read to its end: the next
    // file's bytes follow it in the same stream.
    if (writing && !(writing = WriteAll(destination.handle.Get(), buffer.data(), n))) outcome.error = GetLastError();
    if (writing) outcome.size += n;
    remaining -= n;
  }
  if (!sound || !writing) {
    Discard(destination);
    outcome.result = sound ? TWriteResult::WriteFailed : TWriteResult::Damaged;
    return outcome;
  }
  const bool attributesSet = SetTimesAndAttributes(destination.handle.Get(), fileTime, attributes);
  destination.handle.Close();
  if (!destination.replacing) {
    if (!attributesSet) SetFileAttributesA(path.c_str(), SettableOrNormal(attributes));
    outcome.created = true;
    return outcome;
  }
  for (;;) {
    outcome.error = PutInPlace(destination.path, path, keepOld, outcome.keptAside);
    const bool inUseError = outcome.error == ERROR_SHARING_VIOLATION || outcome.error == ERROR_ACCESS_DENIED ||
                            outcome.error == ERROR_LOCK_VIOLATION;
    if (outcome.error == ERROR_SUCCESS || !inUseError || !inUse) break;
    const TInUseAnswer answer = inUse(outcome.error);
    if (answer == TInUseAnswer::Retry) continue;
    outcome.cancelled = answer == TInUseAnswer::Cancel;
    if (!outcome.cancelled && ReplaceAtRestart(destination.path, path)) {
      outcome.result = TWriteResult::AtRestart;
      outcome.waiting = destination.path;
      return outcome;
    }
    break;
  }
  if (outcome.error != ERROR_SUCCESS) {  // held open by a running program
    Discard(destination);
    outcome.result = TWriteResult::NotCreated;
  } else if (!attributesSet) {
    SetFileAttributesA(path.c_str(), SettableOrNormal(attributes));
  }
  return outcome;
}

bool DiscardItem(TByteSource& source, std::vector<uint8_t>& buffer) {
  int32_t remaining = 0;
  return ReadItemLength(source, remaining) && ReadPast(source, remaining, buffer);
}
