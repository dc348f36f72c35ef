#include "mksetup/description.h"

#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "archive/setup_script.h"
#include "mksetup/english_messages.h"
#include "mksetup/product_files.h"
#include "mksetup/publisher_layer.h"
#include "mksetup/record_kinds.h"
#include "mksetup/script_builder.h"

TDescriptionError::TDescriptionError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message),
      file_(file),
      line_(line) {}

namespace {

constexpr uint32_t kMaxDictionary = 32u << 20;  // what setup.exe accepts
constexpr uint32_t kMinDictionary = 4096;       // the smallest the encoder uses
constexpr uint32_t kMaxLcLpPb = 4;              // the encoder's limits
constexpr size_t kMaxResources = 254;           // the item count is one byte

// ---- Text helpers -----------------------------------------------------------

// Lines end at LF or CR LF; a final line without either still counts.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    size_t stop = (end > start && text[end - 1] == '\r') ? end - 1 : end;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Names are compared in lower case with runs of blanks read as one space.
std::string NormaliseName(const std::string& text) {
  std::string out;
  for (char c : Trim(text)) {
    if (IsBlank(c)) {
      if (out.back() != ' ') out += ' ';
    } else {
      out += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
  }
  return out;
}

// Decimal, or hexadecimal after "0x"; no sign, nothing around it.
std::optional<uint64_t> ParseNumber(const std::string& text) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  size_t at = hex ? 2 : 0;
  if (at >= text.size()) return std::nullopt;
  uint64_t base = hex ? 16 : 10, value = 0;
  for (; at < text.size(); ++at) {
    char c = text[at];
    uint64_t digit;
    if (c >= '0' && c <= '9') digit = uint64_t(c - '0');
    else if (hex && c >= 'a' && c <= 'f') digit = uint64_t(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F') digit = uint64_t(c - 'A' + 10);
    else return std::nullopt;
    if (value > (UINT64_MAX - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

// A number of bytes, optionally followed by KiB or MiB (K and M also do).
std::optional<uint64_t> ParseSize(const std::string& text) {
  std::string t = NormaliseName(text);
  uint64_t unit = 1;
  for (const auto& [suffix, factor] : std::map<std::string, uint64_t>{
           {"kib", 1u << 10}, {"k", 1u << 10}, {"mib", 1u << 20}, {"m", 1u << 20}}) {
    if (t.size() > suffix.size() && t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        !(t[0] == '0' && t.size() > 1 && t[1] == 'x')) {
      t = Trim(t.substr(0, t.size() - suffix.size()));
      unit = factor;
      break;
    }
  }
  std::optional<uint64_t> value = ParseNumber(t);
  if (!value || *value > UINT64_MAX / unit) return std::nullopt;
  return *value * unit;
}

std::optional<bool> ParseSwitch(const std::string& text) {
  std::string t = NormaliseName(text);
  if (t == "on" || t == "yes" || t == "true" || t == "1") return true;
  if (t == "off" || t == "no" || t == "false" || t == "0") return false;
  return std::nullopt;
}

// "field 12" (and "message 12") give 12.
std::optional<uint64_t> NumberAfter(const std::string& name, const std::string& word) {
  if (name.compare(0, word.size() + 1, word + " ") != 0) return std::nullopt;
  return ParseNumber(name.substr(word.size() + 1));
}

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return true;
#ifdef _WIN32
  if (!path.empty() && path[0] == '\\') return true;
  if (path.size() >= 2 && path[1] == ':') return true;
#endif
  return false;
}

std::string JoinPath(const std::string& base, const std::string& path) {
  if (base.empty() || IsAbsolutePath(path)) return path;
  return base.back() == '/' ? base + path : base + "/" + path;
}

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
  size_t slash = path.find_last_of("/\\");
#else
  size_t slash = path.rfind('/');
#endif
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// ---- Date and time ----------------------------------------------------------

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

// "\n" is CR LF inside a message, "\\" a backslash; any other backslash is a
// mistake. Returns nothing and sets the error text on a mistake.
std::optional<std::string> DecodeMessage(const std::string& text, std::string& error) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else {
      error = "a backslash in a message is written '\\\\' ('\\n' is a line break)";
      return std::nullopt;
    }
  }
  return out;
}

// ---- Record kinds -----------------------------------------------------------

constexpr int kFileTimeField = 2;

// A record, or a resource (no kind), while its lines are being read.
struct TPendingRecord {
  const TRecordKind* kind = nullptr;
  int line = 0;                      // its "[...]" line
  std::vector<std::string> fields;
  std::vector<int> fieldLines;       // where each field was given; 0 = not given
  std::set<std::string> extrasSeen;  // source, content, messages, message n, code
  std::optional<TBytes> content;     // files and resources
  std::optional<uint8_t> code;       // resources
  std::string sourcePath;            // files: where "source" read them from
  std::vector<std::string> messages; // languages: from the messages file
  std::map<int, std::string> messageOverrides;
};

// ---- The parser -------------------------------------------------------------

class TParser {
public:
  TParser(std::string fileName, std::string baseDir, TFileReader readFile, std::string stubOverride = std::string())
      : file_(std::move(fileName)),
        baseDir_(std::move(baseDir)),
        readFile_(std::move(readFile)),
        stubOverride_(std::move(stubOverride)) {}
  TDescription Run(const std::string& text);

private:
  enum class TBlock { kSetup, kArchive, kBlockOptions, kRecord, kFolder };

  [[noreturn]] void Fail(const std::string& message, int line = -1) const {
    throw TDescriptionError(file_, line < 0 ? line_ : line, message);
  }
  void Line(const std::string& raw);
  void OpenBlock(const std::string& name);
  void Setting(const std::string& key, const std::string& value);
  void SettingOnce(const std::string& key);
  void SetupSetting(const std::string& key, const std::string& value);
  void ArchiveSetting(const std::string& key, const std::string& value);
  void BlockSetting(const std::string& key, const std::string& value);
  uint64_t Bounded(const std::optional<uint64_t>& value, uint64_t low, uint64_t high, const std::string& what);
  void RecordSetting(const std::string& key, const std::string& value);
  bool ExtraSetting(const std::string& key, const std::string& value);
  void SetRecordField(size_t index, const std::string& key, const std::string& value);
  void ReadMessages(const std::string& path);
  TBytes ReadSource(const std::string& path) const;
  void CloseRecord();
  void AddRecord(TPendingRecord& record);
  bool ProductSetting(const std::string& key, const std::string& value);
  void FolderSetting(const std::string& key, const std::string& value);
  void CloseFolder();
  void ConvertNamedRecord(TPendingRecord& record);
  std::vector<std::string> BuiltInMessages() const;
  void AddGeneratedRecord(const std::string& kind, const std::vector<std::string>& fields,
                          std::optional<TBytes> content = std::nullopt);
  void AddUninstaller();
  void AddProductFolders();
  void ApplyNamedSettings();
  void Finish();

  std::string file_, baseDir_;
  TFileReader readFile_;
  std::string stubOverride_;
  bool named_ = false;              // any named setting: the publisher's layer is on
  TNamedContext context_;
  std::map<int, std::pair<std::string, int>> namedValues_;  // field: value, line
  std::vector<std::pair<int, int>> emptySwitches_;          // raw "field N =": field, line
  std::string uninstallerSource_;   // "uninstaller =": a file, or "" for the one beside the stub
  int uninstallerLine_ = 0;
  std::vector<TPendingRecord> records_;  // added to the builder once the mode is known
  std::optional<TProductFolder> folder_;  // the open [files] block
  std::vector<TProductFolder> folders_;
  int line_ = 0;
  TBlock block_ = TBlock::kSetup;
  std::string blockName_ = "setup";
  TBlockOptions* options_ = nullptr;  // of [block 0] or [file blocks]
  std::optional<TPendingRecord> record_;
  std::set<std::string> settingsSeen_;  // "block/key" of the non-record blocks
  std::set<int> headerGiven_;
  int diskSizeLine_ = 0;
  std::map<const TBlockOptions*, int> lcLpLine_;
  TScriptBuilder builder_;
  TDescription out_;
};

TDescription TParser::Run(const std::string& text) {
  for (const std::string& line : SplitLines(text)) {
    ++line_;
    Line(line);
  }
  Finish();
  return std::move(out_);
}

void TParser::Line(const std::string& raw) {
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

void TParser::OpenBlock(const std::string& name) {
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

void TParser::Setting(const std::string& key, const std::string& value) {
  switch (block_) {
    case TBlock::kSetup: return SetupSetting(key, value);
    case TBlock::kArchive: return ArchiveSetting(key, value);
    case TBlock::kBlockOptions: return BlockSetting(key, value);
    case TBlock::kRecord: return RecordSetting(key, value);
    case TBlock::kFolder: return FolderSetting(key, value);
  }
}

void TParser::SettingOnce(const std::string& key) {
  if (!settingsSeen_.insert(blockName_ + "/" + key).second) Fail("'" + key + "' is given twice in [" + blockName_ + "]");
}

uint64_t TParser::Bounded(const std::optional<uint64_t>& value, uint64_t low, uint64_t high, const std::string& what) {
  if (!value || *value < low || *value > high)
    Fail(what + " takes a number from " + std::to_string(low) + " to " + std::to_string(high));
  return *value;
}

void TParser::SetupSetting(const std::string& key, const std::string& value) {
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

void TParser::ArchiveSetting(const std::string& key, const std::string& value) {
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

void TParser::BlockSetting(const std::string& key, const std::string& value) {
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

void TParser::RecordSetting(const std::string& key, const std::string& value) {
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

void TParser::SetRecordField(size_t index, const std::string& key, const std::string& value) {
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
bool TParser::ExtraSetting(const std::string& key, const std::string& value) {
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

TBytes TParser::ReadSource(const std::string& path) const {
  std::string full = JoinPath(baseDir_, path);
  std::optional<std::string> bytes = readFile_(full);
  if (!bytes) throw TDescriptionReadError(file_, line_, "cannot read '" + full + "'");
  return TBytes(bytes->begin(), bytes->end());
}

void TParser::ReadMessages(const std::string& path) {
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

void TParser::CloseRecord() {
  if (!record_) return;
  records_.push_back(std::move(*record_));
  record_.reset();
}

void TParser::AddRecord(TPendingRecord& record) {
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

std::vector<std::string> TParser::BuiltInMessages() const {
  const TProductValues& p = context_.product;
  return EnglishMessages(TMessageValues{p.product, p.version, p.publisher});
}

// Product values, the uninstaller and the texts and pictures of the wizard.
bool TParser::ProductSetting(const std::string& key, const std::string& value) {
  static const std::map<std::string, std::pair<uint8_t, bool TNamedContext::*>> kResourceFiles = {
      {"licence", {15, &TNamedContext::licence}},       {"license", {15, &TNamedContext::licence}},
      {"information", {16, &TNamedContext::information}}, {"header picture", {4, &TNamedContext::headerPicture}},
      {"side picture", {5, &TNamedContext::sidePicture}}, {"background picture", {6, nullptr}},
      {"destination picture", {7, nullptr}},             {"shortcuts picture", {8, nullptr}}};
  TProductValues& p = context_.product;
  if (key == "product" || key == "version" || key == "publisher") {
    (key == "product" ? p.product : key == "version" ? p.version : p.publisher) = value;
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

void TParser::FolderSetting(const std::string& key, const std::string& value) {
  static const std::set<std::string> kKeys = {"source", "target", "time", "existing", "uninstall", "attributes"};
  if (!kKeys.count(key))
    Fail("unknown setting '" + key + "' in [files] (it takes source, target, time, existing, uninstall, attributes)");
  if (folder_->lines.count(key)) Fail("'" + key + "' is given twice in this [files]");
  folder_->values[key] = value;
  folder_->lines[key] = line_;
}

void TParser::CloseFolder() {
  if (!folder_) return;
  for (const char* needed : {"source", "target"})
    if (!folder_->values.count(needed)) Fail(std::string("a [files] needs a '") + needed + "'", folder_->line);
  folders_.push_back(std::move(*folder_));
  folder_.reset();
}

// Named mode: the values of a record as the script stores them, with the
// defaults a publisher expects for what is not given.
void TParser::ConvertNamedRecord(TPendingRecord& record) {
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
void TParser::AddProductFolders() {
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
void TParser::AddGeneratedRecord(const std::string& kind, const std::vector<std::string>& fields,
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
void TParser::AddUninstaller() {
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
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + p.product;
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"DisplayName", p.product}, {"DisplayVersion", p.version}, {"Publisher", p.publisher},
      {"UninstallString", "\"" + program + "\""}, {"QuietUninstallString", "\"" + program + "\" /S"},
      {"DisplayIcon", program}, {"InstallLocation", "{install}"}};
  for (const auto& [name, data] : texts)
    if (!data.empty()) AddGeneratedRecord("registry", {"HKLM", key, name, data, "text", "on", "on"});
  const uint64_t kibibytes = (context_.fileBytes + 1023) / 1024;
  for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
           {"EstimatedSize", std::to_string(kibibytes)}, {"NoModify", "1"}, {"NoRepair", "1"}})
    AddGeneratedRecord("registry", {"HKLM", key, name, data, "number", "on", "on"});
  AddGeneratedRecord("folder", {"{install}", "on"});
  if (context_.groupShortcuts) AddGeneratedRecord("folder", {"{start menu programs}\\" + named(106), "on"});
}

// Named mode: the named header settings (a "field N" of the same field wins),
// then the defaults of everything not given.
void TParser::ApplyNamedSettings() {
  if (builder_.RecordCount(kSectionLanguages) == 0) builder_.AddLanguage("English", "1033", "", "", BuiltInMessages());
  std::set<int> given = headerGiven_;
  for (const auto& [field, valueAndLine] : namedValues_) {
    if (headerGiven_.count(field)) continue;
    std::string error;
    std::optional<std::string> value =
        SettingValue(HeaderSettingOf(field), valueAndLine.first, context_.product, error);
    if (!value) Fail(error, valueAndLine.second);
    builder_.SetField(field, *value);
    given.insert(field);
  }
  ApplyNamedDefaults(builder_, context_, given);
}

void TParser::Finish() {
  CloseRecord();
  CloseFolder();
  if (named_) {
    if (context_.product.product.empty()) Fail("a description with named settings gives 'product ='", 1);
    for (TPendingRecord& record : records_) ConvertNamedRecord(record);
    AddProductFolders();
    AddUninstaller();
  } else if (!emptySwitches_.empty()) {
    Fail(EmptySwitchProblem(emptySwitches_[0].first, ""), emptySwitches_[0].second);
  }
  for (TPendingRecord& record : records_) AddRecord(record);
  if (named_) ApplyNamedSettings();
  if (!headerGiven_.count(34)) builder_.SetField(34, out_.archive.solid ? "1" : "0");
  if (out_.archive.diskSize > 0) {
    if (out_.archive.solid) Fail("a disk size splits the blocks of per-file mode only", diskSizeLine_);
    if (builder_.Field(21).empty()) Fail("disk files need their names in field 21 (as disk@$&%19.pak)", diskSizeLine_);
  }
  for (const TBlockOptions* options : {&out_.archive.block0, &out_.archive.fileBlocks}) {
    if (options->lzma.lc + options->lzma.lp > kMaxLcLpPb)
      Fail("the encoder takes lc + lp up to 4; 'properties byte' writes any other header", lcLpLine_[options]);
  }
  out_.archive.script = builder_.Serialize();
  out_.diskNameTemplate = builder_.Field(21);
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

TDescription ParseDescription(const std::string& text, const std::string& fileName, const std::string& baseDir) {
  return ParseDescription(text, fileName, baseDir, ReadWholeFile);
}

TDescription ParseDescription(const std::string& text, const std::string& fileName, const std::string& baseDir,
                              const TFileReader& readFile) {
  return TParser(fileName, baseDir, readFile).Run(text);
}

TDescription LoadDescription(const std::string& path, const std::string& stubOverride) {
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text) throw std::runtime_error("cannot read '" + path + "'");
  return TParser(path, FolderOf(path), ReadWholeFile, stubOverride).Run(*text);
}
