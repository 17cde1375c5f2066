#include "entry/pasted_block.h"

#include <gtest/gtest.h>

#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct BlockCase {
  const char* name;
  std::string text;
  TextBlock block;
  const char* source;
};

TEST(ParsePastedBlock, SpreadsheetClipboardTexts) {
  // clang-format off
  std::vector<BlockCase> cases{
      {"two columns CRLF", "1\t2\r\n3\t4\r\n", {{"1", "2"}, {"3", "4"}}, "Excel and WPS end every row with CR LF"},
      {"no final break", "1\t2\n3", {{"1", "2"}, {"3"}}, "LibreOffice without a trailing line break"},
      {"empty cells kept", "1\t\t3\n\t5\n", {{"1", "", "3"}, {"", "5"}}, "a blank cell keeps its place"},
      {"header row", "第1组\t第2组\n12.5\t9\n", {{"第1组", "第2组"}, {"12.5", "9"}}, "header stays text"},
      {"full width", "１２．５\t－３\n", {{"12.5", "-3"}}, "input method in full-width mode"},
      {"blanks around", " 7 \t\u30008\u3000\n", {{"7", "8"}}, "spaces and ideographic spaces trimmed"},
      {"full stop", "3。5\n", {{"3.5"}}, "the ideographic full stop as decimal point"},
      {"decimal commas", "12,5\t3\n-0,25\t4,0\n", {{"12.5", "3"}, {"-0.25", "4.0"}}, "a German or French sheet"},
      {"commas with points", "12,5\t3.5\n", {{"12,5", "3.5"}}, "not consistent: left alone"},
      {"thousands separator", "1,234,567\t2,5\n", {{"1,234,567", "2,5"}}, "comma used otherwise: left alone"},
      {"empty", "", {}, "nothing on the clipboard"},
  };
  // clang-format on
  ForEachCase(cases, [](const BlockCase& c) { EXPECT_EQ(ParsePastedBlock(c.text), c.block); });
}

TEST(NormaliseWidth, OnlyDigitsPointAndMinusChange) {
  EXPECT_EQ(NormaliseWidth("０１９．－−", false), "019.--");
  EXPECT_EQ(NormaliseWidth("3。5", false), "3。5");
  EXPECT_EQ(NormaliseWidth("3。5", true), "3.5");
  EXPECT_EQ(NormaliseWidth("第１组ａ", false), "第1组ａ") << "other full-width letters are kept";
}

}  // namespace
}  // namespace kelvasta
