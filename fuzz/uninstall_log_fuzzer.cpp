// Treats the input as an uninstall log and reads it the way uninstall.exe
// does: the parser, the removal plan made from it, and every setting the
// window looks up. The same bytes also go through the trailer reader, as the
// end of an uninstaller's file. Nothing is removed: the plan is only walked.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/memory_stream.h"
#include "uninstaller/removal_paths.h"
#include "uninstaller/removal_plan.h"
#include "engine/uninstall_log_parser.h"
#include "uninstaller/uninstaller_trailer.h"

namespace {

constexpr int kSettingCount = 52;
const std::vector<std::string> kProtected = {"C:\\Windows", "C:\\Program Files", "\\\\server\\share\\Common"};

size_t Walk(const std::vector<TRemovalStep>& plan) {
  size_t sum = 0;
  for (const TRemovalStep& step : plan) {
    const TStepDetail& d = step.Detail();
    sum += step.path.size() + d.parameters.size() + d.fontName.size() + d.section.size() + d.key.size() +
           d.registryKey.size() + d.valueName.size() + size_t(d.root) + size_t(d.showCommand) + ItemName(step).size();
    // A refused path never reaches Windows; an accepted one passed the check.
    const bool pathChecked = step.kind == TStepKind::DeleteFile || step.kind == TStepKind::RemoveFolder ||
                             step.kind == TStepKind::UnregisterComponent || step.kind == TStepKind::RemoveIniKey ||
                             (step.kind == TStepKind::RemoveFont && !step.path.empty());
    if (pathChecked && !IsFullProductPath(step.path)) __builtin_trap();
    if (step.kind == TStepKind::RemoveFolder && IsProtectedFolder(step.path, kProtected)) __builtin_trap();
  }
  return sum;
}

}  // namespace

// The rss limit the fuzzer runs with leaves no room for AddressSanitizer's
// default 256 MB quarantine of freed memory.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TUninstallLog log = ParseUninstallLog(text);
  volatile size_t sink = Walk(BuildRemovalPlan(log, "C:\\Product\\uninstall.ini", kProtected));
  for (int k = -1; k <= kSettingCount; ++k) sink = sink + SettingText(log, k).size();

  TMemoryStream file(std::vector<uint8_t>(data, data + size));
  TUninstallerTrailer trailer;
  if (ReadUninstallerTrailer(file, trailer) == TTrailerState::Sound)
    sink = sink + trailer.logPath.size() + trailer.picture.size();
  return 0;
}
