#include "stats/critical_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "case_table.h"
#include "stats/number_reading.h"
#include "stats/utf8.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

const std::string kRule =
    "\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014";

TEST(TTableText, HeadAndRuleLinesAreExact) {
  const std::string& table = TTableText();
  EXPECT_TRUE(table.ends_with("\r\n"));
  EXPECT_EQ(ReadTextBoxLine(table, 0), "          t界值表");
  EXPECT_EQ(ReadTextBoxLine(table, 1), kRule);
  EXPECT_EQ(ReadTextBoxLine(table, 2), "双侧   0.05     0.01     0.001");
  EXPECT_EQ(ReadTextBoxLine(table, 3), kRule);
  EXPECT_EQ(ReadTextBoxLine(table, 4), "1      12.70    63.65    636.6");
  EXPECT_EQ(ReadTextBoxLine(table, 52), "1000   1.962    2.581    3.300");
  EXPECT_EQ(ReadTextBoxLine(table, 53), "\u221D     1.960    2.575    3.291");
  EXPECT_EQ(ReadTextBoxLine(table, 54), kRule);
  EXPECT_EQ(ReadTextBoxLine(table, 55), "");
}

TEST(TTableText, DataLinesHaveFixedColumns) {
  const std::string& table = TTableText();
  double previousDf = 0;
  for (int line = 4; line <= 52; ++line) {
    std::string text = ReadTextBoxLine(table, line);
    SCOPED_TRACE(text);
    ASSERT_EQ(Utf8Length(text), 30u);
    EXPECT_EQ(Utf8Mid(text, 13, 4), "    ");
    EXPECT_EQ(Utf8Mid(text, 22, 4), "    ");
    double df = ReadLeadingNumber(Utf8Mid(text, 1, 7));
    EXPECT_GT(df, previousDf);  // strictly increasing: the lookup relies on it
    previousDf = df;
    // Critical values shrink as df grows, and grow with the level.
    double p05 = ReadLeadingNumber(Utf8Mid(text, 8, 5));
    double p01 = ReadLeadingNumber(Utf8Mid(text, 17, 5));
    double p001 = ReadLeadingNumber(Utf8Mid(text, 26, 5));
    EXPECT_LT(p05, p01);
    EXPECT_LT(p01, p001);
  }
  EXPECT_EQ(Utf8Length(ReadTextBoxLine(table, 53)), 29u);
}

TEST(ReadTextBoxLine, HandlesBothBreaksAndMissingLines) {
  EXPECT_EQ(ReadTextBoxLine("a\r\nb\nc", 1), "b");
  EXPECT_EQ(ReadTextBoxLine("a\r\nb\nc", 2), "c");
  EXPECT_EQ(ReadTextBoxLine("a\r\nb\nc", 3), "");
  EXPECT_EQ(ReadTextBoxLine("a\r\nb", -1), "");
  EXPECT_EQ(ReadTextBoxLine("a\rb\r\n", 0), "a\rb");
  EXPECT_EQ(ReadTextBoxLine(TTableText(), 56), "");
}

struct LookUpCase {
  const char* name;
  double df;
  const char* p05;
  const char* p01;
  const char* p001;
  const char* source;
};

TEST(LookUpTCritical, TakesTheLineOfTheLargestTabulatedDfNotAbove) {
  std::vector<LookUpCase> cases{
      {"df 1", 1, "12.70", "63.65", "636.6", "first data line as stored"},
      {"df 2.5", 2.5, "4.303", "9.925", "31.59", "between 2 and 3: the df-2 line"},
      {"df 40", 40, "2.021", "2.704", "3.551", "equal to a tabulated df"},
      {"df 41", 41, "2.021", "2.704", "3.551", "between 40 and 50: the df-40 line"},
      {"df 49", 49, "2.021", "2.704", "3.551", "between 40 and 50: the df-40 line"},
      {"df 50", 50, "2.009", "2.678", "3.496", "equal to a tabulated df"},
      {"df 999", 999, "1.965", "2.586", "3.310", "between 500 and 1000: the df-500 line"},
      {"df 1000", 1000, "1.962", "2.581", "3.300", "exactly 1000: the df-1000 line"},
      {"df 1001", 1001, "1.960", "2.575", "3.291", "above 1000: the infinity line"},
      {"df infinite", std::numeric_limits<double>::infinity(), "1.960", "2.575", "3.291",
       "above 1000: the infinity line"},
  };
  ForEachCase(cases, [](const LookUpCase& c) {
    std::optional<TCriticalTexts> texts = LookUpTCritical(TTableText(), c.df);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->p05, c.p05);
    EXPECT_EQ(texts->p01, c.p01);
    EXPECT_EQ(texts->p001, c.p001);
  });
}

TEST(LookUpTCritical, NoDataLineBelowOneOrForNaN) {
  EXPECT_FALSE(LookUpTCritical(TTableText(), 0.5));
  EXPECT_FALSE(LookUpTCritical(TTableText(), 0));
  EXPECT_FALSE(LookUpTCritical(TTableText(), -3));
  EXPECT_FALSE(LookUpTCritical(TTableText(), std::numeric_limits<double>::quiet_NaN()));
}

TEST(FTableItems, FixedWidthItemsWithTrailingTabsInside) {
  std::vector<std::string> items = FTableItems();
  ASSERT_EQ(items.size(), 20u);
  EXPECT_EQ(items[0], "001@199.5@4999.5");
  EXPECT_EQ(items[2], "003@9.550@30.820\t\t");
  EXPECT_EQ(items[2].substr(4, 5), "9.550");  // df 3, 0.05 level
  EXPECT_EQ(items[18], "120@3.070@4.7900\t\t");
  EXPECT_EQ(items[19], "000@3.000@4.6100");
  for (const std::string& item : items) {
    EXPECT_EQ(item[3], '@');
    EXPECT_EQ(item[9], '@');
  }
}

TEST(QTableItems, ValueForAMeansStandsAtFiveTimesAMinusOne) {
  std::vector<std::string> items = QTableItems();
  ASSERT_EQ(items.size(), 32u);
  EXPECT_EQ(items[0], "005\t3.64\t4.60\t5.22\t5.67\t6.03\t6.33\t6.58\t6.80\t6.99");
  EXPECT_EQ(items[1], "   \t5.70\t6.98\t7.80\t8.42\t8.91\t9.32\t9.67\t9.97\t10.24");
  auto value = [&](std::size_t item, std::size_t a) {
    return Utf8Mid(items[item], 5 * (a - 1), a == 10 ? 5 : 4);  // 1-based positions
  };
  EXPECT_EQ(value(23, 8), "5.54");  // df 30, 0.01 level
  EXPECT_EQ(value(1, 10), "10.24");
  EXPECT_EQ(items[22].substr(0, 3), "030");
  EXPECT_EQ(items[31].substr(0, 3), "   ");
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(items[i]);
    EXPECT_FALSE(items[i].ends_with("\t"));
    // Values grow with a; down a column at one level they shrink as df grows.
    for (std::size_t a = 2; a <= 10; ++a) {
      if (a < 10) {
        EXPECT_LT(ReadLeadingNumber(value(i, a)), ReadLeadingNumber(value(i, a + 1)));
      }
      if (i + 2 < items.size()) {
        EXPECT_GE(ReadLeadingNumber(value(i, a)), ReadLeadingNumber(value(i + 2, a)));
      }
    }
  }
}

}  // namespace
}  // namespace kelvasta
