// Treats the input as a setup description and parses it the way mksetup
// does, up to the serialized script. The files a description names
// ("source", "messages") are never read from disk, so the harness stays
// away from the file system: a name that ends in "missing" cannot be read,
// any other reads as a short text of two lines. A fault in the text must
// end in a TDescriptionError; any other exception escapes and is a finding.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "mksetup/description.h"

namespace {

std::optional<std::string> NamedFile(const std::string& path) {
  const std::string missing = "missing";
  if (path.size() >= missing.size() && path.compare(path.size() - missing.size(), missing.size(), missing) == 0)
    return std::nullopt;
  return path + "\nsecond line\\n of a message\n";
}

}  // namespace

extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const TDescription description = ParseDescription(text, "fuzz.setup", "base", NamedFile);
    volatile size_t sink = description.archive.script.size() + description.archive.files.size() +
                           description.archive.resources.size() + description.stubPath.size();
    (void)sink;
  } catch (const TDescriptionError&) {
  }
  return 0;
}
