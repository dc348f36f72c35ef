#include "engine/file_writer.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/path_parts.h"
#include "toolkit/read_item.h"
#include "toolkit/win32_handle.h"

namespace {

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
  return WriteFile(file, bytes, DWORD(count), &written, nullptr) && written == DWORD(count);
}

void SetAllTimes(HANDLE file, uint64_t fileTime) {
  FILETIME time;
  time.dwLowDateTime = DWORD(fileTime);
  time.dwHighDateTime = DWORD(fileTime >> 32);
  SetFileTime(file, &time, &time, &time);
}

}  // namespace

TWriteResult WriteItemToFile(const std::string& path, TByteSource& source, uint64_t fileTime,
                             std::vector<uint8_t>& buffer) {
  TWin32Handle target(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  int32_t remaining = 0;
  if (!ReadItemLength(source, remaining)) {
    if (target) {
      target.Close();
      DeleteFileA(path.c_str());
    }
    return TWriteResult::Damaged;
  }
  if (!target) return ReadPast(source, remaining, buffer) ? TWriteResult::NotCreated : TWriteResult::Damaged;

  bool sound = true, writing = true;
  while (remaining > 0) {
    int32_t n = std::min(remaining, int32_t(buffer.size()));
    if (!source.Read(buffer.data(), n)) {
      sound = false;
      break;
    }
    // After a failed write the item is still read to its end: the next
    // file's bytes follow it in the same stream.
    if (writing) writing = WriteAll(target.Get(), buffer.data(), n);
    remaining -= n;
  }
  if (!sound || !writing) {
    target.Close();
    DeleteFileA(path.c_str());
    return sound ? TWriteResult::WriteFailed : TWriteResult::Damaged;
  }
  // Through the writing handle: a second open without sharing fails whenever
  // a virus scanner has the new file open.
  SetAllTimes(target.Get(), fileTime);
  return TWriteResult::Written;
}

bool DiscardItem(TByteSource& source, std::vector<uint8_t>& buffer) {
  int32_t remaining = 0;
  return ReadItemLength(source, remaining) && ReadPast(source, remaining, buffer);
}

