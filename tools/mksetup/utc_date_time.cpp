#include "mksetup/utc_date_time.h"

#include <cstdio>

#include "engine/file_record.h"

namespace {

bool ReadDigits(const std::string& text, size_t& at, size_t count, uint32_t& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    char c = text[at + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + uint32_t(c - '0');
  }
  at += count;
  return true;
}

bool Skip(const std::string& text, size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

bool IsLeapYear(uint32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

uint32_t DaysInMonth(uint32_t year, uint32_t month) {
  static const uint32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the given day of the proleptic Gregorian calendar.
uint64_t DaysSince1601(uint32_t year, uint32_t month, uint32_t day) {
  uint64_t y = year - 1601;
  uint64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (uint32_t m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

// 1 to 7 digits after the point, as 100 ns ticks.
bool ReadFraction(const std::string& text, size_t& at, uint32_t& ticks) {
  size_t digits = 0;
  ticks = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 7; ++at, ++digits)
    ticks = ticks * 10 + uint32_t(text[at] - '0');
  for (size_t d = digits; d < 7; ++d) ticks *= 10;
  return digits > 0;
}

}  // namespace

std::optional<uint64_t> ParseUtcDateTime(const std::string& text) {
  size_t at = 0;
  uint32_t year, month, day, hour = 0, minute = 0, second = 0, fraction = 0;
  if (!ReadDigits(text, at, 4, year) || !Skip(text, at, '-') || !ReadDigits(text, at, 2, month) ||
      !Skip(text, at, '-') || !ReadDigits(text, at, 2, day))
    return std::nullopt;
  if (at < text.size()) {
    if (!Skip(text, at, ' ') && !Skip(text, at, 'T')) return std::nullopt;
    if (!ReadDigits(text, at, 2, hour) || !Skip(text, at, ':') || !ReadDigits(text, at, 2, minute))
      return std::nullopt;
    if (Skip(text, at, ':')) {
      if (!ReadDigits(text, at, 2, second)) return std::nullopt;
      if (Skip(text, at, '.') && !ReadFraction(text, at, fraction)) return std::nullopt;
    }
  }
  if (at != text.size() || year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  uint64_t seconds = DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return seconds * 10000000 + fraction;
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
