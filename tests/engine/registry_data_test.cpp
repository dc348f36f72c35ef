#include "engine/registry_data.h"

#include <gtest/gtest.h>

TEST(HexDataBytes, TwoCharactersMakeOneByte) {
  EXPECT_EQ(HexDataBytes("0aFF1"), std::string("\x0A\xFF", 2)) << "the odd last character is ignored";
  EXPECT_EQ(HexDataBytes("00ff7F80"), std::string("\x00\xFF\x7F\x80", 4)) << "both cases, and zero bytes kept";
  EXPECT_EQ(HexDataBytes(""), "");
  EXPECT_EQ(HexDataBytes("A"), "");
}

TEST(HexDataBytes, APairStopsAtItsFirstOtherCharacter) {
  EXPECT_EQ(HexDataBytes("G1"), std::string(1, '\0'));
  EXPECT_EQ(HexDataBytes("1G"), "\x01");
  EXPECT_EQ(HexDataBytes("g0 1-2"), std::string("\x00\x00\x00", 3)) << "space and sign are not digits";
  // Each pair is read on its own: "1G" then "F0", not "1" then "GF0".
  EXPECT_EQ(HexDataBytes("1GF0"), "\x01\xF0");
}

TEST(HexDataBytes, ADollarOpensAPair) {
  EXPECT_EQ(HexDataBytes("$a"), "\x0A");
  EXPECT_EQ(HexDataBytes("$A$b"), "\x0A\x0B");
  EXPECT_EQ(HexDataBytes("$$"), std::string(1, '\0')) << "only one dollar is skipped";
  EXPECT_EQ(HexDataBytes("1$"), "\x01") << "a dollar after a digit ends the pair";
  EXPECT_EQ(HexDataBytes("$"), "");
}
