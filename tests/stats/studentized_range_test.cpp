#include "stats/studentized_range.h"

#include <gtest/gtest.h>

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>
#include <vector>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct QuantileCase {
  const char* name;
  double p;
  int k;
  double df;
  double q;
  double tolerance;  // relative
  const char* source;
};

TEST(StudentizedRange, Quantiles) {
  // Table values have 4 significant digits, so they are checked to half a
  // unit of the last digit; scipy's to 1e-6.
  // clang-format off
  std::vector<QuantileCase> cases{
      {"table 0.95 k3 df5", 0.95, 3, 5, 4.602, 1.2e-4, "Harter (1960) table: q(0.95; 3, 5)"},
      {"table 0.95 k3 df10", 0.95, 3, 10, 3.877, 1.3e-4, "Harter (1960) table: q(0.95; 3, 10)"},
      {"table 0.95 k3 df20", 0.95, 3, 20, 3.578, 1.4e-4, "Harter (1960) table: q(0.95; 3, 20)"},
      {"table 0.95 k3 df60", 0.95, 3, 60, 3.399, 1.5e-4, "Harter (1960) table: q(0.95; 3, 60)"},
      {"table 0.95 k3 inf", 0.95, 3, kInf, 3.314, 1.5e-4, "Harter (1960) table: q(0.95; 3, ∞)"},
      {"table 0.99 k3 df5", 0.99, 3, 5, 6.976, 0.8e-4, "Harter (1960) table: q(0.99; 3, 5)"},
      {"table 0.99 k3 df10", 0.99, 3, 10, 5.270, 1.0e-4, "Harter (1960) table: q(0.99; 3, 10)"},
      {"table 0.99 k3 df20", 0.99, 3, 20, 4.639, 1.1e-4, "Harter (1960) table: q(0.99; 3, 20)"},
      {"table 0.99 k3 inf", 0.99, 3, kInf, 4.120, 1.3e-4, "Harter (1960) table: q(0.99; 3, ∞)"},
      {"scipy 0.95 k3 df10", 0.95, 3, 10, 3.8767767500131578, 1e-6, "scipy 1.10 studentized_range.ppf"},
      {"scipy 0.99 k3 df60", 0.99, 3, 60, 4.2821983587369221, 1e-6, "scipy 1.10 studentized_range.ppf"},
      {"scipy 0.95 k3 df2.5", 0.95, 3, 2.5, 6.7540209498790356, 1e-6, "scipy 1.10 studentized_range.ppf"},
      {"scipy median k3 df10", 0.5, 3, 10, 1.6446888587137876, 1e-6, "scipy 1.10 studentized_range.ppf"},
      {"scipy 0.05 k4 df15", 0.05, 4, 15, 0.75188447716883944, 1e-6, "scipy 1.10 studentized_range.ppf"},
      {"scipy 0.999 k3 df30", 0.999, 3, 30, 5.6978862280787244, 1e-6, "scipy 1.10 studentized_range.ppf"},
      {"scipy 0.95 k6 df24.5", 0.95, 6, 24.5, 4.3653234618403269, 1e-6, "scipy 1.10 studentized_range.ppf"},
  };
  // clang-format on
  ForEachCase(cases, [](const QuantileCase& c) {
    EXPECT_NEAR(StudentizedRangeQuantile(c.p, c.k, c.df), c.q, c.tolerance * c.q);
  });
}

struct TailCase {
  const char* name;
  double q;
  int k;
  double df;
  double cdf, upper;
  const char* source;
};

TEST(StudentizedRange, BothTails) {
  // clang-format off
  std::vector<TailCase> cases{
      {"k3 df10 centre", 3.5, 3, 10, 0.92289668916158962, 0.077103310838410377, "scipy 1.10 studentized_range cdf, sf"},
      {"k3 df10 low", 1.0, 3, 10, 0.23510918942128084, 0.7648908105787191, "scipy 1.10"},
      {"k3 df10 small q", 0.1, 3, 10, 0.0027520560662338341, 0.99724794393376615, "scipy 1.10"},
      {"k3 df2.5", 5.0, 3, 2.5, 0.90318764126695472, 0.096812358733045278, "scipy 1.10"},
      {"k3 df0.5", 2.0, 3, 0.5, 0.34382193814030843, 0.65617806185969152, "scipy 1.10"},
      {"k3 df2 far", 30.0, 3, 2, 0.99595654302270575, 0.0040434569772942464, "scipy 1.10"},
      {"k3 df17.5", 4.5, 3, 17.5, 0.9860537572159469, 0.013946242784053098, "scipy 1.10"},
      {"k5 df12", 3.0, 5, 12, 0.72746262933178152, 0.27253737066821848, "scipy 1.10"},
      {"k10 df30", 6.0, 10, 30, 0.99359272047780234, 0.0064072795221976619, "scipy 1.10"},
      {"k4 df1", 2.5, 4, 1.0, 0.43793574986602685, 0.56206425013397321, "scipy 1.10"},
      {"k3 inf", 3.314, 3, kInf, 0.94995585959388995, 0.050044140406110049, "scipy 1.10 with df = inf"},
      {"k4 inf", 6.0, 4, kInf, 0.99987018275467321, 0.00012981724532679095, "scipy 1.10 with df = inf"},
      // scipy loses digits below about 1e-10 here; these come from a
      // scipy.integrate.quad double integral in the other order, epsrel 1e-12.
      {"k20 df40 tiny cdf", 0.5, 20, 40, 9.52676410355855e-13, 1, "scipy 1.10 integrate.quad, R inside"},
      {"k50 df10 tiny cdf", 0.2, 50, 10, 3.45201464244624e-42, 1, "scipy 1.10 integrate.quad, R inside"},
  };
  // clang-format on
  ForEachCase(cases, [](const TailCase& c) {
    EXPECT_NEAR(StudentizedRangeCdf(c.q, c.k, c.df), c.cdf, 1e-6 * c.cdf);
    EXPECT_NEAR(StudentizedRangeUpperTail(c.q, c.k, c.df), c.upper, 1e-6 * c.upper);
  });
}

// Two means: Q = |X1 − X2|/S = √2·|T|, so P(Q > q) = 2·P(T > q/√2). This
// reaches the far tails (1e-14 and beyond) where no table does.
TEST(StudentizedRange, TwoMeansAgreeWithStudentT) {
  for (const double df : {0.7, 1.0, 3.0, 17.5, 120.0, 1e4, 1e6}) {
    for (const double q : {0.05, 0.8, 2.0, 4.0, 8.0, 12.0, 30.0}) {
      SCOPED_TRACE(::testing::Message() << "df " << df << " q " << q);
      const boost::math::students_t_distribution<double> t(df);
      const double upper = 2 * cdf(complement(t, q / std::sqrt(2.0)));
      EXPECT_NEAR(StudentizedRangeUpperTail(q, 2, df), upper, 1e-9 * upper);
      const double lower = cdf(t, q / std::sqrt(2.0)) - cdf(t, -q / std::sqrt(2.0));
      EXPECT_NEAR(StudentizedRangeCdf(q, 2, df), lower, 1e-9 * lower + 1e-15);
    }
  }
  EXPECT_NEAR(StudentizedRangeUpperTail(2, 2, kInf), std::erfc(1.0), 1e-12);
}

TEST(StudentizedRange, EdgesAndBadArguments) {
  EXPECT_EQ(StudentizedRangeCdf(0, 3, 10), 0);
  EXPECT_EQ(StudentizedRangeUpperTail(-1, 3, 10), 1);
  EXPECT_EQ(StudentizedRangeCdf(kInf, 3, 10), 1);
  EXPECT_NEAR(StudentizedRangeQuantile(StudentizedRangeCdf(2.7, 3, 7.3), 3, 7.3), 2.7, 1e-10);
  for (const double bad : {StudentizedRangeCdf(1, 1, 10), StudentizedRangeCdf(1, 3, 0), StudentizedRangeCdf(kNaN, 3, 5),
                           StudentizedRangeUpperTail(1, 3, -2), StudentizedRangeQuantile(1, 3, 10),
                           StudentizedRangeQuantile(0, 3, 10), StudentizedRangeQuantile(0.5, 3, kNaN)}) {
    EXPECT_TRUE(std::isnan(bad));
  }
}

}  // namespace
}  // namespace kelvasta
