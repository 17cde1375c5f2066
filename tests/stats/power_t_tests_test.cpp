#include "stats/power_t_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "case_table.h"
#include "figure_value.h"
#include "stats/power_anova.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using testing::Value;

PlanningGoal Goal(double power, int sides = 2, double alpha = 0.05, double dropout = 0) {
  return PlanningGoal{PlanningMode::kSampleSize, sides, alpha, power, dropout};
}

struct SizeCase {
  std::string name, source;
  PlanningGoal goal;
  TwoMeansInput input;
  double n1, n2, n1Normal, n1Dropout, powerAchieved, tCritical, ncp;  // NaN: not checked
};

TEST(PlanTwoMeans, PublishedSampleSizes) {
  const double x = kMissing;
  ForEachCase(std::vector<SizeCase>{
                  {"d05_power80", "G*Power 3: d = 0.5, two-sided 0.05, power 0.80: 64 per group", Goal(0.80),
                   {0.5, 0, 1}, 64, 64, 63, 64, x, x, x},
                  {"d05_power90", "G*Power 3: 86 per group, actual power 0.9032, critical t 1.9740, ncp 3.2787",
                   Goal(0.90), {0.5, 0, 1}, 86, 86, 85, 86, 0.9032, 1.9740, 3.2787},
                  {"protocol_dropout", "the protocol example: 120 vs 112, SD 15, 10% dropout: 57 and 64 per group",
                   Goal(0.80, 2, 0.05, 0.1), {120, 112, 15}, 57, 57, x, 64, x, x, x},
                  {"textbook_formula", "textbook example: δ = 12.33, S = 25, two-sided 0.05, 0.90: 86.39 → 87",
                   Goal(0.90), {12.33, 0, 25}, x, x, 87, x, x, x, x},
                  {"unequal_groups", "formula by hand: (1.959964 + 0.841621)²·(1 + 1/2)/0.25 = 47.09 → 48, n2 = 96",
                   Goal(0.80), {0.5, 0, 1, 2}, x, x, 48, x, x, x, x},
              },
              [](const SizeCase& c) {
                const FigureList f = ListFigures(PlanTwoMeans(c.goal, c.input), PlanningMode::kSampleSize);
                const auto expect = [&f](std::string_view key, double want, double tolerance) {
                  if (!std::isnan(want)) {
                    EXPECT_NEAR(Value(f, key).value_or(-1), want, tolerance) << key;
                  }
                };
                expect("n1", c.n1, 0);
                expect("n2", c.n2, 0);
                expect("n1_normal", c.n1Normal, 0);
                expect("n1_dropout", c.n1Dropout, 0);
                expect("power_achieved", c.powerAchieved, 5e-5);
                expect("t_critical", c.tCritical, 5e-5);
                expect("ncp", c.ncp, 5e-5);
              });
}

TEST(PlanPairedMeans, TextbookFormula) {
  // Textbook example: δ = 1, Sd = 1.2, two-sided 0.05, 0.90: (1.959964 + 1.281552)²·1.44 = 15.13 → 16 pairs.
  const PairedMeansPlan plan = PlanPairedMeans(Goal(0.90), {1, 1.2});
  EXPECT_EQ(plan.n_normal, 16);
  // d_z = 0.5, power 0.80 (G*Power 3, matched pairs): 34 pairs.
  EXPECT_EQ(PlanPairedMeans(Goal(0.80), {0.5, 1}).n, 34);
}

TEST(PlanAnova, PublishedSampleSize) {
  // G*Power 3: f = 0.25, 3 groups, 0.05, power 0.80: 53 per group, 159 in all.
  AnovaPlanningInput in;
  const double spread = 0.25 * std::sqrt(1.5);  // means 0, ±spread give f = 0.25
  in.means = {0, spread, -spread, kMissing, kMissing, kMissing};
  in.sd = 1;
  const AnovaPlan plan = PlanAnova(Goal(0.80), in);
  EXPECT_EQ(plan.n_per_group, 53);
  EXPECT_EQ(plan.n_total, 159);
  EXPECT_NEAR(plan.effect_f.value_or(0), 0.25, 1e-12);
  EXPECT_NEAR(plan.lambda.value_or(0), 9.9375, 1e-9);
}

struct PowerPointCase {
  std::string name, source;
  double df, ncp, critical;
  int sides;
  double power;
};

// Noncentral powers against mpmath (30 digits): t by integrating Φ over
// the chi-square of the denominator, F by its Poisson mixture of incomplete
// betas.
TEST(NoncentralPower, AgreesWithAnIndependentComputation) {
  ForEachCase(std::vector<PowerPointCase>{
                  {"t10", "mpmath quadrature", 10, 2.5, 2.2281388519649385, 2, 0.61653476496298138},
                  {"t126", "mpmath quadrature", 126, 2.8284271247461903, 1.9789706022, 2, 0.80145955786407825},
                  {"t30_one_sided", "mpmath quadrature", 30, 1.0, 1.6972608865939587, 1, 0.25227189276348063},
                  {"t5000", "mpmath quadrature", 5000, 3.0, 1.96, 2, 0.85080677401615009},
                  {"t3_small", "mpmath quadrature", 3, 0.5, 3.182446305284263, 2, 0.065294273609073767},
              },
              [](const PowerPointCase& c) {
                EXPECT_NEAR(NoncentralTPower(c.df, c.ncp, c.critical, c.sides), c.power, 1e-9);
              });
  // F rows: df1, df2 in df and sides, λ in ncp.
  ForEachCase(std::vector<PowerPointCase>{
                  {"f2_156", "mpmath Poisson mixture", 156, 9.9375, 3.054004174, 2, 0.80488728527664447},
                  {"f5_30", "mpmath Poisson mixture", 30, 20, 2.533554, 5, 0.90385289967776215},
                  {"f1_50", "mpmath Poisson mixture", 50, 4, 4.03431, 1, 0.50066514377685302},
                  {"f3_400", "mpmath Poisson mixture", 400, 0.5, 2.627, 3, 0.080824521025341038},
              },
              [](const PowerPointCase& c) {
                EXPECT_NEAR(NoncentralFPower(c.sides, c.df, c.ncp, c.critical), c.power, 1e-9);
              });
}

// The doubling-and-halving search against a scan one by one from the start.
TEST(PlanTwoMeans, SearchFindsWhatAScanFinds) {
  struct Row {
    PlanningGoal goal;
    TwoMeansInput input;
  };
  for (const Row& row : {Row{Goal(0.80), {1.3, 0, 1}}, Row{Goal(0.95, 1, 0.01), {0.8, 0.2, 1.1, 2.5}},
                         Row{Goal(0.70, 2, 0.2), {2, 0, 1, 0.3}}, Row{Goal(0.99), {0.9, 0, 1, 1}}}) {
    const TwoMeansPlan plan = PlanTwoMeans(row.goal, row.input);
    ASSERT_TRUE(plan.n1 && plan.n1_normal);
    const double k = row.input.ratio, d = std::fabs(row.input.mean1 - row.input.mean2) / row.input.sd;
    double n1 = SearchStart(*plan.n1_normal, 2);
    for (;; ++n1) {
      const double n2 = std::ceil(k * n1);
      const double df = n1 + n2 - 2;
      const double power = NoncentralTPower(df, d / std::sqrt(1 / n1 + 1 / n2),
                                            CriticalT(df, row.goal.alpha, row.goal.sides), row.goal.sides);
      if (power >= row.goal.power) break;
    }
    EXPECT_EQ(*plan.n1, n1) << row.input.mean1 << " ratio " << k;
  }
}

TEST(PlanTwoMeans, PowerMode) {
  PlanningGoal goal;
  goal.mode = PlanningMode::kPower;
  // G*Power 3: d = 0.5, 64 per group, two-sided 0.05: power 0.8015.
  const TwoMeansPlan plan = PlanTwoMeans(goal, {0.5, 0, 1, 1, 64, 64});
  EXPECT_NEAR(plan.power.value_or(0), 0.8015, 5e-5);
  // The normal formula's power: Φ(0.5·√32 − 1.959964) = Φ(0.868463) = 0.807430.
  EXPECT_NEAR(plan.power_normal.value_or(0), 0.807430, 5e-6);
  EXPECT_FALSE(plan.curve.empty());
}

struct ProblemCase {
  std::string name, source;
  PlanningGoal goal;
  TwoMeansInput input;
  PlanningProblem problem;
};

TEST(PlanTwoMeans, BadInputNamesTheInputAndLeavesTheSizesEmpty) {
  const PlanningGoal n = Goal(0.8);
  PlanningGoal power = n;
  power.mode = PlanningMode::kPower;
  using I = PlanningIssue;
  ForEachCase(std::vector<ProblemCase>{
                  {"alpha_zero", "alpha must be in (0, 0.5]", Goal(0.8, 2, 0), {1, 0, 1}, {"alpha", I::kOutOfRange}},
                  {"alpha_large", "alpha must be in (0, 0.5]", Goal(0.8, 2, 0.6), {1, 0, 1}, {"alpha", I::kOutOfRange}},
                  {"power_below_alpha", "power must be in (alpha, 1)", Goal(0.04), {1, 0, 1}, {"power", I::kOutOfRange}},
                  {"power_one", "power must be in (alpha, 1)", Goal(1), {1, 0, 1}, {"power", I::kOutOfRange}},
                  {"sd_zero", "SD must be > 0", n, {1, 0, 0}, {"sd", I::kOutOfRange}},
                  {"equal_means", "equal means: no effect", n, {3, 3, 1}, {"mean2", I::kNoEffect}},
                  {"ratio_zero", "ratio must be > 0", n, {1, 0, 1, 0}, {"ratio", I::kOutOfRange}},
                  {"dropout_one", "dropout must be in [0, 1)", Goal(0.8, 2, 0.05, 1), {1, 0, 1}, {"dropout", I::kOutOfRange}},
                  {"huge_effect", "d beyond the double range", n, {1e308, -1e308, 1}, {"mean2", I::kNotComputable}},
                  {"beyond_limit", "d = 0.0003 needs about 1.7e8 per group", n, {3e-4, 0, 1}, {"n1", I::kBeyondLimit}},
                  {"n1_not_whole", "n1 must be whole, 2 to 10,000,000", power, {1, 0, 1, 1, 10.5, 10}, {"n1", I::kOutOfRange}},
                  {"n2_too_large", "n2 must be whole, 2 to 10,000,000", power, {1, 0, 1, 1, 10, 2e7}, {"n2", I::kOutOfRange}},
              },
              [](const ProblemCase& c) {
                const TwoMeansPlan plan = PlanTwoMeans(c.goal, c.input);
                ASSERT_EQ(plan.problems.size(), 1u);
                EXPECT_EQ(plan.problems[0], c.problem);
                EXPECT_FALSE(plan.n1 || plan.power);
              });
}

}  // namespace
}  // namespace kelvasta
