#include "stats/number_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct DoubleTextCase {
  const char* name;
  double value;
  const char* text;
  const char* source;
};

TEST(DoubleToText, GeneralFormWithFifteenSignificantDigits) {
  std::vector<DoubleTextCase> cases{
      {"one third", 1.0 / 3, "0.333333333333333", "15 significant digits"},
      {"ten thousandth", 0.0001, "0.0001", "exponent -4 stays plain"},
      {"exponent -5", 0.000015, "1.5E-05", "exponent -5 switches to E form"},
      {"power -5", 1e-5, "1E-05", "mantissa without point"},
      {"fifteen digits", 123456789012345.0, "123456789012345", "exponent 14 stays plain"},
      {"power 15", 1e15, "1E+15", "exponent 15 switches to E form"},
      {"sixteen digits", 1234567890123456.0, "1.23456789012346E+15", "rounded to 15 digits"},
      {"zero", 0.0, "0", "zero"},
      {"negative zero", -0.0, "0", "no sign on zero"},
      {"negative", -2.5, "-2.5", "leading minus"},
      {"theoretical frequency", 22.5, "22.5", "T of a in the 20/30/25/25 example"},
      {"near five", 4.99996, "4.99996", "shortest digits survive"},
      {"repeating", 1.01010101010101, "1.01010101010101", "15 digits kept"},
      {"binary noise", 0.1 + 0.2, "0.3", "0.30000000000000004 rounds to 15 digits"},
      {"rounds to power", 999999999999999.875, "1E+15", "rounding moves the exponent"},
      {"three digit exponent", 1.5e-300, "1.5E-300", "at least two exponent digits"},
      {"big whole", 100000.0, "100000", "zeros before the point kept"},
      {"nan", std::numeric_limits<double>::quiet_NaN(), "", "a failed quantity has no text"},
      {"infinity", std::numeric_limits<double>::infinity(), "", "a failed quantity has no text"},
  };
  ForEachCase(cases, [](const DoubleTextCase& c) { EXPECT_EQ(DoubleToText(c.value), c.text); });
}

struct FormatCase {
  const char* name;
  const char* text;
  const char* formatted;
  const char* source;
};

TEST(FormatFourDecimals, RoundsHalfAwayFromZeroOnTheDigits) {
  std::vector<FormatCase> cases{
      {"leading point", ".5", "0.5000", "a leading point gets a 0"},
      {"negative leading point", "-.25", "-0.2500", "-. becomes -0."},
      {"whole", "3", "3.0000", "four decimals added"},
      {"half below binary", "2.00005", "2.0001", "the text's digits decide, not the double 2.0000499..."},
      {"half", "0.12345", "0.1235", "half away from zero"},
      {"exponent form", "1.5E-05", "0.0000", "0.000015 rounds to 0"},
      {"negative to zero", "-0.00001", "0.0000", "no negative zero"},
      {"negative half", "-0.00005", "-0.0001", "half away from zero"},
      {"carry", "9.99995", "10.0000", "carry into the integer part"},
      {"chi square", "1.01010101010101", "1.0101", "the 20/30/25/25 example"},
      {"shown critical", "3.83995", "3.8400", "reaches the 3.84 constant once shown"},
      {"large exponent", "1.23456789012346E+15", "1234567890123460.0000", "exponent form expanded"},
      {"blanks", " 2.5 ", "2.5000", "blanks around a number allowed"},
      {"empty", "", "", "not a number comes back unchanged"},
      {"letters", "abc", "abc", "not a number comes back unchanged"},
      {"inner letter", "1a2", "1a2", "not a number comes back unchanged"},
      {"beyond double", "1E+400", "1E+400", "no double has this value"},
      {"tiny exponent", "5E-400", "0.0000", "rounds to zero"},
  };
  ForEachCase(cases, [](const FormatCase& c) { EXPECT_EQ(FormatFourDecimals(c.text), c.formatted); });
}

TEST(FormatFourDecimals, RepairsEveryMinusPointOnlyWhenTheTextStartsWithOne) {
  // The repair leaves a text that is still not a number, which passes through.
  EXPECT_EQ(FormatFourDecimals("-.5-.5"), "-0.5-0.5");
  EXPECT_EQ(FormatFourDecimals("1-.5"), "1-.5");
}

TEST(FormatDecimals, OtherPlaceCounts) {
  EXPECT_EQ(FormatDecimals("2.345", 2), "2.35");
  EXPECT_EQ(FormatDecimals("-2.344", 2), "-2.34");
  EXPECT_EQ(FormatDecimals("0.995", 2), "1.00");
  EXPECT_EQ(FormatDecimals("2.5", 0), "3");
}

}  // namespace
}  // namespace kelvasta
