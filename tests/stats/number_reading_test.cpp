#include "stats/number_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct ReadCase {
  const char* name;
  const char* text;
  double value;
  bool hasNumber;
  const char* source;
};

TEST(ReadLeadingNumber, ReadsTheNumberTheTextBeginsWith) {
  std::vector<ReadCase> cases{
      {"empty", "", 0, false, "no number gives 0"},
      {"letters", "abc", 0, false, "no number gives 0"},
      {"trailing minus", "12-", 12, true, "stops at the first character that cannot continue"},
      {"inner blank", "1 2", 12, true, "blanks anywhere are skipped"},
      {"tab cr lf", "\t1\r\n2", 12, true, "tabs, CR and LF are skipped too"},
      {"infinity line head", "\u221D     1", 0, false, "the t table's infinity line reads 0"},
      {"unit after", " 3.5kg", 3.5, true, "stops at k"},
      {"leading point negative", "-.5", -0.5, true, "sign, point, digits"},
      {"plus", "+7", 7, true, "optional plus sign"},
      {"exponent form", "1.5E-05", 0.000015, true, "the program's own exponent texts"},
      {"lower e", "2e3", 2000, true, "e or E"},
      {"e without digits", "3E", 3, true, "an E without digits ends the number before it"},
      {"e sign without digits", "3e+x", 3, true, "as above"},
      {"second point", "1.2.3", 1.2, true, "at most one point"},
      {"lone point", ".", 0, false, "no digit"},
      {"lone sign", "-", 0, false, "no digit"},
      {"sign then blank", "- 4", -4, true, "blanks between sign and digits are skipped"},
      {"shown statistic", "3.8400", 3.84, true, "a four-decimal caption reads as the constant 3.84"},
      {"correct rounding", "0.1", 0.1, true, "nearest double of 0.1"},
      {"many digits", "3.14159265358979323846264338327950288", 3.141592653589793, true,
       "the nearest double of pi"},
  };
  ForEachCase(cases, [](const ReadCase& c) {
    EXPECT_EQ(ReadLeadingNumber(c.text), c.value);
    EXPECT_EQ(BeginsWithNumber(c.text), c.hasNumber);
  });
}

TEST(ReadLeadingNumber, ExponentsBeyondTheDoubleRange) {
  EXPECT_EQ(ReadLeadingNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("1e-999"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("0.00001e-400"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("0e99999"), 0.0);
}

}  // namespace
}  // namespace kelvasta
