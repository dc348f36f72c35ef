#include "mksetup/setup_report.h"

#include <cstdio>
#include <optional>
#include <tuple>
#include <utility>

#include "mksetup/header_settings.h"
#include "mksetup/publisher_layer.h"

namespace {

// A JSON string. ANSI texts have every byte above 0x7F written as \u00XX of
// its value; UTF-8 texts (the signer's names, valid by construction) pass.
std::string JsonText(const std::string& text, bool ansi = true) {
  std::string out = "\"";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F || (ansi && c > 0x7F)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", c);
      out += escape;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string JsonNamed(const std::optional<std::string>& named) { return named ? JsonText(*named) : "null"; }
std::string JsonBool(bool value) { return value ? "true" : "false"; }
std::string JsonNumber(int64_t value) { return std::to_string(value); }

using TMembers = std::vector<std::pair<std::string, std::string>>;  // names and JSON values

// Members and elements one to a line, nested values indented with them.
std::string JsonJoin(const std::vector<std::string>& items, const char* open, const char* close) {
  if (items.empty()) return std::string(open) + close;
  std::string out = open;
  for (size_t i = 0; i < items.size(); ++i) {
    out += (i ? ",\n  " : "\n  ");
    for (const char c : items[i]) out += c == '\n' ? std::string("\n  ") : std::string(1, c);
  }
  return out + "\n" + close;
}

std::string JsonObject(const TMembers& members) {
  std::vector<std::string> items;
  for (const auto& member : members) items.push_back(JsonText(member.first) + ": " + member.second);
  return JsonJoin(items, "{", "}");
}

std::string JsonArray(const std::vector<std::string>& values) { return JsonJoin(values, "[", "]"); }

// A small object on one line.
std::string JsonLine(const TMembers& members) {
  std::string out = "{";
  for (size_t i = 0; i < members.size(); ++i)
    out += (i ? ", " : "") + JsonText(members[i].first) + ": " + members[i].second;
  return out + "}";
}

std::string JsonSignature(const TSignatureInfo& s) {
  TMembers members = {{"signed", JsonBool(s.isSigned)}};
  if (!s.isSigned) return JsonLine(members);
  members.push_back({"tableOffset", JsonNumber(s.tableOffset)});
  members.push_back({"tableLength", JsonNumber(s.tableLength)});
  members.push_back({"signerReadable", JsonBool(s.signerKnown)});
  if (s.signerKnown) {
    members.push_back({"commonName", JsonText(s.commonName, false)});
    members.push_back({"organisation", JsonText(s.organisation, false)});
  }
  return JsonLine(members);
}

std::string JsonTrailer(const TInspection& in) {
  if (!in.trailerRead) return "null";
  const TArchiveTrailer& t = in.trailer;
  return JsonObject({{"itemCount", JsonNumber(t.itemCount)},
                     {"storedSizeCount", JsonNumber(int64_t(t.storedSizeCount))},
                     {"block0Offset", JsonNumber(int64_t(t.block0Offset))},
                     {"block0Length", JsonNumber(int64_t(t.block0Length))},
                     {"dataOffset", JsonNumber(int64_t(t.dataOffset))},
                     {"dataSize", JsonNumber(int64_t(t.dataSize))},
                     {"endMark", JsonNumber(t.endMark)}});
}

std::string JsonBlock(const TBlockInfo& b) {
  TMembers members = {{"disk", JsonNumber(b.disk)},
                      {"offset", JsonNumber(int64_t(b.offset))},
                      {"headerSound", JsonBool(b.headerSound)}};
  if (b.headerSound) {
    members.push_back({"storedSize", JsonNumber(b.storedSize)});
    members.push_back({"compressed", JsonBool(b.compressed)});
    members.push_back({"chunks", JsonNumber(b.chunkCount)});
  }
  return JsonLine(members);
}

std::string JsonBlocks(const TInspection& in) {
  if (!in.block0Read) return "null";
  std::vector<std::string> fileBlocks;
  for (const TBlockInfo& block : in.fileBlocks) fileBlocks.push_back(JsonBlock(block));
  return JsonObject({{"block0", JsonBlock(in.block0)},
                     {"mode", JsonText(in.solid ? "solid" : "per-file")},
                     {"fileBlocks", JsonArray(fileBlocks)}});
}

std::string JsonHeader(const TInspection& in) {
  std::vector<std::string> fields;
  for (int n = 0; n < int(in.header.size()); ++n)
    fields.push_back(JsonLine({{"field", JsonNumber(n)},
                               {"name", JsonText(HeaderSettingOf(n).name)},
                               {"value", JsonText(in.header[size_t(n)])},
                               {"named", JsonNamed(NamedSettingValue(HeaderSettingOf(n), in.header[size_t(n)]))}}));
  return JsonArray(fields);
}

std::string JsonRecords(const TInspection& in) {
  std::vector<std::string> records;
  for (const TRecordInfo& record : in.records) {
    TMembers fields, named;
    for (size_t j = 0; j < record.values.size(); ++j) {
      fields.push_back({record.fieldNames[j], JsonText(record.values[j])});
      if (auto form = NamedRecordField(record.section, j, record.values[j]))
        named.push_back({record.fieldNames[j], JsonText(*form)});
    }
    records.push_back(
        JsonLine({{"kind", JsonText(record.kind)}, {"fields", JsonLine(fields)}, {"named", JsonLine(named)}}));
  }
  return JsonArray(records);
}

std::string JsonLanguages(const TInspection& in) {
  std::vector<std::string> languages;
  for (const TLanguageInfo& l : in.languages) {
    std::vector<std::string> messages;
    for (const std::string& message : l.messages) messages.push_back(JsonText(message));
    languages.push_back(JsonObject({{"name", JsonText(l.name)},
                                    {"id", JsonText(l.id)},
                                    {"licence", JsonText(l.licence)},
                                    {"information", JsonText(l.information)},
                                    {"messageCount", JsonNumber(int64_t(l.messages.size()))},
                                    {"messages", JsonArray(messages)}}));
  }
  return JsonArray(languages);
}

std::string JsonSize(int64_t size) { return size < 0 ? "null" : JsonNumber(size); }

std::string JsonResources(const TInspection& in) {
  std::vector<std::string> resources;
  for (size_t i = 0; i < in.resources.size(); ++i)
    resources.push_back(JsonLine({{"item", JsonNumber(int64_t(i + 1))},
                                  {"code", JsonNumber(in.resources[i].code)},
                                  {"size", JsonSize(in.resources[i].size)}}));
  return JsonArray(resources);
}

std::string JsonFiles(const TInspection& in) {
  std::vector<std::string> files;
  for (const TFileInfo& f : in.files) {
    const std::string utc = UtcTimeText(f.time);
    TMembers named;
    for (const auto& [field, name, value] : {std::tuple<size_t, const char*, const std::string&>{0, "target", f.target},
                                              {1, "existing", f.existing},
                                              {3, "uninstall", f.uninstall},
                                              {4, "attributes", f.attributes}})
      if (auto form = NamedRecordField(kSectionFiles, field, value)) named.push_back({name, JsonText(*form)});
    files.push_back(JsonLine({{"target", JsonText(f.target)},
                              {"existing", JsonText(f.existing)},
                              {"time", JsonText(f.time)},
                              {"utc", utc.empty() ? "null" : JsonText(utc)},
                              {"uninstall", JsonText(f.uninstall)},
                              {"attributes", JsonText(f.attributes)},
                              {"size", JsonSize(f.size)},
                              {"named", JsonLine(named)}}));
  }
  return JsonArray(files);
}

}  // namespace

std::string InspectionJson(const TInspection& in) {
  std::vector<std::string> problems;
  for (const std::string& problem : in.problems) problems.push_back(JsonText(problem));
  TMembers file = {{"path", JsonText(in.path)}, {"readable", JsonBool(in.readable)}};
  if (in.readable) {
    file.push_back({"size", JsonNumber(int64_t(in.fileSize))});
    file.push_back({"signature", JsonSignature(in.signature)});
    file.push_back({"archiveEnd", JsonNumber(int64_t(in.archiveEnd))});
  }
  return JsonObject({{"file", JsonObject(file)},
                     {"trailer", JsonTrailer(in)},
                     {"blocks", JsonBlocks(in)},
                     {"header", in.scriptRead ? JsonHeader(in) : "null"},
                     {"records", JsonRecords(in)},
                     {"languages", JsonLanguages(in)},
                     {"resources", JsonResources(in)},
                     {"files", JsonFiles(in)},
                     {"sound", JsonBool(InspectionExitCode(in) == 0)},
                     {"problems", JsonArray(problems)}}) +
         "\n";
}
