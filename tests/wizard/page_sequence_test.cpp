#include "wizard/page_sequence.h"

#include <gtest/gtest.h>

#include "archive/setup_script.h"
#include "toolkit/memory_stream.h"

namespace {
std::vector<uint8_t> PagesWith(std::initializer_list<std::pair<int, const char*>> fields) {
  TMemoryStream empty;
  ParseScriptHeader(empty);
  for (int f : {111, 30, 84, 112, 86, 113, 22, 114, 115, 116}) SetFieldText(f, "0");
  for (auto [field, value] : fields) SetFieldText(field, value);
  return PagesOfScript();
}
}  // namespace

TEST(PageSequence, FollowsTheScriptsPageFlags) {
  EXPECT_EQ(PagesWith({}), (std::vector<uint8_t>{8, 10})) << "progress and done always";
  EXPECT_EQ(PagesWith({{111, "1"}, {30, "1"}, {84, "1"}, {112, "1"}, {86, "1"}, {113, "1"}, {22, "1"}, {114, "1"},
                       {115, "1"}, {116, "1"}}),
            (std::vector<uint8_t>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(PagesWith({{113, "1"}, {114, "1"}}), (std::vector<uint8_t>{8, 10}))
      << "Start Menu and Shortcuts pages need fields 86 and 22 as well";
  EXPECT_EQ(PagesWith({{86, "1"}, {22, "1"}, {116, ""}}), (std::vector<uint8_t>{8, 9, 10}))
      << "an empty flag field reads as set";
}
