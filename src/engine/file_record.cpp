#include "engine/file_record.h"

#include <tuple>

namespace {

auto Fields(const TCalendarTime& t) {
  return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
}

}  // namespace

bool CalendarLater(const TCalendarTime& a, const TCalendarTime& b) { return Fields(a) > Fields(b); }

bool ShouldWriteFile(int32_t rule, const TExistingTarget& target, bool archivedTimeValid,
                     const TCalendarTime& archivedTime) {
  if (!target.exists) return true;
  switch (rule) {
    case kOverwriteExisting:
      return true;
    case kOverwriteWhenNewer:
      // An existing file whose time cannot be read is no proof of a newer
      // copy on the machine: the archived one wins.
      if (!target.timeKnown) return true;
      return archivedTimeValid && CalendarLater(archivedTime, target.time);
    default:  // kKeepExisting, and any value the builder never writes
      return false;
  }
}

uint64_t FileTimeFromText(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    i = 1;
  }
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + uint64_t(text[i] - '0');
  return negative ? 0u - value : value;
}
