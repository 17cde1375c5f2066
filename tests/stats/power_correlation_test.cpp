#include "stats/power_correlation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "case_table.h"
#include "stats/correlation_distribution.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct TailCase {
  std::string name, source;
  double n, rho, c, either, upper;
};

// Against Hotelling's closed form of the density of r (with ₂F₁),
// integrated by mpmath at 30 digits.
TEST(SampleCorrelationTails, AgreeWithTheIntegratedDensity) {
  const std::string mp = "mpmath: Hotelling's density integrated";
  ForEachCase(std::vector<TailCase>{
                  {"n10", mp, 10, 0.3, 0.2, 0.71176140652104305, 0.63539272247730551},
                  {"n84", mp, 84, 0.3, 0.2145669007, 0.80033895339556779, 0.80033748385079845},
                  {"n5_strong", mp, 5, 0.8, 0.5, 0.87662369013793527, 0.87123543787800599},
                  {"n4_negative", mp, 4, -0.5, 0.9, 0.17919807381419886, 0.012046084038623347},
                  {"n30", mp, 30, 0.6, 0.1, 0.99902066296661718, 0.99899325968512468},
                  {"n200_weak", mp, 200, 0.1, 0.15, 0.23897741125788137, 0.23876107910916602},
                  {"n1000", mp, 1000, 0.3, 0.2, 0.99962997543643504, 0.99962997543643504},
                  {"n1e6", mp, 1e6, 0.003, 0.002, 0.84134660553850604, 0.84134631888173066},
              },
              [](const TailCase& c) {
                const CorrelationTails tails = SampleCorrelationTails(c.n, c.rho, c.c);
                EXPECT_NEAR(tails.either, c.either, 1e-9);
                EXPECT_NEAR(tails.upper, c.upper, 1e-9);
              });
  EXPECT_TRUE(std::isnan(SampleCorrelationTails(2, 0.3, 0.2).either));
  EXPECT_TRUE(std::isnan(SampleCorrelationTails(10, 1, 0.2).either));
}

TEST(PlanCorrelation, PublishedSampleSizes) {
  PlanningGoal goal;
  // G*Power 3 (exact bivariate normal model): ρ = 0.3, two-sided 0.05,
  // power 0.80: 84 pairs; Fisher's z: 85.
  const CorrelationPlan plan = PlanCorrelation(goal, {0.3});
  EXPECT_EQ(plan.n, 84);
  EXPECT_EQ(plan.n_normal, 85);
  EXPECT_EQ(PlanCorrelation(goal, {-0.3}).n, 84);
  // Fisher's z by hand: ((1.959964 + 1.281552)/atanh 0.3)² + 3 = 112.68 → 113.
  goal.power = 0.90;
  EXPECT_EQ(PlanCorrelation(goal, {0.3}).n_normal, 113);
}

TEST(PlanCorrelation, SearchFindsWhatAScanFinds) {
  PlanningGoal goal;
  for (const double rho : {0.6, -0.45, 0.2}) {
    for (const int sides : {1, 2}) {
      goal.sides = sides;
      const CorrelationPlan plan = PlanCorrelation(goal, {rho});
      ASSERT_TRUE(plan.n && plan.n_normal);
      double n = SearchStart(*plan.n_normal, 4);
      while (CorrelationPower(n, rho, goal.alpha, sides) < goal.power) ++n;
      EXPECT_EQ(*plan.n, n) << rho << " sides " << sides;
    }
  }
}

TEST(PlanCorrelation, BadInputAndTheLimit) {
  PlanningGoal goal;
  using I = PlanningIssue;
  EXPECT_EQ(PlanCorrelation(goal, {1}).problems, (std::vector<PlanningProblem>{{"rho", I::kOutOfRange}}));
  EXPECT_EQ(PlanCorrelation(goal, {0}).problems, (std::vector<PlanningProblem>{{"rho", I::kNoEffect}}));
  // ρ = 0.0005 needs about 3.1e7 pairs.
  const CorrelationPlan far = PlanCorrelation(goal, {0.0005});
  EXPECT_FALSE(far.n || far.n_normal);
  EXPECT_EQ(far.problems, (std::vector<PlanningProblem>{{"n", I::kBeyondLimit}}));
  goal.mode = PlanningMode::kPower;
  EXPECT_EQ(PlanCorrelation(goal, {0.3, 3}).problems, (std::vector<PlanningProblem>{{"n", I::kOutOfRange}}));
}

}  // namespace
}  // namespace kelvasta
