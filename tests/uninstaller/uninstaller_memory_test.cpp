// How much memory the uninstaller's reading of a large log takes: a log of
// 60 MiB (a product of about a million files, mostly "[f]" lines of 40 to 80
// characters) is parsed and planned while every allocation is counted. The
// bounds are the uninstaller's promise; the ratios are printed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "counting_allocator.h"
#include "engine/uninstall_log_parser.h"
#include "uninstaller/removal_plan.h"

namespace {

constexpr size_t kLogBytes = size_t(60) << 20;
constexpr double kParseBound = 3.0, kPlanBound = 5.0;

struct TGenerated {
  std::string text;
  size_t files = 0, folders = 0, registryValues = 0;
};

// Paths as a product's files have them: a few levels of folders, names of
// varying length. A fixed sequence, so every run measures the same log.
TGenerated RealisticLog() {
  TGenerated log;
  log.text.reserve(kLogBytes + 4096);
  uint32_t state = 12345;
  auto next = [&state](uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  const char* const kFolders[] = {"C:\\Program Files\\Velmora\\", "C:\\Program Files\\Velmora\\data\\",
                                  "C:\\Program Files\\Velmora\\plugins\\codec\\", "C:\\Velmora\\share\\doc\\"};
  const char* const kExtensions[] = {".dll", ".dat", ".txt", ".png", ".exe", ".xml"};
  std::string text = "[f]\r\n";
  log.text += text;
  std::string line;
  while (log.text.size() < kLogBytes - (size_t(1) << 20)) {
    line = std::to_string(++log.files) + "=" + kFolders[next(4)];
    const size_t nameLength = 4 + next(36);
    for (size_t i = 0; i < nameLength; ++i) line += char('a' + next(26));
    line += kExtensions[next(6)];
    log.text += line + "\r\n";
  }
  log.text += "[e]\r\n";
  for (; log.folders < 5000; ++log.folders)
    log.text += std::to_string(log.folders + 1) + "=C:\\Program Files\\Velmora\\data\\set" +
                std::to_string(log.folders) + "\r\n";
  while (log.text.size() < kLogBytes - 4096) {
    ++log.registryValues;
    log.text += "[r" + std::to_string(log.registryValues) + "]\r\n0=2\r\n1=Software\\Velmora\\Product\\Keys" +
                std::to_string(log.registryValues % 100) + "\r\n2=Value" + std::to_string(log.registryValues) + "\r\n";
  }
  log.text += "[s]\r\n";
  for (int k = 0; k <= 51; ++k) log.text += std::to_string(k) + "=Text " + std::to_string(k) + "\r\n";
  return log;
}

}  // namespace

TEST(UninstallerMemory, ParsingAndPlanningALargeLogStayWithinAFewTimesItsSize) {
  const TGenerated generated = RealisticLog();
  const double size = double(generated.text.size());
  const size_t base = counting_allocator::CurrentBytes();
  counting_allocator::ResetPeak();

  TUninstallLog log = ParseUninstallLog(generated.text);
  const double parsePeak = double(counting_allocator::PeakBytes() - base) / size;
  const double parseHeld = double(counting_allocator::CurrentBytes() - base) / size;
  const std::vector<TRemovalStep> plan = BuildRemovalPlan(log, "C:\\Program Files\\Velmora\\uninstall.ini");
  const double totalPeak = double(counting_allocator::PeakBytes() - base) / size;
  const double planHeld = double(counting_allocator::CurrentBytes() - base) / size - parseHeld;

  printf("log %.1f MiB, %zu files, %zu folders, %zu registry values, %zu-bit pointers\n", size / (1 << 20),
         generated.files, generated.folders, generated.registryValues, sizeof(void*) * 8);
  printf("parse: peak %.2fx the log, %.2fx held after; plan: %.2fx held; parse and plan: peak %.2fx\n", parsePeak,
         parseHeld, planHeld, totalPeak);

  // What was read is all there, so the bounds measure the real thing.
  ASSERT_NE(log.Find("f"), nullptr);
  EXPECT_EQ(log.Find("f")->entries.size(), generated.files);
  EXPECT_EQ(log.Find("s")->Value("51"), "Text 51");
  EXPECT_EQ(plan.size(), generated.files + generated.folders + generated.registryValues + 1);
  EXPECT_LE(parsePeak, kParseBound);
  EXPECT_LE(totalPeak, kPlanBound);
}
