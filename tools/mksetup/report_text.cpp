#include "mksetup/setup_report.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "mksetup/header_settings.h"
#include "mksetup/publisher_layer.h"

namespace {

std::string Number(uint64_t value) { return std::to_string(value); }

// Script texts as they stand, with line breaks and other control bytes made
// visible so that one value stays on one line.
std::string Shown(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  return out;
}

// A field in running text, where an empty one would leave a gap.
std::string Value(const std::string& text) { return text.empty() ? "(empty)" : Shown(text); }

// A value as stored, with its named form after it when it has one.
std::string WithNamed(const std::string& text, const std::optional<std::string>& named) {
  return named ? Shown(text) + " (" + Shown(*named) + ")" : Shown(text);
}

std::string SignatureLine(const TSignatureInfo& s) {
  if (!s.isSigned) return "no";
  std::string line = "yes";
  if (!s.signerKnown) return line + " (signer unreadable)";
  line += ", by " + (s.commonName.empty() ? std::string("(no common name)") : s.commonName);
  if (!s.organisation.empty()) line += " (" + s.organisation + ")";
  return line;
}

std::string FileSection(const TInspection& in) {
  std::string out = "setup: " + in.path + "\n  size: " + Number(in.fileSize) +
                    " bytes\n  signed: " + SignatureLine(in.signature) + "\n";
  if (in.signature.isSigned)
    out += "  certificate table: offset " + Number(in.signature.tableOffset) + ", " + Number(in.signature.tableLength) +
           " bytes\n";
  return out + "  archive ends at: " + Number(in.archiveEnd) + "\n";
}

std::string TrailerSection(const TArchiveTrailer& t) {
  char mark[8];
  std::snprintf(mark, sizeof mark, "0x%02X", t.endMark);
  return "trailer:\n  item count: " + Number(t.itemCount) + "\n  stored size count: " + Number(t.storedSizeCount) +
         "\n  block-0 offset: " + Number(t.block0Offset) + "\n  block-0 length: " + Number(t.block0Length) +
         "\n  data offset: " + Number(t.dataOffset) + "\n  data size: " + Number(t.dataSize) + "\n  end mark: " + mark +
         "\n";
}

std::string BlockLine(const std::string& name, const TBlockInfo& b) {
  std::string line =
      "  " + name + ": " + (b.disk == 1 ? "" : "disk " + std::to_string(b.disk) + ", ") + "offset " + Number(b.offset);
  if (!b.headerSound) return line + ", header damaged\n";
  return line + ", " + Number(b.storedSize) + " stored bytes, " + (b.compressed ? "lzma" : "stored") + ", " +
         Number(b.chunkCount) + (b.chunkCount == 1 ? " chunk\n" : " chunks\n");
}

std::string BlocksSection(const TInspection& in) {
  std::string out = std::string("blocks (") + (in.solid ? "solid" : "per-file") + " mode):\n" +
                    BlockLine("block 0", in.block0);
  if (in.solid && !in.fileBlocks.empty()) out += BlockLine("file data (solid)", in.fileBlocks[0]);
  if (!in.solid)
    for (size_t i = 0; i < in.fileBlocks.size(); ++i) out += BlockLine("file " + Number(i + 1), in.fileBlocks[i]);
  return out;
}

std::string HeaderSection(const TInspection& in) {
  std::string out = "header fields (those not empty):\n";
  char number[8];
  for (int n = 0; n < kHeaderFieldCount; ++n) {
    if (in.header[size_t(n)].empty()) continue;
    std::snprintf(number, sizeof number, "%5d ", n);
    const THeaderSetting& setting = HeaderSettingOf(n);
    out += number + std::string(setting.name) + " = " +
           WithNamed(in.header[size_t(n)], NamedSettingValue(setting, in.header[size_t(n)])) + "\n";
  }
  return out;
}

std::string RecordsSection(const TInspection& in) {
  std::string out = in.records.empty() ? "records: none\n" : "records:\n";
  for (const TRecordInfo& record : in.records) {
    out += "  [" + record.kind + "]\n";
    for (size_t j = 0; j < record.values.size(); ++j)
      out += "    " + record.fieldNames[j] + " = " +
             WithNamed(record.values[j], NamedRecordField(record.section, j, record.values[j])) + "\n";
  }
  return out;
}

std::string LanguagesSection(const TInspection& in) {
  std::string out = in.languages.empty() ? "languages: none\n" : "languages:\n";
  for (size_t k = 0; k < in.languages.size(); ++k) {
    const TLanguageInfo& l = in.languages[k];
    out += "  " + Number(k + 1) + ". " + Value(l.name) + ", id " + Value(l.id) + ", licence " +
           (l.licence.empty() ? "(empty: 15)" : Shown(l.licence)) + ", information " +
           (l.information.empty() ? "(empty: 16)" : Shown(l.information)) + ": " + Number(l.messages.size()) +
           " messages\n";
    if (!l.messages.empty()) out += "     message 1: " + Shown(l.messages[0]) + "\n";
  }
  return out;
}

std::string ResourceRole(uint8_t code) {
  switch (code) {
    case 4:
      return "header picture";
    case 5:
      return "side picture";
    case 7:
      return "Destination page picture";
    case 8:
      return "Shortcuts page picture";
    case 6:
      return "$inst\\6.tmp, background picture";
    case 15:
      return "$inst\\15.tmp, licence text";
    case 16:
      return "$inst\\16.tmp, information text";
    default:
      return "$inst\\" + Number(code) + ".tmp";
  }
}

std::string SizeText(int64_t size) { return size < 0 ? "unreadable" : std::to_string(size) + " bytes"; }

std::string ResourcesSection(const TInspection& in) {
  std::string out = in.resources.empty() ? "resources: none\n" : "resources:\n";
  for (size_t i = 0; i < in.resources.size(); ++i)
    out += "  item " + Number(i + 1) + ": code " + Number(in.resources[i].code) + " (" +
           ResourceRole(in.resources[i].code) + "), " + SizeText(in.resources[i].size) + "\n";
  return out;
}

// A field of a file record in running text, with its named form.
std::string FileField(size_t field, const std::string& value) {
  const std::optional<std::string> named = NamedRecordField(kSectionFiles, field, value);
  return named ? Value(value) + " (" + Shown(*named) + ")" : Value(value);
}

std::string FilesSection(const TInspection& in) {
  int64_t total = 0;
  for (const TFileInfo& f : in.files) total += std::max<int64_t>(f.size, 0);
  std::string out = "files: " + Number(in.files.size()) + ", " + std::to_string(total) + " bytes\n";
  for (const TFileInfo& f : in.files) {
    const std::string utc = UtcTimeText(f.time);
    out += "  " + FileField(0, f.target) + ": " + SizeText(f.size) + ", time " +
           (utc.empty() ? Value(f.time) + " (no calendar time)" : utc + " UTC") + ", existing " +
           FileField(1, f.existing) + ", uninstall " + FileField(3, f.uninstall) + ", attributes " +
           FileField(4, f.attributes) + "\n";
  }
  return out;
}

}  // namespace

std::string InspectionText(const TInspection& in) {
  std::string out;
  if (in.readable) out += FileSection(in);
  if (in.trailerRead) out += TrailerSection(in.trailer);
  if (in.block0Read) out += BlocksSection(in);
  if (in.scriptRead) out += HeaderSection(in) + RecordsSection(in) + LanguagesSection(in);
  if (in.block0Read) out += ResourcesSection(in);
  if (in.scriptRead) out += FilesSection(in);
  const size_t n = in.problems.size();
  if (!in.readable) return out + "result: the file cannot be read\n";
  return out + "result: " + (n == 0 ? "sound" : "damaged, " + Number(n) + (n == 1 ? " problem" : " problems")) + "\n";
}
