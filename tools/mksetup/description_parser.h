// The parser of a description, shared by the files that hold its parts:
// description_parser.cpp reads the lines, description_records.cpp builds the
// records, description.cpp checks the whole and gives the result.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mksetup/description.h"
#include "mksetup/product_files.h"
#include "mksetup/publisher_layer.h"
#include "mksetup/record_kinds.h"
#include "mksetup/script_builder.h"

constexpr uint32_t kMaxDictionary = 32u << 20;  // what setup.exe accepts
constexpr uint32_t kMinDictionary = 4096;       // the smallest the encoder uses
constexpr uint32_t kMaxLcLpPb = 4;              // the encoder's limits
constexpr size_t kMaxResources = 254;           // the item count is one byte
constexpr int kFileTimeField = 2;               // of a [file]

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

class TDescriptionParser {
public:
  TDescriptionParser(std::string fileName, std::string baseDir, TFileReader readFile, std::string stubOverride = std::string())
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
  // Reading the lines (description_parser.cpp).
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
  bool ProductSetting(const std::string& key, const std::string& value);
  void FolderSetting(const std::string& key, const std::string& value);
  void CloseFolder();

  // Building the records (description_records.cpp).
  void AddRecord(TPendingRecord& record);
  void ConvertNamedRecord(TPendingRecord& record);
  std::vector<std::string> BuiltInMessages() const;
  void AddGeneratedRecord(const std::string& kind, const std::vector<std::string>& fields,
                          std::optional<TBytes> content = std::nullopt);
  void AddUninstaller();
  void FindEarlierVersion(const std::string& entryKey);
  void AddProductFolders();

  // Once every line is read (description.cpp).
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
  std::string productId_;           // "product id =": the entry's key name; "" for the product's name
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
