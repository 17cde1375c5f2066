// The number texts of the details pane, at their rounding edges.
#include "app/details/figure_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace kelvasta {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct TextCase {
  const char* name;
  std::optional<double> value;
  const char* shown;
};

// Four decimals, half away from zero on the 15-digit text, as the panels do.
const TextCase kFigures[] = {
    {"half_up", 1.23455, "1.2346"},
    {"half_away_negative", -1.23455, "-1.2346"},
    {"below_half", 1.234549, "1.2345"},
    {"exponent_text_rounds_up", 0.00005, "0.0001"},
    {"negative_rounds_to_unsigned_zero", -0.00004, "0.0000"},
    {"padded", 2.5, "2.5000"},
    {"large", 123456789.123456, "123456789.1235"},
    {"missing", std::nullopt, "—"},
    {"nan", kNaN, "—"},
    {"infinite", kInf, "—"},
};

TEST(FigureTextTest, FourDecimals) {
  for (const TextCase& c : kFigures) EXPECT_EQ(FigureText(c.value), QString::fromUtf8(c.shown)) << c.name;
}

const TextCase kPValues[] = {
    {"just_below_limit", 0.0000999999, "<0.0001"},
    {"would_round_up_to_limit", 0.00005, "<0.0001"},
    {"at_limit", 0.0001, "0.0001"},
    {"above_limit_rounds_down", 0.000149999, "0.0001"},
    {"half_at_05", 0.04995, "0.0500"},
    {"zero", 0.0, "<0.0001"},
    {"one", 1.0, "1.0000"},
    {"missing", std::nullopt, "—"},
};

TEST(FigureTextTest, PValues) {
  for (const TextCase& c : kPValues) EXPECT_EQ(PText(c.value), QString::fromUtf8(c.shown)) << c.name;
}

const TextCase kDegrees[] = {
    {"whole", 18.0, "18"},
    {"zero", 0.0, "0"},
    {"welch_fraction", 17.5, "17.5000"},
    {"nearly_whole", 17.99999, "18.0000"},
    {"missing", std::nullopt, "—"},
};

TEST(FigureTextTest, DegreesOfFreedom) {
  for (const TextCase& c : kDegrees) EXPECT_EQ(DfText(c.value), QString::fromUtf8(c.shown)) << c.name;
}

TEST(FigureTextTest, Intervals) {
  struct IntervalCase {
    const char* name;
    std::optional<double> low;
    std::optional<double> high;
    const char* shown;
  };
  // The first row is the interval of the worked two-sample example.
  const IntervalCase cases[] = {
      {"worked_example", 0.8354, 5.5646, "0.8354 ~ 5.5646"},
      {"rounded_ends", -1.23455, 0.00004, "-1.2346 ~ 0.0000"},
      {"missing_low", std::nullopt, 1.0, "—"},
      {"infinite_high", 0.5, kInf, "—"},
  };
  for (const IntervalCase& c : cases)
    EXPECT_EQ(IntervalText(c.low, c.high), QString::fromUtf8(c.shown)) << c.name;
}

}  // namespace
}  // namespace kelvasta
