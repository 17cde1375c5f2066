#include "calc/plain_number.h"

#include <gtest/gtest.h>

#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct NumberCase {
  const char* name;
  const char* text;
  double value;
  const char* source;
};

TEST(ReadPlainNumber, WholeNumbersConvert) {
  std::vector<NumberCase> cases{
      {"integer", "12", 12, "digits only"},
      {"negative", "-3", -3, "leading minus"},
      {"plus sign", "+4", 4, "from_chars alone would refuse the plus"},
      {"no integer digit", ".5", 0.5, "the display after an operator and a point"},
      {"no fraction digit", "5.", 5, "a display ending in the point key"},
      {"negative point", "-.25", -0.25, "sign then point"},
      {"tenth", "0.1", 0.1, "correctly rounded, same double as the literal"},
      {"exponent form", "1E+300", 1e300, "DoubleToText of a large result"},
      {"small exponent", "1.5E-05", 1.5e-5, "DoubleToText of a small result"},
      {"largest", "1.7976931348623157E+308", 1.7976931348623157e308, "DBL_MAX still converts"},
  };
  ForEachCase(cases, [](const NumberCase& c) {
    const std::optional<double> value = ReadPlainNumber(c.text);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, c.value);
  });
}

struct RejectCase {
  const char* name;
  const char* text;
  const char* source;
};

TEST(ReadPlainNumber, AnythingElseFails) {
  std::vector<RejectCase> cases{
      {"empty", "", "no digit"},
      {"point alone", ".", "the point key right after an operator"},
      {"sign alone", "-", "no digit"},
      {"two points", "1.2.3", "one point at most"},
      {"exponent without mantissa", "E5", "a digit must come first"},
      {"exponent without digits", "1E", "from_chars would stop before the E"},
      {"leading blank", " 1", "the whole text must be the number"},
      {"decimal comma", "1,5", "independent of the locale's separator"},
      {"infinity word", "inf", "from_chars would take it"},
      {"hexadecimal", "0x10", "plain decimal only"},
      {"overflow", "1E999", "beyond the double range"},
      {"underflow", "1E-999", "beyond the double range the other way"},
  };
  ForEachCase(cases, [](const RejectCase& c) { EXPECT_FALSE(ReadPlainNumber(c.text).has_value()); });
}

}  // namespace
}  // namespace kelvasta
