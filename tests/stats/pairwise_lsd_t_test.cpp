#include "stats/pairwise_lsd_t.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/beta.hpp>
#include <cmath>
#include <limits>
#include <numbers>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using Action = PairwiseOutcome::Action;
using Cells = std::array<std::string, 9>;
using Lines = std::array<std::string, 3>;

Lines LsdLines(const char* l12, const char* l13, const char* l23) {
  return {std::string("第1组与第2组比较：LSD-t=") + l12, std::string("第1组与第3组比较：LSD-t=") + l13,
          std::string("第2组与第3组比较：LSD-t=") + l23};
}

struct LsdCase {
  const char* name;
  Cells cells;
  double withinSS;
  double withinDf;
  Lines lines;
  const char* source;
};

TEST(RunPairwiseLsdT, LinesOfTStatisticAndExactP) {
  // p from I_{df/(df+t²)}(df/2, 1/2) of the t as shown.
  // clang-format off
  std::vector<LsdCase> cases{
      {"worked example", {"10", "2", "5", "12", "2.5", "5", "15", "3", "5"}, 48, 12,
       LsdLines("1.5811 p=0.1398", "3.9528 p=0.0019", "2.3717 p=0.0353"),
       "worked example: MSe 4, SE √1.6"},
      {"SD 0 is data", {"10", "0", "5", "12", "0", "5", "15", "0", "5"}, 48, 12,
       LsdLines("1.5811 p=0.1398", "3.9528 p=0.0019", "2.3717 p=0.0353"), "worked example, SDs 0"},
      {"p of the shown t", {"10", "1", "5", "11.002", "1", "5", "15", "1", "5"}, 48, 12,
       LsdLines("0.7922 p=0.4436", "3.9528 p=0.0019", "3.1607 p=0.0082"),
       "t 0.79215 gives p 0.443651 (0.4437); the shown 0.7922 gives 0.443623"},
      {"unequal sizes", {"10", "1", "3", "12.5", "1", "7", "14.5", "1", "12"}, 76, 19,
       LsdLines("1.8114 p=0.0859", "3.4857 p=0.0025", "2.1026 p=0.0491"), "SE √(4(1/ni + 1/nj)), df 19"},
      {"equal means", {"7", "1", "5", "7", "1", "5", "7", "1", "5"}, 48, 12,
       LsdLines("0.0000 p=1.0000", "0.0000 p=1.0000", "0.0000 p=1.0000"), "t = 0: p = 1"},
      {"p below the last decimal", {"0", "1", "5", "100", "1", "5", "200", "1", "5"}, 48, 12,
       LsdLines("79.0569 p=0.0000", "158.1139 p=0.0000", "79.0569 p=0.0000"), "p near 1e-16 and below"},
  };
  // clang-format on
  ForEachCase(cases, [](const LsdCase& c) {
    PairwiseOutcome out = RunPairwiseLsdT(c.cells, c.withinSS, c.withinDf);
    EXPECT_EQ(out.action, Action::Write);
    EXPECT_EQ(out.lines, c.lines);
    EXPECT_TRUE(out.sortedMeans.empty());
  });
}

TEST(RunPairwiseLsdT, IncompleteInputOrSmallDf) {
  Cells worked{"10", "2", "5", "12", "2.5", "5", "15", "3", "5"};
  auto with = [&](std::size_t cell, const char* text) {
    Cells cells = worked;
    cells[cell] = text;
    return cells;
  };
  struct StopCase {
    const char* name;
    Cells cells;
    double withinSS;
    double withinDf;
    Action action;
    const char* source;
  };
  // clang-format off
  std::vector<StopCase> cases{
      {"df 4", worked, 48, 4, Action::KeepLines, "below 5 nothing is written"},
      {"df 0 after undefined F", worked, 0, 0, Action::KeepLines, "kept values zeroed"},
      {"empty size", with(2, ""), 48, 12, Action::Blank, "no number"},
      {"size 0", with(5, "0"), 48, 12, Action::Blank, "a size must be positive"},
      {"mean not a number", with(6, "abc"), 48, 12, Action::Blank, "no number"},
      {"SSw 0", worked, 0, 12, Action::Blank, "SE 0"},
  };
  // clang-format on
  ForEachCase(cases, [](const StopCase& c) {
    PairwiseOutcome out = RunPairwiseLsdT(c.cells, c.withinSS, c.withinDf);
    EXPECT_EQ(out.action, c.action);
    EXPECT_EQ(out.lines, Lines{});
  });
}

struct ProbabilityCase {
  const char* name;
  double t;
  double df;
  double p;
  double tolerance;
  const char* source;
};

TEST(TwoTailedTProbability, TabulatedAndClosedFormValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // clang-format off
  std::vector<ProbabilityCase> cases{
      {"t 2.228 df 10", 2.228, 10, 0.05, 5e-4, "tabulated t(0.05) = 2.228 for 10 df"},
      {"t 3.169 df 10", 3.169, 10, 0.01, 5e-4, "tabulated t(0.01) = 3.169 for 10 df"},
      {"t 4.587 df 10", 4.587, 10, 0.001, 5e-5, "tabulated t(0.001) = 4.587 for 10 df"},
      {"t 1.96 df 1e6", 1.96, 1e6, 0.05, 5e-4, "normal 1.96"},
      {"t 2.576 df 1e6", 2.576, 1e6, 0.01, 5e-4, "normal 2.576"},
      {"t 0", 0, 12, 1, 0, "P(|T| > 0) = 1"},
      {"cauchy t 1", 1, 1, 0.5, 1e-15, "df 1: 1 - 2 atan(t)/π"},
      {"cauchy t 10", 10, 1, 1 - 2 * std::atan(10.0) / std::numbers::pi, 1e-15, "df 1: 1 - 2 atan(t)/π"},
      {"df 2 t 3", 3, 2, 1 - 3 / std::sqrt(11.0), 1e-15, "df 2: 1 - t/√(t² + 2)"},
      {"negative t", -3, 2, 1 - 3 / std::sqrt(11.0), 1e-15, "symmetric"},
      {"infinite df", 1.96, kInf, std::erfc(1.96 / std::numbers::sqrt2), 1e-15, "normal: erfc(t/√2)"},
      {"infinite t", kInf, 12, 0, 0, "no mass beyond infinity"},
  };
  // clang-format on
  ForEachCase(cases, [](const ProbabilityCase& c) {
    EXPECT_NEAR(TwoTailedTProbability(c.t, c.df), c.p, c.tolerance);
  });
}

TEST(TwoTailedTProbability, AgreesWithTheIncompleteBetaDefinition) {
  // P(|T| > t) = I_x(df/2, 1/2) with x = df/(df+t²); where x is near 1 the
  // same value 1 - I_{1-x}(1/2, df/2) is taken from 1 - x = t²/(df+t²),
  // which keeps the digits that forming x would lose.
  for (double df : {1.0, 2.0, 2.5, 5.0, 12.0, 27.0, 120.0, 1000.0}) {
    for (double t : {0.01, 0.5, 1.0, 1.5811, 2.3717, 3.9528, 6.0, 25.0}) {
      double expected = t * t < df ? boost::math::ibetac(0.5, df / 2, t * t / (df + t * t))
                                   : boost::math::ibeta(df / 2, 0.5, df / (df + t * t));
      EXPECT_NEAR(TwoTailedTProbability(t, df), expected, 1e-13 * expected) << "t " << t << " df " << df;
    }
  }
}

TEST(TwoTailedTProbability, NaNWhenItCannotBeComputed) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (auto [t, df] : {std::pair{2.0, 0.0}, {2.0, -3.0}, {2.0, kNaN}, {kNaN, 12.0}}) {
    EXPECT_TRUE(std::isnan(TwoTailedTProbability(t, df))) << "t " << t << " df " << df;
  }
}

}  // namespace
}  // namespace kelvasta
