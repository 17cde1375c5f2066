#pragma once

#include <array>
#include <optional>
#include <span>

#include "stats/figures.h"
#include "stats/group_moments.h"

namespace kelvasta {

enum class TwoSampleTest { kNone, kPooled, kWelch };

// Pooled and Welch t of group 1 against group 2 (t = (mean1 − mean2)/SE).
struct TwoSampleFigures {
  std::optional<double> n1, n2, mean1, mean2, sd1, sd2, mean_difference;
  std::optional<double> t, df, p, ci_low, ci_high;
  std::optional<double> welch_t, welch_df, welch_p, welch_ci_low, welch_ci_high;
  std::optional<double> variance_ratio, variance_ratio_p;
  std::optional<double> cohens_d, hedges_g;
  // The t the sentence reports: pooled when variance_ratio_p ≥ 0.05, Welch
  // when it is below, or when exactly one variance is 0 (an infinite ratio);
  // kNone when the chosen t cannot be computed.
  TwoSampleTest sentence = TwoSampleTest::kNone;
};

// Two-sample figures from each group's moments (raw lists through
// ComputeGroupMoments, or the typed summary figures). A group with n < 2 or
// non-finite moments leaves every test figure empty; the variance ratio
// puts the larger variance on top (group 1 on a tie); each figure is empty
// where its formula is not finite (SD 0 leaves t, P and d empty).
TwoSampleFigures ComputeTwoSampleFigures(const GroupMoments& first, const GroupMoments& second);

// Keys n1 ... hedges_g in the pane's order.
FigureList ListFigures(const TwoSampleFigures& f);

struct PairedTFigures {
  std::optional<double> n, mean_difference, sd_difference, t, df, p, ci_low, ci_high, cohens_dz;
};

// Paired t of first − second over the positions where both are numbers
// (not NaN). n < 2 leaves all but n and mean_difference empty; a zero SD of
// the differences leaves t, P and dz empty (the interval is then a point).
PairedTFigures ComputePairedTFigures(std::span<const double> first, std::span<const double> second);

// Keys n ... cohens_dz in the pane's order.
FigureList ListFigures(const PairedTFigures& f);

enum class AnovaTest { kNone, kF, kWelchF };

// One comparison of two of the three groups, i < j: "12", "13", "23".
struct AnovaPair {
  std::optional<double> diff, tukey_p, tukey_ci_low, tukey_ci_high, lsd_p, bonferroni_p;
};

struct AnovaFigures {
  std::optional<double> n, ss_between, ss_within, ss_total, df_between, df_within, ms_between, ms_within, f, p;
  std::optional<double> eta_squared, omega_squared;
  std::optional<double> welch_f, welch_df1, welch_df2, welch_p;
  std::optional<double> bartlett_chi2, bartlett_p;
  std::array<AnovaPair, 3> pairs;  // 12, 13, 23
  // The sentence: the F test, Welch's when bartlett_p < 0.05 (kNone when the
  // chosen F cannot be computed); then the pairs whose Tukey P < 0.05.
  AnovaTest sentence = AnovaTest::kNone;
  std::array<bool, 3> tukey_significant{};
};

// One-way analysis of variance of three groups from their moments. Every
// group needs at least one value (a single value adds nothing within
// groups) and finite moments, or only n and the differences are given; no
// within-groups df or variance leaves F, the P values and the Tukey and LSD
// figures empty, and Welch's F and Bartlett's test need every group to have
// n ≥ 2 and SD > 0. Tukey–Kramer uses the studentized range for 3 means and
// df_within. Differences of means keep the groups' excesses.
AnovaFigures ComputeAnovaFigures(const std::array<GroupMoments, 3>& groups);

// Keys n ... bartlett_p, then diff_ij ... bonferroni_p_ij for 12, 13, 23.
FigureList ListFigures(const AnovaFigures& f);

}  // namespace kelvasta
