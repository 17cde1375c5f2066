#pragma once

#include <atomic>
#include <optional>
#include <span>

#include "stats/figures.h"

namespace kelvasta {

// Pearson r of y on x and the least-squares line y = intercept + slope·x.
struct CorrelationFigures {
  std::optional<double> n, r, r_squared, t, df, p, r_ci_low, r_ci_high;
  std::optional<double> slope, slope_se, slope_ci_low, slope_ci_high;
  std::optional<double> intercept, intercept_se, intercept_ci_low, intercept_ci_high;
};

// Figures over the complete pairs (positions where neither value is NaN), in
// two passes of centred long double sums and without allocating (a third
// sums the residuals of a near-exact fit). df = n − 2 from two pairs on; the
// line needs x not constant, r also y; the standard errors, intervals, t and
// P need n ≥ 3, t and P a residual > 0 (|r| < 1), and the Fisher-z interval
// n ≥ 4. Non-finite inputs leave the figures empty.
CorrelationFigures ComputeCorrelationFigures(std::span<const double> x, std::span<const double> y);

struct SpearmanFigures {
  std::optional<double> rho, p;
};

enum class SpearmanStatus { kDone, kCancelled };

struct SpearmanResult {
  SpearmanStatus status = SpearmanStatus::kDone;
  SpearmanFigures figures;
};

// Spearman's rho (Pearson r of the ranks, ties given their average rank) over
// the complete pairs, and its two-sided P from t = rho·√((n−2)/(1−rho²)) with
// n − 2 df (empty for |rho| = 1 or n < 3). It sorts, so it belongs on a
// worker thread: it polls `cancel` and returns kCancelled, with no figures,
// soon after it is set. Allocation failure gives kDone with no figures.
SpearmanResult ComputeSpearman(std::span<const double> x, std::span<const double> y,
                               const std::atomic<bool>& cancel);

// Keys n ... intercept_ci_high, spearman_rho, spearman_p in the pane's order;
// pass empty Spearman figures while they are still being computed.
FigureList ListFigures(const CorrelationFigures& f, const SpearmanFigures& spearman);

}  // namespace kelvasta
