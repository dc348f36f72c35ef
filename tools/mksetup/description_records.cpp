// From the records read to the records of the script: what each needs, the
// values and defaults of named mode, the files of [files] folders and what
// "uninstaller = on" adds.
#include "mksetup/description_parser.h"

#include "archive/setup_script.h"
#include "mksetup/description_values.h"
#include "mksetup/english_messages.h"

namespace {
// The entry's value that names the program group used.
const char kGroupValueName[] = "StartMenuGroup";
// Path constants reach registry variables 0 to 18.
constexpr size_t kReferableVariables = 19;
}  // namespace

void TDescriptionParser::AddRecord(TPendingRecord& record) {
  const TRecordKind* kind = record.kind;
  std::string what = "a [" + (kind ? kind->block : std::string("resource")) + "]";
  if ((!kind || kind->section == kSectionFiles) && !record.content)
    Fail(what + " needs 'source' or 'content'", record.line);
  if (kind && kind->section == kSectionFiles && record.fieldLines[0] == 0)
    Fail(what + " needs a 'target': without one the setup has nowhere to put it", record.line);
  if (!kind) {
    if (!record.code) Fail(what + " needs a 'code'", record.line);
    if (out_.archive.resources.size() == kMaxResources) Fail("more than 254 resources", record.line);
    out_.archive.resources.push_back({*record.code, std::move(*record.content)});
  } else if (kind->section == kSectionLanguages) {
    if (named_ && record.messages.empty()) record.messages = BuiltInMessages();
    record.messages.resize(kMessagesPerLanguage);
    for (auto& [n, text] : record.messageOverrides) record.messages[size_t(n - 1)] = text;
    const auto& f = record.fields;
    builder_.AddLanguage(f[0], f[1], f[2], f[3], std::move(record.messages));
  } else if (kind->block == "uninstall command") {
    builder_.AddUninstallCommand(std::move(record.fields));
  } else {
    if (kind->section == kSectionFiles) out_.archive.files.push_back(std::move(*record.content));
    builder_.AddRecord(kind->section, std::move(record.fields));
  }
}

std::vector<std::string> TDescriptionParser::BuiltInMessages() const {
  const TProductValues& p = context_.product;
  return EnglishMessages(TMessageValues{p.product, p.version, p.publisher});
}

// Named mode: the values of a record as the script stores them, with the
// defaults a publisher expects for what is not given.
void TDescriptionParser::ConvertNamedRecord(TPendingRecord& record) {
  if (!record.kind || record.kind->section == kSectionLanguages) return;
  const TSection section = record.kind->section;
  const std::string remove = context_.uninstaller ? "1" : "0";
  const std::map<TSection, std::vector<std::pair<size_t, std::string>>> kDefaults = {
      {kSectionRegistry, {{4, "0"}, {5, "1"}, {6, remove}}},
      {kSectionFiles, {{1, "1"}, {3, "1"}, {4, "32"}}},
      {kSectionFolders, {{1, remove}}},
      {kSectionIni, {{4, "1"}, {5, remove}}},
      {kSectionComponents, {{1, remove}}},
      {kSectionCommands, {{3, "1"}, {4, "1"}, {5, "1"}}},
      {kSectionShortcuts, {{0, "0"}}}};
  if (auto defaults = kDefaults.find(section); defaults != kDefaults.end())
    for (const auto& [field, text] : defaults->second)
      if (record.fieldLines[field] == 0) record.fields[field] = text;
  for (size_t i = 0; i < record.fields.size(); ++i) {
    if (record.fieldLines[i] == 0 || (section == kSectionFiles && i == kFileTimeField)) continue;
    std::string error;
    std::optional<std::string> value = RecordFieldValue(section, i, record.fields[i], context_.product, error);
    if (!value) Fail("'" + record.kind->fields[i] + "': " + error, record.fieldLines[i]);
    record.fields[i] = *value;
  }
  if (section == kSectionFiles) {
    if (record.fieldLines[kFileTimeField] == 0 && !record.sourcePath.empty())
      record.fields[kFileTimeField] = std::to_string(SourceFileTime(record.sourcePath));
    if (record.content) context_.fileBytes += record.content->size();
  }
  if (section == kSectionShortcuts) {
    if (record.fields[0] == "0") context_.groupShortcuts = true;
    // The shell saves a link under the name it is given: without ".lnk" it
    // would be no shortcut at all.
    std::string& link = record.fields[1];
    if (link.size() < 4 || NormaliseName(link.substr(link.size() - 4)) != ".lnk") link += ".lnk";
  }
}

// Named mode: the files of every [files] block, as file records.
void TDescriptionParser::AddProductFolders() {
  for (const TProductFolder& folder : folders_) {
    const std::string source = JoinPath(baseDir_, folder.values.at("source"));
    std::vector<TFoundFile> files;
    std::vector<std::string> subfolders;
    if (!FindProductFiles(source, files, subfolders))
      throw TDescriptionReadError(file_, folder.lines.at("source"), "cannot read the folder '" + source + "'");
    std::string target = folder.values.at("target");
    while (!target.empty() && (target.back() == '\\' || target.back() == '/')) target.pop_back();
    for (const TFoundFile& found : files) {
      TPendingRecord record;
      record.kind = FindRecordKind("file");
      record.line = folder.line;
      record.fields.assign(record.kind->fields.size(), std::string());
      record.fieldLines.assign(record.kind->fields.size(), 0);
      for (const auto& [key, line] : folder.lines)
        for (size_t i = 0; i < record.kind->fields.size(); ++i)
          if (record.kind->fields[i] == key) {
            record.fields[i] = folder.values.at(key);
            record.fieldLines[i] = line;
          }
      record.fields[0] = target + "\\" + found.relative;
      record.fieldLines[0] = folder.lines.at("target");
      if (folder.values.count("time")) {
        line_ = folder.lines.at("time");
        std::optional<uint64_t> ticks = ParseUtcDateTime(folder.values.at("time"));
        if (!ticks) Fail("'time' is a UTC date and time of the form YYYY-MM-DD HH:MM:SS.fff");
        record.fields[kFileTimeField] = std::to_string(*ticks);
      } else {
        record.fields[kFileTimeField] = std::to_string(found.fileTime);
      }
      std::optional<std::string> bytes = readFile_(found.path);
      if (!bytes) throw TDescriptionReadError(file_, folder.line, "cannot read '" + found.path + "'");
      record.content = TBytes(bytes->begin(), bytes->end());
      ConvertNamedRecord(record);
      records_.push_back(std::move(record));
    }
    if (!context_.uninstaller) continue;
    // Parents first as the setup creates them; the uninstaller removes the
    // deepest first, once they are empty.
    subfolders.insert(subfolders.begin(), std::string());
    for (const std::string& sub : subfolders) AddGeneratedRecord("folder", {target + (sub.empty() ? "" : "\\" + sub)});
  }
}

// A record mksetup writes itself, its values in the named form.
void TDescriptionParser::AddGeneratedRecord(const std::string& kind, const std::vector<std::string>& fields,
                                 std::optional<TBytes> content) {
  TPendingRecord record;
  record.kind = FindRecordKind(kind);
  record.line = uninstallerLine_;
  record.fields.assign(record.kind->fields.size(), std::string());
  record.fieldLines.assign(record.kind->fields.size(), 0);
  for (size_t i = 0; i < fields.size(); ++i) {
    record.fields[i] = fields[i];
    record.fieldLines[i] = uninstallerLine_ > 0 ? uninstallerLine_ : 1;
  }
  record.content = std::move(content);
  ConvertNamedRecord(record);
  for (const TPendingRecord& made : records_)
    if (kind == "folder" && made.kind == record.kind && made.fields[0] == record.fields[0]) return;
  records_.push_back(std::move(record));
}

// "uninstaller = on": the uninstaller's file, the uninstall information,
// the entry in the list of installed programs and everything to remove it.
void TDescriptionParser::AddUninstaller() {
  if (!context_.uninstaller) return;
  std::string source = uninstallerSource_.empty() ? std::string() : JoinPath(baseDir_, uninstallerSource_);
  if (source.empty()) {
    const std::string stub = stubOverride_.empty() ? out_.stubPath : stubOverride_;
    if (stub.empty()) Fail("'uninstaller = on' takes uninstall.exe from beside the stub: name the stub", uninstallerLine_);
    source = FolderOf(stub) + "uninstall.exe";
  }
  std::optional<std::string> bytes = readFile_(source);
  if (!bytes) throw TDescriptionReadError(file_, uninstallerLine_, "cannot read the uninstaller '" + source + "'");
  auto named = [&](int field) {
    if (headerGiven_.count(field)) return builder_.Field(field);
    const THeaderSetting& setting = HeaderSettingOf(field);
    std::string error;
    const auto given = namedValues_.find(field);
    const std::string value = given != namedValues_.end() ? given->second.first : setting.fallback;
    return SettingValue(setting, value, context_.product, error).value_or(std::string());
  };
  const std::string program = named(91);
  AddGeneratedRecord("file", {program, "overwrite", "", "off", "archive"}, TBytes(bytes->begin(), bytes->end()));
  records_.back().fields[kFileTimeField] = std::to_string(SourceFileTime(source));

  const TProductValues& p = context_.product;
  const std::string key =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + (productId_.empty() ? p.product : productId_);
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"DisplayName", p.product}, {"DisplayVersion", p.version}, {"Publisher", p.publisher},
      {"UninstallString", "\"" + program + "\""}, {"QuietUninstallString", "\"" + program + "\" /S"},
      {"DisplayIcon", program}, {"InstallLocation", "{install}"},
      {kGroupValueName, context_.groupShortcuts ? "{group name}" : ""}};
  for (const auto& [name, data] : texts)
    if (!data.empty()) AddGeneratedRecord("registry", {"HKLM", key, name, data, "text", "on", "on"});
  const uint64_t kibibytes = (context_.fileBytes + 1023) / 1024;
  for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
           {"EstimatedSize", std::to_string(kibibytes)}, {"NoModify", "1"}, {"NoRepair", "1"}})
    AddGeneratedRecord("registry", {"HKLM", key, name, data, "number", "on", "on"});
  AddGeneratedRecord("folder", {"{install}", "on"});
  if (context_.groupShortcuts) AddGeneratedRecord("folder", {"{group}", "on"});
  FindEarlierVersion(key);
}

// The setup of a later version finds the installed one through its entry:
// the folder and the program group it used become the defaults (/P= and
// /G= still replace them). A publisher's own "field N", or a value that
// already reads a registry variable, is left as given.
void TDescriptionParser::FindEarlierVersion(const std::string& entryKey) {
  size_t variables = 0;
  for (const TPendingRecord& record : records_)
    if (record.kind && record.kind->section == kSectionRegistryVariables) ++variables;
  auto readFromEntry = [&](int field, const std::string& valueName) {
    const THeaderSetting& setting = HeaderSettingOf(field);
    const auto given = namedValues_.find(field);
    const std::string value = given != namedValues_.end() ? given->second.first : setting.fallback;
    const bool ownScheme = value.find("{variable") != std::string::npos || value.find("@$&%8") != std::string::npos ||
                           value.find("@$&%9") != std::string::npos;
    if (headerGiven_.count(field) || ownScheme || variables >= kReferableVariables) return;
    AddGeneratedRecord("registry variable", {"HKLM", entryKey, valueName, value});
    namedValues_[field] = {"{variable " + std::to_string(variables++) + "}", uninstallerLine_};
  };
  readFromEntry(58, "InstallLocation");
  if (context_.groupShortcuts) readFromEntry(106, kGroupValueName);
}
