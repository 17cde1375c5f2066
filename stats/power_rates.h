#pragma once

// Planning the comparison of two rates (independent groups) and of paired
// rates: Fisher's exact test and the exact McNemar test, each with its
// textbook formulas beside it (Fleiss's, with and without the continuity
// correction; Connor's).

#include <optional>
#include <vector>

#include "stats/figures.h"
#include "stats/planning.h"

namespace kelvasta {

// The exact methods' sizes are searched, and their powers given, up to this
// many per group (pairs); beyond, only the formulas answer.
inline constexpr double kMaxExactRateSize = 1000;

struct TwoRatesInput {
  double p1 = kMissing, p2 = kMissing;  // each in [0, 1], unequal
  double ratio = 1;                     // n2/n1 for mode kSampleSize, > 0
  double n1 = kMissing, n2 = kMissing;  // mode kPower: whole, 2 to 10,000,000
};

// Mode kSampleSize: n1, n2, n_total (Fisher: the smallest n1 from
// max(2, ⌊n1_normal/2⌋) up whose exact power reaches the target), Fleiss's
// n1_normal and its continuity-corrected n1_cc with their n2 = ⌈k·n1⌉, the
// dropout sizes of all three, and power_achieved (Fisher's at n1, n2).
// Mode kPower: power (Fisher) and power_normal (Fleiss). risk_difference
// p1 − p2 and odds_ratio p1q2/(p2q1) in both. Fisher's figures are empty,
// with kBeyondExact on n1, beyond kMaxExactRateSize in a group.
struct TwoRatesPlan {
  std::optional<double> n1, n2, n_total, n1_normal, n2_normal, n1_cc, n2_cc;
  std::optional<double> n1_dropout, n2_dropout, n_total_dropout, n1_normal_dropout, n2_normal_dropout, n1_cc_dropout,
      n2_cc_dropout;
  std::optional<double> risk_difference, odds_ratio, power_achieved, power, power_normal;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;  // Fisher's power against n1 (Fleiss's when Fisher's is out of reach)
};

TwoRatesPlan PlanTwoRates(const PlanningGoal& goal, const TwoRatesInput& input, const std::atomic<bool>* cancel = nullptr);

FigureList ListFigures(const TwoRatesPlan& plan, PlanningMode mode);

// Fleiss's n1 = [z_{1−α/s}·√(p̄q̄(1 + 1/k)) + z_{1−β}·√(p1q1 + p2q2/k)]²/(p1 − p2)²,
// p̄ = (p1 + k·p2)/(1 + k), unrounded; and its continuity correction
// n1/4·(1 + √(1 + 2(k + 1)/(k·n1·|p1 − p2|)))².
double FleissSize(const PlanningGoal& goal, double p1, double p2, double k);
double FleissCorrected(double n1, double p1, double p2, double k);

struct PairedRatesInput {
  double p10 = kMissing, p01 = kMissing;  // the discordant shares: each in [0, 1], sum ≤ 1, unequal
  double n = kMissing;                    // mode kPower: pairs, whole, 2 to 10,000,000
};

// Mode kSampleSize: n (exact McNemar, searched as Fisher's), n_normal
// (Connor: [z_{1−α/s}·√ψ + z_{1−β}·√(ψ − δ²)]²/δ², rounded up), their dropout
// sizes, power_achieved; mode kPower: power and power_normal. discordant_share
// ψ = p10 + p01 in both.
struct PairedRatesPlan {
  std::optional<double> n, n_normal, n_dropout, n_normal_dropout, discordant_share, power_achieved, power,
      power_normal;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;
};

PairedRatesPlan PlanPairedRates(const PlanningGoal& goal, const PairedRatesInput& input,
                                const std::atomic<bool>* cancel = nullptr);

FigureList ListFigures(const PairedRatesPlan& plan, PlanningMode mode);

}  // namespace kelvasta
