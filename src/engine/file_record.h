// A file record of the setup script read as values, and the rules that decide
// from them whether a file is written. Win32-free: the calendar times come in
// already converted, so the rules are tested natively.
#pragma once
#include <cstdint>
#include <string>

#include "toolkit/path_parts.h"

// [1] of a file record. The builder writes only 0, 1 and 2.
enum TExistingFileRule : int32_t {
  kKeepExisting = 0,
  kOverwriteExisting = 1,
  kOverwriteWhenNewer = 2,
};

// A FILETIME taken apart into its calendar fields (UTC); the day of the week
// plays no part.
struct TCalendarTime {
  uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// True when a comes after b, compared field by field from the year down to
// the millisecond: times within the same millisecond are equal.
bool CalendarLater(const TCalendarTime& a, const TCalendarTime& b);

// What is known of the target before a record is written.
struct TExistingTarget {
  bool exists = false;     // a file (not a folder) is at the target path
  bool timeKnown = false;  // its last-write time could be read
  TCalendarTime time;
};

// Whether the record's file is written. archivedTimeValid is false when the
// record's time has no calendar form; such a time is never "newer".
// Unknown rules keep an existing file; rule 2 writes when the existing
// file's time cannot be read.
bool ShouldWriteFile(int32_t rule, const TExistingTarget& target, bool archivedTimeValid,
                     const TCalendarTime& archivedTime);

// A 64-bit FILETIME written in decimal: an optional "-" or "+", then digits up
// to the first other character; no digits give 0; 64-bit wrap-around.
uint64_t FileTimeFromText(const std::string& text);
