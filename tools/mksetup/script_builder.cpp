#include "mksetup/script_builder.h"

#include <stdexcept>

#include "archive/header_check.h"

TScriptBuilder::TScriptBuilder() : header_(kHeaderFieldCount) {}

void TScriptBuilder::SetField(int n, const std::string& text) {
  if (n < 0 || n >= kHeaderFieldCount) throw std::invalid_argument("header field out of range: " + std::to_string(n));
  header_[size_t(n)] = text;
  pinned_.insert(n);
}

void TScriptBuilder::AddRecord(TSection section, std::vector<std::string> fields) {
  if (section == kSectionMessages) throw std::invalid_argument("messages come with their language");
  size_t n = size_t(SectionLayout(section).fieldsPerRecord);
  if (fields.size() > n) throw std::invalid_argument("record has more than " + std::to_string(n) + " fields");
  fields.resize(n);
  records_[section].push_back(std::move(fields));
}

void TScriptBuilder::AddUninstallCommand(std::vector<std::string> fields) {
  size_t n = size_t(SectionLayout(kSectionCommands).fieldsPerRecord);
  if (fields.size() > n) throw std::invalid_argument("command has more than " + std::to_string(n) + " fields");
  fields.resize(n);
  uninstallCommands_.push_back(std::move(fields));
}

void TScriptBuilder::AddLanguage(const std::string& name, const std::string& languageId,
                                 const std::string& licenceFile, const std::string& informationFile,
                                 std::vector<std::string> messages) {
  if (messages.size() > size_t(kMessagesPerLanguage)) throw std::invalid_argument("more than 87 messages");
  messages.resize(kMessagesPerLanguage);
  records_[kSectionLanguages].push_back({name, languageId, licenceFile, informationFile});
  records_[kSectionMessages].push_back(std::move(messages));
}

size_t TScriptBuilder::RecordCount(TSection section) const { return records_[section].size(); }

namespace {

void AppendField(TBytes& out, const std::string& field) {
  out.insert(out.end(), field.begin(), field.end());
  out.push_back(0);
}

void AppendRecords(TBytes& out, const std::vector<std::vector<std::string>>& records) {
  for (const auto& record : records)
    for (const std::string& field : record) AppendField(out, field);
}

}  // namespace

TBytes TScriptBuilder::Serialize() const {
  std::vector<std::string> header = header_;
  auto setCount = [&](int field, size_t count) {
    if (!pinned_.count(field)) header[size_t(field)] = std::to_string(count);
  };
  for (int s = 0; s < kSectionCount; ++s) {
    const TSectionLayout& layout = SectionLayout(TSection(s));
    if (s == kSectionMessages) continue;  // its count is the language count
    setCount(layout.countField, records_[size_t(s)].size());
  }
  setCount(SectionLayout(kSectionCommands).extraCountField, uninstallCommands_.size());

  auto serialise = [&]() {
    TBytes out;
    for (const std::string& field : header) AppendField(out, field);
    for (int s = 0; s < kSectionCount; ++s) {
      AppendRecords(out, records_[size_t(s)]);
      if (s == kSectionCommands) AppendRecords(out, uninstallCommands_);
    }
    return out;
  };
  if (!pinned_.count(kHeaderCheckField)) {
    header[kHeaderCheckField].clear();
    TBytes unchecked = serialise();
    header[kHeaderCheckField] = HeaderCheckText(ComputeHeaderCheck(unchecked.data(), unchecked.size()));
  }
  return serialise();
}
