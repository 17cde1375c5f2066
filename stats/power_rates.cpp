#include "stats/power_rates.h"

#include <algorithm>
#include <cmath>

#include "stats/exact_rate_power.h"
#include "stats/figure_distributions.h"
#include "stats/planning_parts.h"

namespace kelvasta {

namespace {

using figures::Finite;

// The largest n1 whose groups n1 and ⌈k·n1⌉ both stay within the exact
// methods' reach.
double ExactFirstGroupLimit(double k) {
  double n1 = std::min(kMaxExactRateSize, std::floor(kMaxExactRateSize / k) + 1);
  while (n1 > 0 && SecondGroup(n1, k) > kMaxExactRateSize) --n1;
  return n1;
}

bool WithinExactReach(double n1, double n2) { return n1 <= kMaxExactRateSize && n2 <= kMaxExactRateSize; }

// Fleiss's power at n1, n2: Φ((|δ|·√n1 − z_{1−α/s}·√(p̄q̄(1 + 1/k)))/√(p1q1 + p2q2/k)).
double FleissPower(const PlanningGoal& goal, double p1, double p2, double n1, double n2) {
  const double k = n2 / n1;
  const double pooled = (p1 + k * p2) / (1 + k);
  const double spread = std::sqrt(p1 * (1 - p1) + p2 * (1 - p2) / k);
  const double z = (std::fabs(p1 - p2) * std::sqrt(n1) - CriticalZ(goal) * std::sqrt(pooled * (1 - pooled) * (1 + 1 / k))) /
                   spread;
  return NormalCdf(z);
}

// A rounded formula size and its second group, empty beyond the limit.
struct FormulaSize {
  std::optional<double> n1, n2;
};

FormulaSize RoundFormula(double formula, double k, std::vector<PlanningProblem>& problems) {
  const std::optional<double> n1 = RoundedUp(formula);
  if (!n1 || *n1 > LargestFirstGroup(k)) {
    problems.push_back({"n1", PlanningIssue::kBeyondLimit});
    return {};
  }
  return {n1, SecondGroup(*n1, k)};
}

void SetDropout(const FormulaSize& size, double dropout, std::optional<double>& n1, std::optional<double>& n2,
                std::vector<PlanningProblem>& problems) {
  if (!size.n1) return;
  if (const auto enlarged = DropoutSizes({*size.n1, *size.n2}, dropout, problems)) {
    n1 = (*enlarged)[0];
    n2 = (*enlarged)[1];
  }
}

// The smallest n from `start` up to `limit` whose exact power reaches the
// target, one by one (the power is not monotone).
SizeFound ExactSearch(const std::function<double(double)>& power, double start, double limit, double target,
                      const std::atomic<bool>* cancel) {
  SizeSearch search;
  search.start = start;
  search.limit = limit;
  search.monotone = false;
  search.cancel = cancel;
  return SmallestSizeReaching(power, target, search);
}

void SampleSizeTwoRates(const PlanningGoal& goal, double p1, double p2, double k, TwoRatesPlan& plan,
                        const std::atomic<bool>* cancel) {
  const double formula = FleissSize(goal, p1, p2, k);
  const FormulaSize normal = RoundFormula(formula, k, plan.problems);
  const FormulaSize corrected = RoundFormula(FleissCorrected(formula, p1, p2, k), k, plan.problems);
  plan.n1_normal = normal.n1;
  plan.n2_normal = normal.n2;
  plan.n1_cc = corrected.n1;
  plan.n2_cc = corrected.n2;
  SetDropout(normal, goal.dropout, plan.n1_normal_dropout, plan.n2_normal_dropout, plan.problems);
  SetDropout(corrected, goal.dropout, plan.n1_cc_dropout, plan.n2_cc_dropout, plan.problems);
  const auto exact = [&](double n1) {
    return FisherExactPower(int(n1), int(SecondGroup(n1, k)), p1, p2, goal.alpha, goal.sides);
  };
  const auto formulaPower = [&](double n1) { return FleissPower(goal, p1, p2, n1, SecondGroup(n1, k)); };
  if (!normal.n1) return;
  const double start = SearchStart(*normal.n1, 2), limit = ExactFirstGroupLimit(k);
  const SizeFound found = start <= limit ? ExactSearch(exact, start, limit, goal.power, cancel) : SizeFound{};
  if (!found.n) {
    plan.problems.push_back({"n1", PlanningIssue::kBeyondExact});
    plan.curve = PowerCurve(formulaPower, *normal.n1, 2);
    return;
  }
  const double n1 = *found.n, n2 = SecondGroup(n1, k);
  plan.n1 = n1;
  plan.n2 = n2;
  plan.n_total = n1 + n2;
  std::optional<double> d1, d2;
  SetDropout({n1, n2}, goal.dropout, d1, d2, plan.problems);
  plan.n1_dropout = d1;
  plan.n2_dropout = d2;
  if (d1 && d2) plan.n_total_dropout = *d1 + *d2;
  plan.power_achieved = Finite(exact(n1));
  plan.curve = PowerCurve(exact, n1, 2);
}

void PowerTwoRates(const PlanningGoal& goal, double p1, double p2, double n1, double n2, TwoRatesPlan& plan) {
  plan.power_normal = Finite(FleissPower(goal, p1, p2, n1, n2));
  const double k = n2 / n1;
  if (!WithinExactReach(n1, n2)) {
    plan.problems.push_back({"n1", PlanningIssue::kBeyondExact});
    plan.curve = PowerCurve([&](double x) { return FleissPower(goal, p1, p2, x, SecondGroup(x, k)); }, n1, 2);
    return;
  }
  plan.power = Finite(FisherExactPower(int(n1), int(n2), p1, p2, goal.alpha, goal.sides));
  plan.curve = PowerCurve(
      [&](double x) { return FisherExactPower(int(x), int(SecondGroup(x, k)), p1, p2, goal.alpha, goal.sides); }, n1,
      2);
}

// Connor's power at n pairs: Φ((|δ|·√n − z_{1−α/s}·√ψ)/√(ψ − δ²)).
double ConnorPower(const PlanningGoal& goal, double psi, double delta, double n) {
  return NormalCdf((std::fabs(delta) * std::sqrt(n) - CriticalZ(goal) * std::sqrt(psi)) / std::sqrt(psi - delta * delta));
}

void SampleSizePaired(const PlanningGoal& goal, double p10, double p01, PairedRatesPlan& plan,
                      const std::atomic<bool>* cancel) {
  const double psi = p10 + p01, delta = p10 - p01;
  const double a = CriticalZ(goal) * std::sqrt(psi), b = PowerZ(goal.power) * std::sqrt(psi - delta * delta);
  plan.n_normal = RoundedUp((a + b) * (a + b) / (delta * delta));
  if (!plan.n_normal) {
    plan.problems.push_back({"n", PlanningIssue::kBeyondLimit});
    return;
  }
  if (const auto enlarged = DropoutSizes({*plan.n_normal}, goal.dropout, plan.problems))
    plan.n_normal_dropout = (*enlarged)[0];
  const double start = SearchStart(*plan.n_normal, 2);
  SizeFound found;
  std::optional<McNemarExactPower> exact;
  if (start <= kMaxExactRateSize) {
    // Room for the curve, up to twice the largest n searched.
    exact.emplace(p10, p01, goal.alpha, goal.sides, int(2 * kMaxExactRateSize));
    found = ExactSearch([&exact](double n) { return (*exact)(int(n)); }, start, kMaxExactRateSize, goal.power, cancel);
  }
  if (!found.n) {
    plan.problems.push_back({"n", PlanningIssue::kBeyondExact});
    plan.curve = PowerCurve([&](double n) { return ConnorPower(goal, psi, delta, n); }, *plan.n_normal, 2);
    return;
  }
  const double n = *found.n;
  plan.n = n;
  if (const auto enlarged = DropoutSizes({n}, goal.dropout, plan.problems)) plan.n_dropout = (*enlarged)[0];
  plan.power_achieved = Finite((*exact)(int(n)));
  plan.curve = PowerCurve([&exact](double x) { return (*exact)(int(x)); }, n, 2);
}

void PowerPaired(const PlanningGoal& goal, double p10, double p01, double n, PairedRatesPlan& plan) {
  const double psi = p10 + p01, delta = p10 - p01;
  plan.power_normal = Finite(ConnorPower(goal, psi, delta, n));
  if (n > kMaxExactRateSize) {
    plan.problems.push_back({"n", PlanningIssue::kBeyondExact});
    plan.curve = PowerCurve([&](double x) { return ConnorPower(goal, psi, delta, x); }, n, 2);
    return;
  }
  const McNemarExactPower exact(p10, p01, goal.alpha, goal.sides, int(2 * n));
  plan.power = Finite(exact(int(n)));
  plan.curve = PowerCurve([&exact](double x) { return exact(int(x)); }, n, 2);
}

}  // namespace

double FleissSize(const PlanningGoal& goal, double p1, double p2, double k) {
  const double pooled = (p1 + k * p2) / (1 + k);
  const double a = CriticalZ(goal) * std::sqrt(pooled * (1 - pooled) * (1 + 1 / k));
  const double b = PowerZ(goal.power) * std::sqrt(p1 * (1 - p1) + p2 * (1 - p2) / k);
  return (a + b) * (a + b) / ((p1 - p2) * (p1 - p2));
}

double FleissCorrected(double n1, double p1, double p2, double k) {
  const double root = 1 + std::sqrt(1 + 2 * (k + 1) / (k * n1 * std::fabs(p1 - p2)));
  return n1 / 4 * root * root;
}

TwoRatesPlan PlanTwoRates(const PlanningGoal& goal, const TwoRatesInput& in, const std::atomic<bool>* cancel) {
  TwoRatesPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const double p1 = in.p1, p2 = in.p2;
  const bool p1Usable = CheckValue(p1, "p1", p1 >= 0 && p1 <= 1, plan.problems);
  const bool p2Usable = CheckValue(p2, "p2", p2 >= 0 && p2 <= 1, plan.problems);
  bool effect = p1Usable && p2Usable;
  if (effect && p1 == p2) {
    plan.problems.push_back({"p2", PlanningIssue::kNoEffect});
    effect = false;
  }
  if (effect) {
    plan.risk_difference = p1 - p2;
    if (p2 * (1 - p1) > 0) plan.odds_ratio = Finite(p1 * (1 - p2) / (p2 * (1 - p1)));
  }
  if (goal.mode == PlanningMode::kSampleSize) {
    const bool ratioUsable = CheckValue(in.ratio, "ratio", in.ratio > 0 && in.ratio <= kMaxPlannedSize, plan.problems);
    if (goalUsable && effect && ratioUsable) SampleSizeTwoRates(goal, p1, p2, in.ratio, plan, cancel);
    return plan;
  }
  const bool n1Usable = CheckValue(in.n1, "n1", IsPlannedSize(in.n1, 2), plan.problems);
  const bool n2Usable = CheckValue(in.n2, "n2", IsPlannedSize(in.n2, 2), plan.problems);
  if (goalUsable && effect && n1Usable && n2Usable) PowerTwoRates(goal, p1, p2, in.n1, in.n2, plan);
  return plan;
}

FigureList ListFigures(const TwoRatesPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower)
    return {{"power", p.power},
            {"power_normal", p.power_normal},
            {"risk_difference", p.risk_difference},
            {"odds_ratio", p.odds_ratio}};
  return {{"n1", p.n1},
          {"n2", p.n2},
          {"n_total", p.n_total},
          {"n1_normal", p.n1_normal},
          {"n2_normal", p.n2_normal},
          {"n1_cc", p.n1_cc},
          {"n2_cc", p.n2_cc},
          {"n1_dropout", p.n1_dropout},
          {"n2_dropout", p.n2_dropout},
          {"n_total_dropout", p.n_total_dropout},
          {"n1_normal_dropout", p.n1_normal_dropout},
          {"n2_normal_dropout", p.n2_normal_dropout},
          {"n1_cc_dropout", p.n1_cc_dropout},
          {"n2_cc_dropout", p.n2_cc_dropout},
          {"risk_difference", p.risk_difference},
          {"odds_ratio", p.odds_ratio},
          {"power_achieved", p.power_achieved}};
}

PairedRatesPlan PlanPairedRates(const PlanningGoal& goal, const PairedRatesInput& in, const std::atomic<bool>* cancel) {
  PairedRatesPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const double p10 = in.p10, p01 = in.p01;
  const bool p10Usable = CheckValue(p10, "p10", p10 >= 0 && p10 <= 1, plan.problems);
  const bool p01Usable = CheckValue(p01, "p01", p01 >= 0 && p01 <= 1, plan.problems);
  bool effect = p10Usable && p01Usable;
  if (effect && p10 + p01 > 1) {
    plan.problems.push_back({"p01", PlanningIssue::kShareSum});
    effect = false;
  } else if (effect && p10 == p01) {
    plan.problems.push_back({"p01", PlanningIssue::kNoEffect});
    effect = false;
  }
  if (effect) plan.discordant_share = p10 + p01;
  if (goal.mode == PlanningMode::kSampleSize) {
    if (goalUsable && effect) SampleSizePaired(goal, p10, p01, plan, cancel);
    return plan;
  }
  const bool nUsable = CheckValue(in.n, "n", IsPlannedSize(in.n, 2), plan.problems);
  if (goalUsable && effect && nUsable) PowerPaired(goal, p10, p01, in.n, plan);
  return plan;
}

FigureList ListFigures(const PairedRatesPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower)
    return {{"power", p.power}, {"power_normal", p.power_normal}, {"discordant_share", p.discordant_share}};
  return {{"n", p.n},
          {"n_normal", p.n_normal},
          {"n_dropout", p.n_dropout},
          {"n_normal_dropout", p.n_normal_dropout},
          {"discordant_share", p.discordant_share},
          {"power_achieved", p.power_achieved}};
}

}  // namespace kelvasta
