#include "platform/vb_text.h"

#include <gtest/gtest.h>

namespace hw {
namespace {

TEST(VbText, PositionsAreOneBasedAndCaseRulesHold) {
  EXPECT_EQ(0u, InStr("abc", "d"));
  EXPECT_EQ(2u, InStr("abcb", "b"));
  EXPECT_EQ(4u, InStr(3, "abcb", "b"));
  EXPECT_EQ(0u, InStr("ABC", "b"));
  EXPECT_EQ(2u, InStr("ABC", "b", true));
  EXPECT_EQ(4u, InStrRev("abcb", "b"));
  EXPECT_EQ("a b", Trim("  a b  "));
  EXPECT_EQ("\tx", Trim("\tx "));  // only spaces are trimmed
  EXPECT_TRUE(EqualsNoCase(u8"Straße É Дмитрий Łódź", u8"STRAßE é ДМИТРИЙ łÓDŹ"));
  EXPECT_FALSE(EqualsNoCase(u8"Дмитрий", u8"Дмитрия"));
  EXPECT_EQ(2u, InStr(u8"xДм", u8"дМ", true));
  EXPECT_EQ(u8"ŁÓDŹ ДМИТРИЙ 用户", UCase(u8"Łódź Дмитрий 用户"));
  EXPECT_EQ(u8"łódź дмитрий", LCase(u8"ŁÓDŹ ДМИТРИЙ"));
  EXPECT_EQ(u8"Łó用", LeftChars(u8"Łó用户", 3));  // characters, never part of one
}

TEST(VbText, ReplaceScansLeftToRightWithoutOverlap) {
  EXPECT_EQ("a\\\\b", Replace("a\\\\\\b", "\\\\", "\\"));  // three become two
  EXPECT_EQ("xXx", Replace("aXa", "A", "x", true));
  EXPECT_EQ("abc", CutAtNul(std::string("abc\0xyz", 7)));
}

}  // namespace
}  // namespace hw
