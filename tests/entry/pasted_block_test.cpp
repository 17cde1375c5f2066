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
      {"thousands separator", "1,234,567\t2,5\n", {{"1,234,567", "2,5"}}, "comma used both ways: left alone"},
      {"thousands", "1,000\n2,500\n3,750\n", {{"1000"}, {"2500"}, {"3750"}},
       "every comma followed by three digits groups thousands, not 1.000, 2.500, 3.750"},
      {"thousands with decimals", "1,234.5\t12,345,678\t3.5\n", {{"1234.5", "12345678", "3.5"}},
       "US-style grouping beside a decimal point"},
      {"leading zero is decimal", "0,500\t1,250\n", {{"0.500", "1.250"}}, "nobody groups 500 as 0,500"},
      {"text with a comma", "李, 四\t12,5\n", {{"李, 四", "12.5"}}, "only numbers decide how commas read"},
      {"empty", "", {}, "nothing on the clipboard"},
  };
  // clang-format on
  ForEachCase(cases, [](const BlockCase& c) { EXPECT_EQ(ParsePastedBlock(c.text), c.block); });
}

TEST(ParsePastedBlock, SaysHowCommasWereReadAndWhatWasCut) {
  PasteNotes notes;
  ParsePastedBlock("12,5\t3.5\n1,000\n", &notes);
  EXPECT_EQ(notes.commas, CommaReading::Unclear) << "a decimal comma beside a decimal point";
  EXPECT_EQ(notes.commaCells, 2u);
  const TextBlock block = ParsePastedBlock(std::string(kMaxCellLength + 5, '7') + "\t1\n", &notes);
  EXPECT_EQ(notes.cut, 1u);
  EXPECT_EQ(block[0][0].size(), kMaxCellLength) << "a data cell holds 32,767 characters";
}

TEST(NormaliseWidth, OnlyDigitsPointAndMinusChange) {
  EXPECT_EQ(NormaliseWidth("０１９．－−", false), "019.--");
  EXPECT_EQ(NormaliseWidth("3。5", false), "3。5");
  EXPECT_EQ(NormaliseWidth("3。5", true), "3.5");
  EXPECT_EQ(NormaliseWidth("第１组ａ", false), "第1组ａ") << "other full-width letters are kept";
}

}  // namespace
}  // namespace kelvasta
