#include "stats/power_rates.h"

#include <gtest/gtest.h>

#include <boost/math/distributions/binomial.hpp>
#include <cmath>
#include <string>

#include "case_table.h"
#include "figure_value.h"
#include "stats/exact_rate_power.h"
#include "stats/fisher_exact.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using testing::Value;

PlanningGoal Goal(double power, int sides = 2, double alpha = 0.05) {
  return PlanningGoal{PlanningMode::kSampleSize, sides, alpha, power, 0};
}

bool Has(const std::vector<PlanningProblem>& problems, std::string_view key, PlanningIssue issue) {
  for (const PlanningProblem& p : problems)
    if (p.key == key && p.issue == issue) return true;
  return false;
}

struct FormulaCase {
  std::string name, source;
  PlanningGoal goal;
  TwoRatesInput input;
  double n1Normal, n1Corrected, n2Normal;  // NaN: not checked
};

TEST(PlanTwoRates, PublishedFormulaSizes) {
  const double x = kMissing;
  // The textbook writes u = 2 for 1.96: two-sided α with z = 2 is 2(1 − Φ(2)).
  const double alphaZ2 = 0.045500263896358417;
  ForEachCase(std::vector<FormulaCase>{
                  {"fleiss_06_04", "Fleiss's tables: 0.60 vs 0.40, two-sided 0.05, power 0.80: 97, corrected 107",
                   Goal(0.80), {0.60, 0.40}, 97, 107, 97},
                  {"textbook_45_25",
                   "《医学统计学》例11.5 (qihuangzhishu.com/953/111.htm): 近控率45%与25%, α = 0.05, 1−β = 0.50 "
                   "(u = 2): 45.5 → 每组46例",
                   Goal(0.50, 2, alphaZ2), {0.45, 0.25}, 46, x, x},
                  {"unequal_groups",
                   "by hand: k = 2, p̄ = 0.4667: (1.959964·√(0.24889·1.5) + 0.841621·√(0.24 + 0.12))²/0.04 = 72.47",
                   Goal(0.80), {0.60, 0.40, 2}, 73, x, 146},
              },
              [](const FormulaCase& c) {
                const FigureList f = ListFigures(PlanTwoRates(c.goal, c.input), PlanningMode::kSampleSize);
                EXPECT_EQ(Value(f, "n1_normal").value_or(-1), c.n1Normal);
                if (!std::isnan(c.n1Corrected)) {
                  EXPECT_EQ(Value(f, "n1_cc").value_or(-1), c.n1Corrected);
                }
                if (!std::isnan(c.n2Normal)) {
                  EXPECT_EQ(Value(f, "n2_normal").value_or(-1), c.n2Normal);
                }
              });
}

// Independent of the walk: every outcome (x1, x2) enumerated, its P from
// the details pane's Fisher test, the binomials from Boost.
double NaiveFisherPower(int n1, int n2, double p1, double p2, double alpha, int sides) {
  const boost::math::binomial_distribution<double> one(n1, p1), two(n2, p2);
  double power = 0;
  for (int x1 = 0; x1 <= n1; ++x1)
    for (int x2 = 0; x2 <= n2; ++x2) {
      const auto r = FisherExact2x2(std::uint64_t(x1), std::uint64_t(n1 - x1), std::uint64_t(x2), std::uint64_t(n2 - x2));
      const double p = sides == 2 ? r->twoSided : p1 > p2 ? r->greater : r->less;
      if (p <= alpha) power += pdf(one, x1) * pdf(two, x2);
    }
  return power;
}

// The trinomial of (b, c) pairs and the binomial P, each summed term by term.
double NaiveMcNemarPower(int n, double p10, double p01, double alpha, int sides) {
  const auto logChoose = [](double a, double b) { return std::lgamma(a + 1) - std::lgamma(b + 1) - std::lgamma(a - b + 1); };
  double power = 0;
  for (int b = 0; b <= n; ++b)
    for (int c = 0; b + c <= n; ++c) {
      const int m = b + c;
      const auto tail = [&](int k) {  // P(X ≤ k), X ~ Binomial(m, ½)
        double s = 0;
        for (int i = 0; i <= k; ++i) s += std::exp(logChoose(m, i) - m * std::log(2.0));
        return s;
      };
      const double p = sides == 2 ? std::min(1.0, 2 * tail(std::min(b, c))) : p10 > p01 ? tail(c) : tail(b);
      if (p > alpha) continue;
      power += std::exp(logChoose(n, b) + logChoose(n - b, c) + b * std::log(p10) + c * std::log(p01) +
                        (n - m) * std::log1p(-(p10 + p01)));
    }
  return power;
}

struct ExactCase {
  std::string name, source;
  int n1, n2;
  double p1, p2, alpha;
  int sides;
};

TEST(ExactRatePowers, AgreeWithBruteForceEnumeration) {
  const std::string fisher = "every (x1, x2) with FisherExact2x2";
  ForEachCase(std::vector<ExactCase>{
                  {"equal_groups", fisher, 10, 10, 0.6, 0.2, 0.05, 2},
                  {"unequal_groups", fisher, 12, 17, 0.1, 0.5, 0.05, 2},
                  {"one_sided_lower", fisher, 15, 15, 0.3, 0.7, 0.05, 1},
                  {"one_sided_upper", fisher, 20, 9, 0.5, 0.05, 0.01, 1},
                  {"size_under_null", fisher, 25, 25, 0.4, 0.4, 0.05, 2},
                  {"certain_rates", fisher, 6, 7, 1.0, 0.0, 0.05, 2},
                  {"larger", fisher, 60, 45, 0.35, 0.15, 0.05, 2},
              },
              [](const ExactCase& c) {
                EXPECT_NEAR(FisherExactPower(c.n1, c.n2, c.p1, c.p2, c.alpha, c.sides),
                            NaiveFisherPower(c.n1, c.n2, c.p1, c.p2, c.alpha, c.sides), 1e-12);
              });
  const std::string mcnemar = "every (b, c) of the trinomial, P summed term by term";
  ForEachCase(std::vector<ExactCase>{
                  {"two_sided", mcnemar, 25, 0, 0.05, 0.25, 0.05, 2},
                  {"one_sided_upper", mcnemar, 30, 0, 0.3, 0.1, 0.05, 1},
                  {"one_sided_lower", mcnemar, 18, 0, 0.1, 0.4, 0.1, 1},
                  {"mostly_discordant", mcnemar, 40, 0, 0.6, 0.35, 0.01, 2},
              },
              [](const ExactCase& c) {
                const McNemarExactPower power(c.p1, c.p2, c.alpha, c.sides, 2 * c.n1);
                EXPECT_NEAR(power(c.n1), NaiveMcNemarPower(c.n1, c.p1, c.p2, c.alpha, c.sides), 1e-12);
              });
}

TEST(PlanTwoRates, FisherNeedsMoreThanTheFormulaAndStopsAtAThousand) {
  const TwoRatesPlan plan = PlanTwoRates(Goal(0.80), {0.60, 0.40});
  ASSERT_TRUE(plan.n1 && plan.power_achieved);
  // An independent enumeration (Python: every table's P from the sorted
  // hypergeometric terms, the scan from 48 up): 102, power 0.80080536087636.
  EXPECT_EQ(*plan.n1, 102);
  EXPECT_NEAR(*plan.power_achieved, 0.8008053608763648, 1e-9);
  EXPECT_NEAR(*plan.risk_difference, 0.2, 1e-15);
  EXPECT_NEAR(*plan.odds_ratio, 2.25, 1e-12);
  // 0.50 against 0.48: some 9,800 a group by the formula, Fisher's left out.
  const TwoRatesPlan large = PlanTwoRates(Goal(0.80), {0.50, 0.48});
  EXPECT_TRUE(large.n1_normal && large.n1_cc);
  EXPECT_FALSE(large.n1);
  EXPECT_TRUE(Has(large.problems, "n1", PlanningIssue::kBeyondExact));
  PlanningGoal power = Goal(0.80);
  power.mode = PlanningMode::kPower;
  const TwoRatesPlan typed = PlanTwoRates(power, {0.50, 0.48, 1, 1001, 1001});
  EXPECT_FALSE(typed.power);
  EXPECT_TRUE(typed.power_normal);
}

struct BadCase {
  std::string name, source;
  TwoRatesInput rates;
  PairedRatesInput paired;
  std::string_view key;
  PlanningIssue issue;
};

TEST(PlanRates, BadInputIsNotedOnItsKey) {
  const std::string contract = "bad input: the figures empty, the input named";
  ForEachCase(std::vector<BadCase>{
                  {"rate_above_one", contract, {1.2, 0.4}, {}, "p1", PlanningIssue::kOutOfRange},
                  {"equal_rates", contract, {0.3, 0.3}, {}, "p2", PlanningIssue::kNoEffect},
                  {"discordant_above_one", contract, {}, {0.7, 0.4}, "p01", PlanningIssue::kShareSum},
                  {"equal_discordant", contract, {}, {0.2, 0.2}, "p01", PlanningIssue::kNoEffect},
              },
              [](const BadCase& c) {
                const std::vector<PlanningProblem> problems = std::isnan(c.rates.p1)
                                                                  ? PlanPairedRates(Goal(0.8), c.paired).problems
                                                                  : PlanTwoRates(Goal(0.8), c.rates).problems;
                EXPECT_TRUE(Has(problems, c.key, c.issue));
              });
}

TEST(PlanPairedRates, ConnorsExampleAndTheExactSearch) {
  // powerandsamplesize.com after Connor (1987) p. 209: p01 = 0.45, p10 = 0.05,
  // two-sided 0.05, power 0.80: 23 pairs.
  const PairedRatesPlan plan = PlanPairedRates(Goal(0.80), {0.05, 0.45});
  EXPECT_EQ(plan.n_normal, 23);
  EXPECT_EQ(plan.discordant_share, 0.5);
  ASSERT_TRUE(plan.n && plan.power_achieved);
  // The same independent enumeration: 25 pairs, power 0.82016206784020.
  EXPECT_EQ(plan.n, 25);
  EXPECT_NEAR(*plan.power_achieved, 0.8201620678402035, 1e-9);
  const McNemarExactPower exact(0.05, 0.45, 0.05, 2, 100);
  for (double n = std::max(2.0, std::floor(23.0 / 2)); n < *plan.n; ++n) EXPECT_LT(exact(int(n)), 0.80) << n;
}

}  // namespace
}  // namespace kelvasta
