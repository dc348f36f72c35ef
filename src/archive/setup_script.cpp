#include "archive/setup_script.h"

#include <algorithm>
#include <cstring>

#include "archive/header_check.h"
#include "archive/script_text.h"

namespace {

const TSectionLayout kLayouts[kSectionCount] = {
    {98, -1, 4},  {50, -1, 7}, {96, -1, 3}, {31, -1, 2}, {54, -1, 8}, {67, -1, 5},  {93, -1, 2},
    {40, 25, 6},  {24, -1, 6}, {45, -1, 2}, {20, -1, 2}, {26, -1, 4}, {26, -1, kMessagesPerLanguage},
};

const std::string kEmpty;

// Reads the field at position; false at the end of the item.
bool NextField(const std::vector<uint8_t>& bytes, size_t& position, std::string& field) {
  if (position >= bytes.size()) return false;
  const uint8_t* start = bytes.data() + position;
  const void* nul = std::memchr(start, 0, bytes.size() - position);
  size_t length = nul ? size_t(static_cast<const uint8_t*>(nul) - start) : bytes.size() - position;
  field.assign(reinterpret_cast<const char*>(start), length);
  position += length + (nul ? 1 : 0);
  return true;
}

uint64_t CountFields(const std::vector<uint8_t>& bytes) {
  uint64_t count = uint64_t(std::count(bytes.begin(), bytes.end(), uint8_t(0)));
  if (!bytes.empty() && bytes.back() != 0) ++count;
  return count;
}

// Fields the section announces, in 64 bits; a negative count reads 0.
uint64_t AnnouncedFields(const TSetupScript& script, TSection section, uint64_t& records) {
  const TSectionLayout& layout = kLayouts[section];
  auto count = [&](int field) -> uint64_t {
    int32_t value = field < int(script.header.size()) ? TextInt(script.header[size_t(field)]) : 0;
    return value < 0 ? 0 : uint64_t(value);
  };
  records = count(layout.countField) + (layout.extraCountField >= 0 ? count(layout.extraCountField) : 0);
  return records * uint64_t(layout.fieldsPerRecord);
}

bool ReadSection(const std::vector<uint8_t>& bytes, TSetupScript& script, TSection section) {
  uint64_t records = 0;
  uint64_t wanted = AnnouncedFields(script, section, records);
  if (wanted > script.totalFields) return false;
  TScriptSection& s = script.sections[section];
  s.count = uint32_t(records);
  s.fields.clear();
  if (section == kSectionMessages) s.fields.emplace_back();  // entry 0 is never read
  std::string field;
  for (uint64_t i = 0; i < wanted && NextField(bytes, script.readPosition, field); ++i) s.fields.push_back(field);
  return true;
}

}  // namespace

const TSectionLayout& SectionLayout(TSection section) { return kLayouts[section]; }

TSetupScript& Script() {
  static TSetupScript script;
  return script;
}

const std::string& FieldText(int n) {
  const auto& header = Script().header;
  return n >= 0 && size_t(n) < header.size() ? header[size_t(n)] : kEmpty;
}

int32_t FieldInt(int n) { return TextInt(FieldText(n)); }

bool FieldFlag(int n) { return TextFlag(FieldText(n)); }

void SetFieldText(int n, const std::string& text) {
  if (n < 0 || n >= kHeaderFieldCount) return;
  auto& header = Script().header;
  if (header.size() <= size_t(n)) header.resize(size_t(n) + 1);
  header[size_t(n)] = text;
}

const std::string& SectionField(TSection section, uint32_t k, int j) {
  if (section < 0 || section >= kSectionCount) return kEmpty;
  const TScriptSection& s = Script().sections[section];
  const int n = kLayouts[section].fieldsPerRecord;
  if (j < 0 || j >= n || k >= s.count) return kEmpty;
  uint64_t index = uint64_t(k) * uint64_t(n) + uint64_t(j) + (section == kSectionMessages ? 1 : 0);
  return index < s.fields.size() ? s.fields[size_t(index)] : kEmpty;
}

uint32_t SectionCount(TSection section) { return Script().sections[section].count; }

bool ParseScriptHeader(const TMemoryStream& item, TSetupScript& script) {
  const std::vector<uint8_t>& bytes = item.Bytes();
  script = TSetupScript{};
  script.totalFields = CountFields(bytes);
  script.headerCheck = ComputeHeaderCheck(bytes.data(), bytes.size());
  std::string field;
  for (int i = 0; i < kHeaderFieldCount && NextField(bytes, script.readPosition, field); ++i)
    script.header.push_back(field);
  return ReadSection(bytes, script, kSectionRegistryVariables);
}

bool ParseScriptSections(const TMemoryStream& item, TSetupScript& script) {
  for (int s = kSectionRegistry; s < kSectionCount; ++s)
    if (!ReadSection(item.Bytes(), script, TSection(s))) return false;
  return true;
}
