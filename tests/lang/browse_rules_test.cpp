#include "lang/browse_rules.h"

#include <gtest/gtest.h>

TEST(BrowseRules, TheProductFolderIsAppendedOutsideTheDefaultOnly) {
  const std::string kDefault = "C:\\Program Files\\Product";
  struct TCase {
    const char* chosen;
    const char* defaultFolder;
    const char* productFolder;
    const char* expected;
  } const cases[] = {
      {"D:\\", kDefault.c_str(), "Product", "D:\\Product"},
      {"C:\\Program Files", kDefault.c_str(), "Product", "C:\\Program Files\\Product"},
      {"C:\\Program Files\\Product\\Sub", kDefault.c_str(), "Product", "C:\\Program Files\\Product\\Sub"},
      {"C:\\Program Files\\Product\\", kDefault.c_str(), "Product", "C:\\Program Files\\Product"},
      {"c:\\program files\\product\\x", kDefault.c_str(), "Product", "c:\\program files\\product\\x"},
      {"C:\\Program Files\\ProductX", kDefault.c_str(), "Product", "C:\\Program Files\\ProductX"},
      {"D:\\", kDefault.c_str(), "", "D:\\"},
      {"D:\\Games\\", kDefault.c_str(), "", "D:\\Games"},
      {"D:\\Games", kDefault.c_str(), "Velmora\\Tool", "D:\\Games\\Velmora\\Tool"},
      {"D:\\Games", "", "Product", "D:\\Games"},
      // Only a to z fold: an accented capital is another letter.
      {"C:\\\xC9t\xE9\\Product", "C:\\\xE9t\xE9\\Product", "Product", "C:\\\xC9t\xE9\\Product\\Product"},
      {"", kDefault.c_str(), "Product", ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FolderAfterBrowse(c.chosen, c.defaultFolder, c.productFolder), c.expected)
        << "chosen '" << c.chosen << "', default '" << c.defaultFolder << "', product '" << c.productFolder << "'";
}
