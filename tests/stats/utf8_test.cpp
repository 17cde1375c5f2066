#include "stats/utf8.h"

#include <gtest/gtest.h>

namespace kelvasta {
namespace {

// Positions count characters, not bytes: "∝" and "界" take three bytes each.
TEST(Utf8, LengthCountsCodePoints) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("t界值表"), 4u);
  EXPECT_EQ(Utf8Length("\u221D     1.960"), 11u);
}

TEST(Utf8, MidTakesOneBasedCharacterPositionsAndClamps) {
  EXPECT_EQ(Utf8Mid("\u221D     1.960", 7, 5), "1.960");
  EXPECT_EQ(Utf8Mid("\u221D     1.960", 1, 7), "\u221D     1");
  EXPECT_EQ(Utf8Mid("abc", 0, 2), "ab");
  EXPECT_EQ(Utf8Mid("abc", 2, 99), "bc");
  EXPECT_EQ(Utf8Mid("abc", 4, 1), "");
  EXPECT_EQ(Utf8Mid("abc", 9, 1), "");
}

TEST(Utf8, TrimBlanksRemovesSpacesOnly) {
  EXPECT_EQ(TrimBlanks("  1.5  "), "1.5");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\t1 "), "\t1");
}

TEST(Utf8, LastCharacterIsAWholeCodePoint) {
  EXPECT_EQ(Utf8LastCharacter(""), "");
  EXPECT_EQ(Utf8LastCharacter("12"), "2");
  EXPECT_EQ(Utf8LastCharacter("12伍"), "伍");
  EXPECT_EQ(Utf8LastCharacter("a\U0001F600"), "\U0001F600");
}

}  // namespace
}  // namespace kelvasta
