// mksetup inspect: what a setup executable holds and will do, read the way
// setup.exe reads it, with every block decompressed and every CRC checked,
// so that an administrator can look at a setup before running it.
// setup_report.h turns it into the report.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_trailer.h"
#include "archive/setup_script.h"
#include "mksetup/signature_info.h"
#include "mksetup/utc_date_time.h"

struct TBlockInfo {
  int disk = 1;              // the file the block starts in: 1 the setup, 2, 3, ... disk files
  uint64_t offset = 0;       // of its header in that file
  bool headerSound = false;  // the header was there and its CRC matched; else the rest is unknown
  uint32_t storedSize = 0;   // S: the bytes after the 9-byte header
  bool compressed = false;
  uint32_t chunkCount = 0;
};

// A record of a section, with its section's field names.
struct TRecordInfo {
  std::string kind;  // as the description's block: "registry", "uninstall command", ...
  TSection section = kSectionRegistry;
  std::vector<std::string> fieldNames;
  std::vector<std::string> values;
};

struct TLanguageInfo {
  std::string name, id, licence, information;
  std::vector<std::string> messages;  // message 1 first; those the script holds
};

struct TResourceInfo {
  uint8_t code = 0;
  int64_t size = -1;  // decompressed; -1 when the item could not be read
};

struct TFileInfo {
  std::string target, existing, time, uninstall, attributes;  // the record's fields as stored
  int64_t size = -1;                                          // decompressed; -1 when the item could not be read
};

struct TInspection {
  std::string path;
  bool readable = false;  // false: the file could not be opened at all
  uint64_t fileSize = 0;
  TSignatureInfo signature;
  uint64_t archiveEnd = 0;

  bool trailerRead = false;  // the 42 bytes were there; their values may still be wrong
  TArchiveTrailer trailer;
  std::vector<int64_t> storedSizes;
  std::vector<uint8_t> itemCodes;

  bool block0Read = false;  // block 0's header was looked at
  TBlockInfo block0;
  bool scriptRead = false;          // the script item was read whole
  std::vector<std::string> header;  // all 121 fields; those the script lacks are empty
  bool solid = true;
  std::vector<TBlockInfo> fileBlocks;  // solid: one; per-file: one per file, as far as they were found

  std::vector<TRecordInfo> records;  // every section but the files and the languages
  std::vector<TLanguageInfo> languages;
  std::vector<TResourceInfo> resources;  // items 1 to N-1 of block 0
  std::vector<TFileInfo> files;

  std::vector<std::string> problems;  // what is damaged, and where
};

// Never throws for what the file holds: damage is listed in problems.
TInspection InspectSetup(const std::string& path);

// 0 sound, 1 the file could not be read, 3 damaged or incomplete.
int InspectionExitCode(const TInspection& inspection);
