// Reading the lines of a description: blocks, settings and record fields,
// each checked as it is read.
#include "mksetup/description_parser.h"

#include "archive/setup_script.h"
#include "mksetup/description_values.h"

TDescription TDescriptionParser::Run(const std::string& text) {
  for (const std::string& line : SplitLines(text)) {
    ++line_;
    Line(line);
  }
  Finish();
  return std::move(out_);
}

void TDescriptionParser::Line(const std::string& raw) {
  if (raw.find('\0') != std::string::npos) Fail("NUL bytes cannot be written into a setup");
  std::string trimmed = Trim(raw);
  if (trimmed.empty() || trimmed[0] == '#') return;
  if (trimmed[0] == '[') {
    if (trimmed.back() != ']') Fail("a block name ends with ']'");
    OpenBlock(NormaliseName(trimmed.substr(1, trimmed.size() - 2)));
    return;
  }
  size_t equals = raw.find('=');
  if (equals == std::string::npos) Fail("expected 'name = value' or '[block]'");
  std::string key = NormaliseName(raw.substr(0, equals));
  if (key.empty()) Fail("a name is missing before '='");
  std::string value = raw.substr(equals + 1);
  if (!value.empty() && value[0] == ' ') value.erase(0, 1);  // the rest stays as written
  Setting(key, value);
}

void TDescriptionParser::OpenBlock(const std::string& name) {
  CloseRecord();
  CloseFolder();
  blockName_ = name;
  if (name == "files") {
    block_ = TBlock::kFolder;
    folder_.emplace();
    folder_->line = line_;
    named_ = true;
  } else if (name == "setup") {
    block_ = TBlock::kSetup;
  } else if (name == "archive") {
    block_ = TBlock::kArchive;
  } else if (name == "block 0" || name == "file blocks") {
    block_ = TBlock::kBlockOptions;
    options_ = name == "block 0" ? &out_.archive.block0 : &out_.archive.fileBlocks;
  } else if (name == "resource" || FindRecordKind(name)) {
    block_ = TBlock::kRecord;
    record_.emplace();
    record_->kind = FindRecordKind(name);
    record_->line = line_;
    size_t n = record_->kind ? record_->kind->fields.size() : 0;
    record_->fields.assign(n, std::string());
    record_->fieldLines.assign(n, 0);
  } else {
    Fail("unknown block [" + name + "]");
  }
}

void TDescriptionParser::Setting(const std::string& key, const std::string& value) {
  switch (block_) {
    case TBlock::kSetup: return SetupSetting(key, value);
    case TBlock::kArchive: return ArchiveSetting(key, value);
    case TBlock::kBlockOptions: return BlockSetting(key, value);
    case TBlock::kRecord: return RecordSetting(key, value);
    case TBlock::kFolder: return FolderSetting(key, value);
  }
}

void TDescriptionParser::SettingOnce(const std::string& key) {
  if (!settingsSeen_.insert(blockName_ + "/" + key).second) Fail("'" + key + "' is given twice in [" + blockName_ + "]");
}

uint64_t TDescriptionParser::Bounded(const std::optional<uint64_t>& value, uint64_t low, uint64_t high, const std::string& what) {
  if (!value || *value < low || *value > high)
    Fail(what + " takes a number from " + std::to_string(low) + " to " + std::to_string(high));
  return *value;
}

void TDescriptionParser::SetupSetting(const std::string& key, const std::string& value) {
  SettingOnce(key);
  if (key == "stub") {
    if (value.empty()) Fail("'stub' names a file");
    out_.stubPath = JoinPath(baseDir_, value);
  } else if (key.compare(0, 6, "field ") == 0) {
    int field = int(Bounded(NumberAfter(key, "field"), 0, kHeaderFieldCount - 1, "a header field"));
    builder_.SetField(field, value);
    headerGiven_.insert(field);
    if (!EmptySwitchProblem(field, value).empty()) emptySwitches_.push_back({field, line_});
  } else if (ProductSetting(key, value)) {
    named_ = true;
  } else if (const THeaderSetting* setting = FindHeaderSetting(key)) {
    named_ = true;
    namedValues_[setting->field] = {value, line_};
  } else {
    Fail("unknown setting '" + key + "' in [setup] (docs/publishing.md lists the settings; 'field N' sets any field)");
  }
}

void TDescriptionParser::ArchiveSetting(const std::string& key, const std::string& value) {
  SettingOnce(key);
  std::string v = NormaliseName(value);
  if (key == "mode") {
    if (v != "solid" && v != "per-file") Fail("'mode' is 'solid' or 'per-file'");
    out_.archive.solid = v == "solid";
  } else if (key == "disk size") {
    out_.archive.diskSize = Bounded(ParseSize(value), 0, UINT32_MAX, "'disk size'");
    diskSizeLine_ = line_;
  } else {
    Fail("unknown setting '" + key + "' in [archive] (it takes 'mode' and 'disk size')");
  }
}

void TDescriptionParser::BlockSetting(const std::string& key, const std::string& value) {
  SettingOnce(key);
  TLzmaStreamOptions& lzma = options_->lzma;
  std::string v = NormaliseName(value);
  if (key == "compression") {
    if (v != "lzma" && v != "stored") Fail("'compression' is 'lzma' or 'stored'");
    options_->compressed = v == "lzma";
  } else if (key == "lc" || key == "lp" || key == "pb") {
    uint32_t n = uint32_t(Bounded(ParseNumber(v), 0, kMaxLcLpPb, "'" + key + "'"));
    (key == "lc" ? lzma.lc : key == "lp" ? lzma.lp : lzma.pb) = n;
    if (key != "pb") lcLpLine_[options_] = line_;
  } else if (key == "dictionary") {
    lzma.dictionarySize = uint32_t(Bounded(ParseSize(value), kMinDictionary, kMaxDictionary, "'dictionary'"));
  } else if (key == "preset") {
    lzma.preset = uint32_t(Bounded(ParseNumber(v), 0, 9, "'preset'"));
  } else if (key == "end marker") {
    std::optional<bool> on = ParseSwitch(v);
    if (!on) Fail("'end marker' is 'on' or 'off'");
    lzma.endMarker = *on;
  } else if (key == "properties byte") {
    lzma.propertiesByte = uint8_t(Bounded(ParseNumber(v), 0, 255, "'properties byte'"));
  } else if (key == "dictionary field") {
    lzma.dictionaryField = uint32_t(Bounded(ParseSize(value), 0, UINT32_MAX, "'dictionary field'"));
  } else {
    Fail("unknown setting '" + key + "' in [" + blockName_ +
         "] (it takes compression, lc, lp, pb, dictionary, preset, end marker, properties byte, dictionary field)");
  }
}

void TDescriptionParser::RecordSetting(const std::string& key, const std::string& value) {
  const TRecordKind* kind = record_->kind;
  if (kind && key.compare(0, 6, "field ") == 0) {
    size_t index = size_t(Bounded(NumberAfter(key, "field"), 0, kind->fields.size() - 1, "a [" + kind->block + "] field"));
    return SetRecordField(index, kind->fields[index], value);
  }
  if (kind) {
    for (size_t i = 0; i < kind->fields.size(); ++i)
      if (kind->fields[i] == key) return SetRecordField(i, key, value);
  }
  if (ExtraSetting(key, value)) return;
  std::string known;
  for (const std::string& name : kind ? kind->fields : std::vector<std::string>{"code", "source", "content"})
    known += (known.empty() ? "" : ", ") + name;
  Fail("unknown field '" + key + "' in [" + blockName_ + "] (it takes " + known + ")");
}

void TDescriptionParser::SetRecordField(size_t index, const std::string& key, const std::string& value) {
  if (record_->fieldLines[index] != 0)
    Fail("'" + key + "' is given twice (first on line " + std::to_string(record_->fieldLines[index]) + ")");
  record_->fieldLines[index] = line_;
  std::string text = value;
  // A file time given as a date: four digits and a dash never begin a raw FILETIME.
  bool looksLikeDate = value.size() > 4 && value[4] == '-' && value.find_first_not_of("0123456789") == 4;
  if (record_->kind->section == kSectionFiles && index == kFileTimeField && looksLikeDate) {
    std::optional<uint64_t> ticks = ParseUtcDateTime(value);
    if (!ticks) Fail("'" + value + "' is not a UTC date and time of the form YYYY-MM-DD HH:MM:SS.fff");
    text = std::to_string(*ticks);
  }
  record_->fields[index] = text;
}

// source, content (files and resources), code (resources), messages and
// message N (languages).
bool TDescriptionParser::ExtraSetting(const std::string& key, const std::string& value) {
  const TRecordKind* kind = record_->kind;
  bool resource = kind == nullptr;
  bool file = kind && kind->block == "file";
  bool language = kind && kind->block == "language";
  bool known = ((resource || file) && (key == "source" || key == "content")) || (resource && key == "code") ||
               (language && (key == "messages" || key.compare(0, 8, "message ") == 0));
  if (!known) return false;
  std::string slot = (key == "source" || key == "content") ? "source or content" : key;
  if (!record_->extrasSeen.insert(slot).second) Fail("'" + slot + "' is given twice in this [" + blockName_ + "]");
  if (key == "source") {
    if (value.empty()) Fail("'source' names a file");
    record_->content = ReadSource(value);
    record_->sourcePath = JoinPath(baseDir_, value);
  } else if (key == "content") {
    record_->content = TBytes(value.begin(), value.end());
  } else if (key == "code") {
    record_->code = uint8_t(Bounded(ParseNumber(NormaliseName(value)), 0, 255, "'code'"));
  } else if (key == "messages") {
    ReadMessages(value);
  } else {
    int n = int(Bounded(NumberAfter(key, "message"), 1, kMessagesPerLanguage, "a message number"));
    std::string error;
    std::optional<std::string> message = DecodeMessage(value, error);
    if (!message) Fail(error);
    record_->messageOverrides[n] = *message;
  }
  return true;
}

TBytes TDescriptionParser::ReadSource(const std::string& path) const {
  std::string full = JoinPath(baseDir_, path);
  std::optional<std::string> bytes = readFile_(full);
  if (!bytes) throw TDescriptionReadError(file_, line_, "cannot read '" + full + "'");
  return TBytes(bytes->begin(), bytes->end());
}

void TDescriptionParser::ReadMessages(const std::string& path) {
  if (path.empty()) Fail("'messages' names a file");
  std::string full = JoinPath(baseDir_, path);
  std::optional<std::string> text = readFile_(full);
  if (!text) throw TDescriptionReadError(file_, line_, "cannot read '" + full + "'");
  std::vector<std::string> lines = SplitLines(*text);
  if (lines.size() > size_t(kMessagesPerLanguage))
    throw TDescriptionError(full, kMessagesPerLanguage + 1, "a language has 87 messages, one per line");
  std::string error;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find('\0') != std::string::npos) error = "NUL bytes cannot be written into a setup";
    std::optional<std::string> message = error.empty() ? DecodeMessage(lines[i], error) : std::nullopt;
    if (!message) throw TDescriptionError(full, int(i) + 1, error);
    record_->messages.push_back(*message);
  }
}

void TDescriptionParser::CloseRecord() {
  if (!record_) return;
  records_.push_back(std::move(*record_));
  record_.reset();
}

// Product values, the uninstaller and the texts and pictures of the wizard.
bool TDescriptionParser::ProductSetting(const std::string& key, const std::string& value) {
  static const std::map<std::string, std::pair<uint8_t, bool TNamedContext::*>> kResourceFiles = {
      {"licence", {15, &TNamedContext::licence}},       {"license", {15, &TNamedContext::licence}},
      {"information", {16, &TNamedContext::information}}, {"header picture", {4, &TNamedContext::headerPicture}},
      {"side picture", {5, &TNamedContext::sidePicture}}, {"background picture", {6, nullptr}},
      {"destination picture", {7, nullptr}},             {"shortcuts picture", {8, nullptr}}};
  TProductValues& p = context_.product;
  if (key == "product" || key == "version" || key == "publisher") {
    (key == "product" ? p.product : key == "version" ? p.version : p.publisher) = value;
  } else if (key == "product id") {
    if (value.empty() || value.find('\\') != std::string::npos)
      Fail("'product id' names the product's entry in the list of installed programs: a name without backslashes");
    productId_ = value;
  } else if (key == "uninstaller") {
    std::optional<bool> on = ParseSwitch(value);
    context_.uninstaller = !on || *on;
    uninstallerSource_ = on ? std::string() : value;
    uninstallerLine_ = line_;
  } else if (auto resource = kResourceFiles.find(key); resource != kResourceFiles.end()) {
    if (value.empty()) Fail("'" + key + "' names a file");
    out_.archive.resources.push_back({resource->second.first, ReadSource(value)});
    if (resource->second.second) context_.*(resource->second.second) = true;
  } else {
    return false;
  }
  return true;
}

void TDescriptionParser::FolderSetting(const std::string& key, const std::string& value) {
  static const std::set<std::string> kKeys = {"source", "target", "time", "existing", "uninstall", "attributes"};
  if (!kKeys.count(key))
    Fail("unknown setting '" + key + "' in [files] (it takes source, target, time, existing, uninstall, attributes)");
  if (folder_->lines.count(key)) Fail("'" + key + "' is given twice in this [files]");
  folder_->values[key] = value;
  folder_->lines[key] = line_;
}

void TDescriptionParser::CloseFolder() {
  if (!folder_) return;
  for (const char* needed : {"source", "target"})
    if (!folder_->values.count(needed)) Fail(std::string("a [files] needs a '") + needed + "'", folder_->line);
  folders_.push_back(std::move(*folder_));
  folder_.reset();
}
