// The built-in English messages: what every text holds for any product, and
// how the texts fit the values and captions the setup joins them with.
#include "mksetup/english_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const std::string& Msg(const std::vector<std::string>& messages, int n) { return messages.at(size_t(n - 1)); }

TEST(EnglishMessages, HoldForEveryProduct) {
  const std::set<int> empty = {53, 54, 55, 56};  // not used
  const std::set<int> naming = {1,  2,  3,  5,  6,  7,  8,  10, 12, 13, 17, 18, 20, 42, 46, 47, 49,
                                50, 52, 59, 62, 63, 68, 69, 74, 76, 77, 79, 81, 83, 84, 85, 86};
  const std::set<int> valueAfter = {8, 35, 36, 47, 52, 58, 73, 75, 78};  // joined with no separator
  const TMessageValues cases[] = {
      {"Velmora Notes", "2.1", "Velmora Ltd"},
      {std::string(" Velmora\tNotes\0 ", 16), "", ""},
      {"", "2.1", "Velmora Ltd"},
  };
  for (const TMessageValues& values : cases) {
    SCOPED_TRACE("product '" + values.product + "'");
    std::vector<std::string> m = EnglishMessages(values);
    ASSERT_EQ(m.size(), 87u);
    bool named = !values.product.empty();
    for (int n = 1; n <= 87; ++n) {
      SCOPED_TRACE(n);
      const std::string& text = Msg(m, n);
      ASSERT_EQ(text.empty(), empty.count(n) == 1);
      if (text.empty()) continue;
      EXPECT_EQ(text.find_first_of(std::string("{}&\0", 4)), std::string::npos);  // no placeholder, mnemonic, NUL
      EXPECT_EQ(text.find("  "), std::string::npos);
      EXPECT_EQ(text.back() == ' ', valueAfter.count(n) == 1);
      EXPECT_EQ(text[0] == ' ', n == 48);
      EXPECT_FALSE(islower(static_cast<unsigned char>(text[0])));
      std::ptrdiff_t breaks = 0;  // CR LF pairs; no CR or LF of its own
      for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++breaks;
      EXPECT_EQ(std::count(text.begin(), text.end(), '\r') + std::count(text.begin(), text.end(), '\n'), 2 * breaks);
      if (named && naming.count(n) == 1) {
        EXPECT_NE(text.find("Velmora Notes"), std::string::npos);
      }
    }
    EXPECT_EQ(Msg(m, 1).find("2.1") != std::string::npos, named && !values.version.empty());
    EXPECT_EQ(Msg(m, 2).find("from Velmora Ltd") != std::string::npos, !values.publisher.empty());
    if (!named) {
      EXPECT_EQ(Msg(m, 1), "Welcome to the Setup Wizard");
      EXPECT_EQ(Msg(m, 20), "Launch the program");
      EXPECT_EQ(Msg(m, 42), "Setup");
    }
  }
  // A name is written as it stands, never read for placeholders itself.
  EXPECT_EQ(Msg(EnglishMessages({"Odd {product} & Co", "", ""}), 20), "Launch Odd {product} & Co");
}

TEST(EnglishMessages, FitTheirJoinsAndCaptions) {
  std::vector<std::string> m = EnglishMessages({"Velmora Notes", "2.1", "Velmora Ltd"});
  // Not-enough-space: message 8, the drive letter, message 48 make one sentence.
  EXPECT_NE((Msg(m, 8) + "D" + Msg(m, 48)).find(" D "), std::string::npos);
  for (int n : {35, 36, 58, 73, 75, 78}) EXPECT_EQ(Msg(m, n).substr(Msg(m, n).size() - 2), ": ") << n;
  for (int n : {43, 44, 45}) EXPECT_EQ(Msg(m, n).substr(Msg(m, n).size() - 3), ":\r\n") << n;
  EXPECT_EQ(Msg(m, 86).back(), '.');  // message 87 follows after one space

  // A page's text names its buttons by their captions.
  const struct { int text, caption; } named[] = {{3, 27}, {4, 26}, {4, 24}, {7, 41}, {18, 22}, {63, 64}, {76, 41}};
  auto lower = [](std::string s) {
    for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (auto [text, caption] : named) {
    std::string word = lower(Msg(m, caption));
    for (std::string mark : {"< ", " >", "..."})
      if (size_t at = word.find(mark); at != std::string::npos) word.erase(at, mark.size());
    EXPECT_NE(lower(Msg(m, text)).find("click " + word + " "), std::string::npos) << text << " names " << word;
  }
  // A close request tells the Finish page by the Next button's caption.
  EXPECT_EQ((std::set<std::string>{Msg(m, 22), Msg(m, 23), Msg(m, 26), Msg(m, 41)}).size(), 4u);
  // Buttons hold about a dozen characters.
  for (int n : {22, 23, 24, 25, 26, 27, 41, 64}) EXPECT_LE(Msg(m, n).size(), 12u) << n;
}

}  // namespace
