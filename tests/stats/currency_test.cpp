#include "stats/currency.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <random>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

struct TextCase {
  const char* name;
  const char* text;
  std::optional<std::int64_t> raw;  // nullopt: must be rejected
  const char* source;
};

TEST(CurrencyFromText, ReadsPlainDecimalsAndRoundsHalvesToEven) {
  std::vector<TextCase> cases{
      {"whole", "12", 120000, "12 = 120000 ten-thousandths"},
      {"blanks around", "  12.5  ", 125000, "blanks are allowed around the number"},
      {"plus sign", "+3", 30000, "optional sign"},
      {"negative fraction", "-0.25", -2500, "-0.25 = -2500 ten-thousandths"},
      {"leading point", ".5", 5000, "one half"},
      {"trailing point", "5.", 50000, "digits with one point"},
      {"leading zeros", "0000000000000000000000012", 120000, "zeros add no digits"},
      {"half up to even", "1.23455", 12346, "1.2345|5: 5 is odd, rounds up to 1.2346"},
      {"half stays even", "1.23465", 12346, "1.2346|5: 6 is even, stays 1.2346"},
      {"just above half", "1.234650001", 12347, "above the half rounds up"},
      {"negative half", "-1.23455", -12346, "halves to even are symmetric"},
      {"half to zero", "0.00005", 0, "0.0000|5: 0 is even"},
      {"half from one", "0.00015", 2, "0.0001|5: 1 is odd, rounds to 0.0002"},
      {"exponent below place", "1.5E-05", 0, "0.000015 is below half of 0.0001"},
      {"exponent lower e", "2.5e1", 250000, "25"},
      {"exponent half", "1.5e-4", 2, "0.00015, half to even"},
      {"zero huge exponent", "0e999999", 0, "zero stays zero"},
      {"tiny exponent", "1e-999999999999", 0, "far below the last place"},
      {"largest", "922337203685477.5807", kMax, "upper end of the range"},
      {"largest rounded down", "922337203685477.58074", kMax, "rounds down into the range"},
      {"smallest", "-922337203685477.5808", kMin, "lower end of the range"},
      {"above largest", "922337203685477.5808", std::nullopt, "one past the upper end"},
      {"rounds past largest", "922337203685477.58075", std::nullopt, "tie rounds to even ...5808"},
      {"below smallest", "-922337203685477.5809", std::nullopt, "one past the lower end"},
      {"exponent overflow", "1e15", std::nullopt, "10^15 exceeds the range"},
      {"trailing minus", "12-", std::nullopt, "not a number"},
      {"lone minus", "-", std::nullopt, "no digit"},
      {"lone point", ".", std::nullopt, "no digit"},
      {"two points", "1.2.3", std::nullopt, "at most one point"},
      {"letters", "12ab", std::nullopt, "nothing else allowed"},
      {"empty", "", std::nullopt, "no digit"},
      {"separator", "1,000", std::nullopt, "no thousands separators"},
      {"exponent without digits", "1e", std::nullopt, "exponent needs digits"},
      {"exponent sign only", "1e+", std::nullopt, "exponent needs digits"},
      {"double sign", "--1", std::nullopt, "one sign at most"},
      {"inner blank", "1 2", std::nullopt, "blanks only around the number"},
  };
  ForEachCase(cases, [](const TextCase& c) {
    std::optional<Currency> value = Currency::FromText(c.text);
    ASSERT_EQ(value.has_value(), c.raw.has_value());
    if (c.raw) {
      EXPECT_EQ(value->raw(), *c.raw);
    }
  });
}

struct DoubleCase {
  const char* name;
  double value;
  std::optional<std::int64_t> raw;
  const char* source;
};

TEST(CurrencyFromDouble, RoundsTheDecimalTheDoubleStandsForHalvesToEven) {
  std::vector<DoubleCase> cases{
      {"half", 0.5, 5000, "exact"},
      {"tie above in binary", 1.23465, 12346, "decimal tie though the double is 1.2346500…025; 6 is even"},
      {"tie below in binary", 2.00005, 20000, "decimal tie though the double is 2.0000499…; 0 is even"},
      {"computed tie", 7743.0 / 160, 483938, "87·89/160 = 48.39375 exactly; 7 is odd, rounds up"},
      {"theoretical d", 4.99996, 50000, "4.9999|6 rounds up to 5"},
      {"above half", 1.234651, 12347, "above the half"},
      {"exact tie to even down", 0.03125, 312, "312.5 ten-thousandths exactly, 312 is even"},
      {"exact tie to even up", 0.09375, 938, "937.5 ten-thousandths exactly"},
      {"negative exact tie", -0.03125, -312, "symmetric"},
      {"plain", 123456.789, 1234567890, "double is 123456.789000000004..."},
      {"negative zero", -0.0, 0, "zero"},
      {"tiny", 1e-300, 0, "far below the last place"},
      {"near the top", 922337203685477.5, 9223372036854775000, "exact double inside the range"},
      {"past the top", 922337203685477.625, std::nullopt, "reads as 922337203685477.6, above the range"},
      {"huge", 1e300, std::nullopt, "out of range"},
      {"infinity", std::numeric_limits<double>::infinity(), std::nullopt, "not finite"},
      {"nan", std::numeric_limits<double>::quiet_NaN(), std::nullopt, "not finite"},
  };
  ForEachCase(cases, [](const DoubleCase& c) {
    std::optional<Currency> value = Currency::FromDouble(c.value);
    ASSERT_EQ(value.has_value(), c.raw.has_value());
    if (c.raw) {
      EXPECT_EQ(value->raw(), *c.raw);
    }
  });
}

struct ArithmeticCase {
  const char* name;
  const char* x;
  const char* y;
  std::optional<std::int64_t> raw;
  const char* source;
};

TEST(CurrencyArithmetic, ProductsRoundHalvesToEvenAndOverflowFails) {
  std::vector<ArithmeticCase> cases{
      {"whole", "6000", "6000", 360000000000, "36,000,000"},
      {"rounded", "1.2345", "1.0001", 12346, "1.23462345 -> 1.2346"},
      {"tie down", "0.0005", "0.5", 2, "0.00025 -> 0.0002 (even)"},
      {"tie up", "0.0015", "0.1", 2, "0.00015 -> 0.0002 (even)"},
      {"negative tie", "-0.0005", "0.5", -2, "symmetric"},
      {"overflow", "100000000", "100000000", std::nullopt, "10^16 exceeds the range"},
      {"largest times one", "922337203685477.5807", "1", kMax, "exact"},
  };
  ForEachCase(cases, [](const ArithmeticCase& c) {
    std::optional<Currency> product = Currency::FromText(c.x)->Times(*Currency::FromText(c.y));
    ASSERT_EQ(product.has_value(), c.raw.has_value());
    if (c.raw) {
      EXPECT_EQ(product->raw(), *c.raw);
    }
  });
}

TEST(CurrencyArithmetic, SumsAreExactAndFailOutsideTheRange) {
  Currency max = Currency::FromRaw(kMax);
  Currency min = Currency::FromRaw(kMin);
  Currency unit = Currency::FromRaw(1);
  EXPECT_EQ(Currency::FromText("0.1")->Plus(*Currency::FromText("0.2")), Currency::FromText("0.3"));
  EXPECT_FALSE(max.Plus(unit));
  EXPECT_FALSE(min.Minus(unit));
  EXPECT_FALSE(Currency{}.Minus(min));
  EXPECT_EQ(max.Minus(max), Currency{});
  EXPECT_EQ(min.Plus(max), Currency::FromRaw(-1));
}

struct IntegerCase {
  const char* name;
  const char* text;
  std::int64_t expected;
  const char* source;
};

TEST(CurrencyRoundToInteger, HalvesGoToEven) {
  std::vector<IntegerCase> cases{
      {"12.5", "12.5", 12, "halves to even"},
      {"13.5", "13.5", 14, "halves to even"},
      {"-2.5", "-2.5", -2, "halves to even"},
      {"-3.5", "-3.5", -4, "halves to even"},
      {"2.5001", "2.5001", 3, "above the half"},
      {"0.4999", "0.4999", 0, "below the half"},
      {"smallest", "-922337203685477.5808", -922337203685478, "lower end of the range"},
  };
  ForEachCase(cases, [](const IntegerCase& c) {
    EXPECT_EQ(Currency::FromText(c.text)->RoundToInteger(), c.expected);
  });
}

struct ToTextCase {
  const char* name;
  std::int64_t raw;
  const char* text;
  const char* source;
};

TEST(CurrencyToText, PlainDecimalWithoutTrailingZeros) {
  std::vector<ToTextCase> cases{
      {"zero", 0, "0", "no point when whole"},
      {"half", 5000, "0.5", "leading zero before the point"},
      {"negative quarter", -2500, "-0.25", "leading minus"},
      {"twelve and a half", 125000, "12.5", "no trailing zeros"},
      {"whole", 120000, "12", "no point when whole"},
      {"last place", 1, "0.0001", "inner zeros kept"},
      {"negative last place", -1, "-0.0001", "inner zeros kept"},
      {"inner zero", 1000100, "100.01", "inner zeros kept"},
      {"largest", kMax, "922337203685477.5807", "upper end"},
      {"smallest", kMin, "-922337203685477.5808", "lower end, no overflow on negation"},
  };
  ForEachCase(cases, [](const ToTextCase& c) { EXPECT_EQ(Currency::FromRaw(c.raw).ToText(), c.text); });
}

TEST(CurrencyToText, ReadsBackToTheSameValue) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 20000; ++i) {
    auto raw = static_cast<std::int64_t>(random()) >> (random() % 64);
    Currency value = Currency::FromRaw(raw);
    ASSERT_EQ(Currency::FromText(value.ToText()), value) << value.ToText();
  }
}

}  // namespace
}  // namespace kelvasta
