#pragma once

// Sample-size and power planning: what every design shares. A design is a
// pure operation (its planning values and a PlanningGoal in, a plan struct
// of numbers out); the window formats the plan.

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace kelvasta {

// The largest sample size per group a plan gives or takes.
inline constexpr double kMaxPlannedSize = 10'000'000;

inline constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

enum class PlanningMode { kSampleSize, kPower };

// The goal as typed. NaN marks a value that is missing (its cell empty or not
// a number, noted by the caller); figures that need it stay empty.
struct PlanningGoal {
  PlanningMode mode = PlanningMode::kSampleSize;
  int sides = 2;        // 1 or 2
  double alpha = 0.05;  // (0, 0.5]
  double power = 0.80;  // the target of mode kSampleSize: (alpha, 1)
  double dropout = 0;   // [0, 1), mode kSampleSize
};

// What is wrong with a planning value.
enum class PlanningIssue {
  kOutOfRange,     // outside the range its input allows
  kNoEffect,       // the planned effect is zero (equal means, ρ = 0)
  kNotComputable,  // the effect is too large or too small for finite arithmetic
  kBeyondLimit,    // the sample size needed exceeds kMaxPlannedSize
  kShareSum,       // shares that must sum to 1 (or at most 1) do not
  kBeyondExact,    // the exact method is not computed at this size; the formulas are
};

struct PlanningProblem {
  std::string_view key;  // the input concerned, as in Power.<key>
  PlanningIssue issue;
  friend bool operator==(const PlanningProblem&, const PlanningProblem&) = default;
};

// Power against the sample size (n1, or n per group).
struct PowerPoint {
  double n = 0;
  double power = 0;
};

// Adds the problems of the goal's values (NaN ones are skipped) and tells
// whether alpha and sides are usable, and, in mode kSampleSize, the target
// power and the dropout rate too.
bool CheckGoal(const PlanningGoal& goal, std::vector<PlanningProblem>& problems);

// Adds kOutOfRange for `key` unless `value` is NaN (already noted) or passes
// `valid`; true when it is usable.
bool CheckValue(double value, std::string_view key, bool valid, std::vector<PlanningProblem>& problems);

// z_{1−α/s} and z_{1−β} (β = 1 − power).
double CriticalZ(const PlanningGoal& goal);
double PowerZ(double power);
// Φ(z).
double NormalCdf(double z);

// A formula's n rounded up; empty when not finite or beyond kMaxPlannedSize.
std::optional<double> RoundedUp(double n);
// ⌈k·n⌉, the second group of a two-group plan.
double SecondGroup(double n1, double ratio);
// ⌈n/(1 − d)⌉: a group enlarged for the dropout rate d.
double WithDropout(double n, double dropout);

// Whether `n` is a whole number in [least, kMaxPlannedSize].
bool IsPlannedSize(double n, double least);

// How the smallest sufficient n is searched.
struct SizeSearch {
  double start = 2;                    // the first n tried
  double limit = kMaxPlannedSize;      // the last
  bool monotone = true;                // power never falls as n grows
  const std::atomic<bool>* cancel = nullptr;  // polled by the linear search
};

struct SizeFound {
  std::optional<double> n;  // empty: none up to the limit (or cancelled)
  bool beyondLimit = false;
};

// The smallest whole n ≥ start whose power reaches `target`, as a scan up
// from `start` finds it. A monotone power is searched by doubling steps and
// halving (a few dozen evaluations whatever n is); any other is scanned one
// by one up to the limit. NaN powers count as not reaching the target.
SizeFound SmallestSizeReaching(const std::function<double(double)>& power, double target, const SizeSearch& search);

// The start the searches share: max(least, ⌊n_formula/2⌋), `least` when the
// formula's n is not finite.
double SearchStart(double nFormula, double least);

// Power at up to 41 whole n spread over [max(least, ⌊n/2⌋), 2n], `n` itself
// among them.
std::vector<PowerPoint> PowerCurve(const std::function<double(double)>& power, double n, double least);

}  // namespace kelvasta
