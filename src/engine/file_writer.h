// Writing one target file from the next item of a decompressed stream.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/stream.h"
#include "toolkit/win32_handle.h"

// The piece in which decoded bytes go into a file: one write for most small files.
constexpr size_t kCopyBufferSize = 65536;

enum class TWriteResult {
  Written,      // whole, with its three times set
  NotCreated,   // the file could not be created or put in place; the item was read past
  WriteFailed,  // a write failed part-way (disk full); the new bytes are gone
  Damaged,      // the item could not be read whole; the new bytes are gone
  AtRestart,    // the old file is in use: the new one waits beside it (outcome.waiting)
                // and Windows puts it in place at its next start
};

// What to do when the whole new file cannot be put in place because the old
// one is in use (the Windows error is given).
enum class TInUseAnswer { Retry, Ignore, Cancel };
using TInUseQuestion = std::function<TInUseAnswer(DWORD error)>;

struct TWriteOutcome {
  TWriteResult result = TWriteResult::Written;
  DWORD error = ERROR_SUCCESS;  // the Windows error of NotCreated and WriteFailed
  int64_t size = 0;             // bytes written
  bool created = false;         // Written where no file was
  std::string keptAside;        // Written over a file kept aside under this name
  bool cancelled = false;       // NotCreated because inUse answered Cancel
  std::string waiting;          // AtRestart: the new file beside the old one
};

// Copies the item into a new file at path through buffer and sets its
// creation, access and write times to fileTime and its attributes (those a
// file may be given; none is FILE_ATTRIBUTE_NORMAL) through the writing
// handle before closing it. A file already at path is never written into: the new
// one is written beside it under a temporary name, with `attributes`, and
// renamed over it only when whole, so whatever fails (a full disk, damaged
// data, a target held open or read-only) leaves the old file as it was and
// no temporary file behind. However it ends, the item is read to its end
// unless it is damaged, so the next item stays aligned. With keepOld, the
// old file is not deleted but renamed beside it (outcome.keptAside), so that
// the caller can put it back or delete it later. When the old file is in
// use, inUse (if given) decides: try again, stop, or go on without replacing
// it now: then the new file stays beside the old one and Windows is asked to
// put it in place at its next start (AtRestart); when it cannot be asked
// (no rights), the new file goes and the old one stays (NotCreated).
// `made`, when it holds a file, is the new file made at path: it is
// written without looking at path again.
class TNewFile;
TWriteOutcome WriteItemToFile(const std::string& path, TByteSource& source, uint64_t fileTime, DWORD attributes,
                              std::vector<uint8_t>& buffer, bool keepOld = false,
                              const TInUseQuestion& inUse = nullptr, TNewFile* made = nullptr);

// A new, empty file made where nothing was, shared for reading, to be
// written by WriteItemToFile; deleted again when it ends unwritten. Making
// it at once is also how the setup learns that the name was free: one look
// at the folder instead of two, where asking whether a name is free means
// reading the whole folder (Wine on a case-sensitive file system).
class TNewFile {
public:
  TNewFile() = default;
  // Holds no file when anything (a file, a folder) is at path already or
  // it cannot be made.
  explicit TNewFile(const std::string& path);
  ~TNewFile();
  TNewFile(TNewFile&& other) noexcept = default;
  TNewFile& operator=(TNewFile&& other) noexcept;
  explicit operator bool() const { return bool(handle_); }
  // The handle, which the caller then answers for; the file is no longer
  // deleted here.
  TWin32Handle Take();

private:
  void Drop();
  std::string path_;
  TWin32Handle handle_;
};

// Reads the next item and drops its bytes; false when it is damaged.
bool DiscardItem(TByteSource& source, std::vector<uint8_t>& buffer);
