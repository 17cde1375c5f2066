#include "stats/power_categories.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "case_table.h"
#include "stats/count_figures.h"

#include <boost/math/distributions/chi_squared.hpp>

namespace kelvasta {
namespace {

using testing::ForEachCase;

PlanningGoal Goal(double power, int sides = 2) {
  return PlanningGoal{PlanningMode::kSampleSize, sides, 0.05, power, 0};
}

bool Has(const std::vector<PlanningProblem>& problems, std::string_view key, PlanningIssue issue) {
  for (const PlanningProblem& p : problems)
    if (p.key == key && p.issue == issue) return true;
  return false;
}

RxcPlanningInput TwoByTwo(double a, double b) {
  RxcPlanningInput in;
  in.equalShares = true;
  in.p[0] = {a, 1 - a, kMissing, kMissing};
  in.p[1] = {b, 1 - b, kMissing, kMissing};
  return in;
}

// Independent forms of the noncentral chi-square's upper tail: with one
// degree of freedom it is Φ(√λ − √c) + Φ(−√λ − √c); with more, the Poisson
// mixture Σ e^(−λ/2)(λ/2)^k/k!·P(χ²_{df+2k} ≥ c).
double MixtureTail(double df, double lambda, double c) {
  double tail = 0;
  for (int k = 0; k < 400; ++k) {
    const double weight = std::exp(-lambda / 2 + k * std::log(lambda / 2) - std::lgamma(k + 1.0));
    tail += weight * boost::math::cdf(boost::math::complement(boost::math::chi_squared_distribution<double>(df + 2 * k), c));
  }
  return tail;
}

TEST(PlanRxc, NoncentralChiSquareAndTheSearch) {
  const double c1 = 3.841458820694124, c5 = 11.070497693516351;  // χ²_{0.95} with 1 and 5 df
  const auto normal = [](double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); };
  EXPECT_NEAR(NoncentralChiSquarePower(1, 7.92, 0.05),
              normal(std::sqrt(7.92) - std::sqrt(c1)) + normal(-std::sqrt(7.92) - std::sqrt(c1)), 1e-12);
  EXPECT_NEAR(NoncentralChiSquarePower(5, 19.8, 0.05), MixtureTail(5, 19.8, c5), 1e-12);
  // w = 0.3 in a 2 x 2 of equal groups: 0.65/0.35 against 0.35/0.65 (w = φ).
  // With df = 1 power 0.80 needs λ = 7.849 (the closed form above), N = 87.2 → 88.
  const RxcPlan plan = PlanRxc(Goal(0.80), TwoByTwo(0.65, 0.35));
  EXPECT_NEAR(plan.effect_w.value_or(0), 0.3, 1e-12);
  EXPECT_EQ(plan.df, 1);
  EXPECT_EQ(plan.n_total, 88);
  EXPECT_EQ(plan.n_groups[0], 44);
  EXPECT_NEAR(plan.chi2_critical.value_or(0), c1, 1e-9);
  EXPECT_GE(plan.power_achieved.value_or(0), 0.80);
}

TEST(PlanRxc, UnequalSharesRoundEachGroupUp) {
  // Three groups, 0.5 / 0.3 / 0.2 of the total; an empty third category is
  // left out, so df = (3 − 1)(2 − 1).
  RxcPlanningInput in;
  in.rows = 3;
  in.categories = 3;
  in.shares = {0.5, 0.3, 0.2};
  in.p[0] = {0.2, 0.8, 0};
  in.p[1] = {0.4, 0.6, 0};
  in.p[2] = {0.5, 0.5, 0};
  const RxcPlan plan = PlanRxc(Goal(0.80), in);
  ASSERT_TRUE(plan.n_total);
  EXPECT_EQ(plan.df, 2);
  EXPECT_EQ(plan.n_groups[1], std::ceil(0.3 * *plan.n_total));
  // w by hand: p·1 = 0.32; Σ sᵢ(pᵢ − 0.32)²/(0.32·0.68) = 0.0156/0.2176.
  EXPECT_NEAR(*plan.effect_w, std::sqrt(0.0156 / 0.2176), 1e-12);
}

struct OrdinalCase {
  std::string name, source;
  OrdinalPlanningInput input;
  double p, n1, n2;
};

TEST(PlanOrdinal, NoethersFormulaWithTies) {
  ForEachCase(std::vector<OrdinalCase>{
                  {"mirror_grades",
                   "by hand: p = 0.75, p̄ⱼ = 0.25, N = 7.8489·0.9375/(12·0.25·0.0625) = 39.24, n1 = ⌈19.62⌉",
                   {{0.1, 0.2, 0.3, 0.4}, {0.4, 0.3, 0.2, 0.1}}, 0.75, 20, 20},
                  {"twice_the_controls",
                   "by hand: k = 2, t = 1/3, p = 0.635, 1 − Σp̄³ = 0.93044, N = 7.8489·0.93044/(12·(2/9)·0.135²) = 150.27",
                   {{0.1, 0.2, 0.3, 0.4}, {0.2, 0.3, 0.3, 0.2}, 2}, 0.635, 51, 102},
              },
              [](const OrdinalCase& c) {
                const OrdinalPlan plan = PlanOrdinal(Goal(0.80), c.input);
                EXPECT_NEAR(plan.prob_superiority.value_or(0), c.p, 1e-12);
                EXPECT_EQ(plan.n1, c.n1);
                EXPECT_EQ(plan.n2, c.n2);
              });
  // The details pane's U/(n1·n2) of counts in these shares: the same p.
  const OrdinalFigures pane = OrdinalCountFigures({10, 20, 30, 40, 40, 30, 20, 10});
  EXPECT_NEAR(*pane.prob_superiority, 0.75, 1e-12);
}

TEST(PlanCategories, SharesThatDoNotSumToOneAreNoted) {
  RxcPlanningInput rxc = TwoByTwo(0.6, 0.3);
  rxc.p[1][1] = 0.6;  // 0.3 + 0.6
  EXPECT_TRUE(Has(PlanRxc(Goal(0.8), rxc).problems, "p_2_1", PlanningIssue::kShareSum));
  rxc = TwoByTwo(0.6, 0.3);
  rxc.equalShares = false;
  rxc.shares = {0.6, 0.3, kMissing};
  EXPECT_TRUE(Has(PlanRxc(Goal(0.8), rxc).problems, "share_1", PlanningIssue::kShareSum));
  EXPECT_TRUE(Has(PlanRxc(Goal(0.8), TwoByTwo(0.4, 0.4)).problems, "p_1_1", PlanningIssue::kNoEffect));
  OrdinalPlanningInput grades{{0.1, 1.2, 0, 0}, {0.25, 0.25, 0.25, 0.25}};
  EXPECT_TRUE(Has(PlanOrdinal(Goal(0.8), grades).problems, "p1_2", PlanningIssue::kOutOfRange));
  grades.p1 = {0.25, 0.25, 0.25, 0.2505};  // within 0.001 of 1: accepted
  EXPECT_FALSE(Has(PlanOrdinal(Goal(0.8), grades).problems, "p1_1", PlanningIssue::kShareSum));
  grades.p1 = {0.25, 0.25, 0.25, 0.25};  // as the second group: p = ½
  EXPECT_TRUE(Has(PlanOrdinal(Goal(0.8), grades).problems, "p2_1", PlanningIssue::kNoEffect));
}

}  // namespace
}  // namespace kelvasta
