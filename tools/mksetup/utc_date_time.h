// UTC dates and times and the FILETIMEs of file records: what a description
// writes ("2024-05-01 12:30:45") and what mksetup inspect shows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A UTC date and time "YYYY-MM-DD", optionally followed by " HH:MM",
// ":SS" and "." with 1 to 7 digits of fraction (a "T" may stand for the
// space), as a FILETIME: 100 ns ticks since 1601-01-01 00:00:00 UTC.
// Nothing when the text is not such a date or names no real day or time.
std::optional<uint64_t> ParseUtcDateTime(const std::string& text);

// A FILETIME text of a file record as "YYYY-MM-DD HH:MM:SS" (UTC); empty
// when it has no calendar form.
std::string UtcTimeText(const std::string& fileTime);
