// The file data area of per-file mode as one run of bytes, read across the
// setup executable (disk 1, its share ending at data offset + data size) and
// the disk files 2, 3, ... beside it (each read from its start to its end).
// Win32-free: the prompt for a missing disk is the caller's.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/file_stream.h"

enum class TSourceResult {
  Ok,
  Damaged,    // a disk delivered fewer bytes than it holds, or holds none
  Cancelled,  // the user refused to insert a disk
};

// Asked when disk n cannot be opened: true to look again, false to give up.
using TDiskPrompt = std::function<bool(int disk)>;
// Looks over a disk file (2, 3, ...) as soon as it is opened, before any of
// its bytes are used; false means it is damaged. It may read the stream:
// the source goes back to the start afterwards.
using TDiskCheck = std::function<bool(TStream& disk)>;

class TDiskSource {
public:
  // nameTemplate is header field 21 as stored; disk files are looked for in
  // the folder of setupPath.
  TDiskSource(std::string setupPath, uint64_t dataOffset, uint64_t dataSize, std::string nameTemplate,
              TDiskPrompt askForDisk, TDiskCheck checkDisk = nullptr);
  // Opens disk 1 at the data offset; false when it cannot be read.
  bool Open();

  // Appends the next n bytes to destination. When a write to destination
  // fails, the rest of the n bytes is passed over and written is false.
  TSourceResult Copy(uint32_t n, TStream& destination, bool& written);
  // Passes over the next n bytes without reading them.
  TSourceResult Skip(uint32_t n);
  int Disk() const { return disk_; }
  // Whether the next n bytes lie whole on the disk being read (no prompt).
  bool OnThisDisk(uint32_t n);

private:
  TSourceResult Transfer(uint32_t n, TStream* destination, bool& written);
  int64_t Available();
  TSourceResult NextDisk();

  std::string setupPath_;
  uint64_t dataOffset_;
  uint64_t dataSize_;
  std::string nameTemplate_;
  TDiskPrompt askForDisk_;
  TDiskCheck checkDisk_;
  std::unique_ptr<TFileStream> stream_;
  int disk_ = 1;
  int64_t end_ = 0;  // where the current disk's share of the data ends
};
