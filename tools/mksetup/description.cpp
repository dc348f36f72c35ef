// A description once every line is read: the named settings, the checks of
// the whole, and the entry points.
#include "mksetup/description.h"

#include "mksetup/description_parser.h"
#include "mksetup/description_values.h"

TDescriptionError::TDescriptionError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message),
      file_(file),
      line_(line) {}

// Named mode: the named header settings (a "field N" of the same field wins),
// then the defaults of everything not given.
void TDescriptionParser::ApplyNamedSettings() {
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

void TDescriptionParser::Finish() {
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

TDescription ParseDescription(const std::string& text, const std::string& fileName, const std::string& baseDir) {
  return ParseDescription(text, fileName, baseDir, ReadWholeFile);
}

TDescription ParseDescription(const std::string& text, const std::string& fileName, const std::string& baseDir,
                              const TFileReader& readFile) {
  return TDescriptionParser(fileName, baseDir, readFile).Run(text);
}

TDescription LoadDescription(const std::string& path, const std::string& stubOverride) {
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text) throw std::runtime_error("cannot read '" + path + "'");
  return TDescriptionParser(path, FolderOf(path), ReadWholeFile, stubOverride).Run(*text);
}
