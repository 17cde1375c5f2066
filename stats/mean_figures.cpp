#include "stats/mean_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "stats/figure_distributions.h"
#include "stats/studentized_range.h"

namespace kelvasta {
namespace {

using figures::Finite;
using figures::T975;
using figures::TwoSidedTP;

bool Usable(const GroupMoments& g) {
  return std::isfinite(g.n) && g.n >= 2 && std::isfinite(g.mean) && std::isfinite(g.sd) && g.sd >= 0;
}

// A group enters the analysis of variance from one value on: a single value
// adds nothing within groups, so its SD is not needed.
bool AnovaUsable(const GroupMoments& g) {
  return std::isfinite(g.n) && g.n >= 1 && std::isfinite(g.mean) &&
         (g.n == 1 || (std::isfinite(g.sd) && g.sd >= 0));
}

std::optional<double> Ratio(long double num, long double den) {
  return den == 0 ? std::nullopt : Finite(num / den);
}

std::optional<double> Upper(std::optional<double> centre, long double halfWidth) {
  return centre ? Finite(*centre + halfWidth) : std::nullopt;
}

std::optional<double> Lower(std::optional<double> centre, long double halfWidth) {
  return centre ? Finite(*centre - halfWidth) : std::nullopt;
}

}  // namespace

TwoSampleFigures ComputeTwoSampleFigures(const GroupMoments& first, const GroupMoments& second) {
  TwoSampleFigures f;
  f.n1 = Finite(first.n);
  f.n2 = Finite(second.n);
  f.mean1 = Finite(first.mean);
  f.mean2 = Finite(second.mean);
  f.sd1 = Finite(first.sd);
  f.sd2 = Finite(second.sd);
  if (f.mean1 && f.mean2) {
    f.mean_difference = Finite(MeanDifference(first, second));
  }
  if (!Usable(first) || !Usable(second) || !f.mean_difference) {
    return f;
  }
  const long double n1 = first.n, n2 = second.n, diff = MeanDifference(first, second);
  const long double v1 = static_cast<long double>(first.sd) * first.sd;
  const long double v2 = static_cast<long double>(second.sd) * second.sd;

  // Pooled: s² = ((n1−1)s1² + (n2−1)s2²)/(n1+n2−2), SE = s·√(1/n1 + 1/n2).
  const long double df = n1 + n2 - 2;
  const long double pooledVar = ((n1 - 1) * v1 + (n2 - 1) * v2) / df;
  const long double se = std::sqrt(pooledVar * (1 / n1 + 1 / n2));
  f.df = Finite(df);
  f.t = Ratio(diff, se);
  f.p = TwoSidedTP(f.t, *f.df);
  const long double half = T975(*f.df) * se;
  f.ci_low = Lower(f.mean_difference, half);
  f.ci_high = Upper(f.mean_difference, half);

  // Welch: SE² = s1²/n1 + s2²/n2, Welch–Satterthwaite df.
  const long double a = v1 / n1, b = v2 / n2;
  const long double welchSe = std::sqrt(a + b);
  f.welch_t = Ratio(diff, welchSe);
  f.welch_df = Ratio((a + b) * (a + b), a * a / (n1 - 1) + b * b / (n2 - 1));
  if (f.welch_df) {
    f.welch_p = TwoSidedTP(f.welch_t, *f.welch_df);
    const long double welchHalf = T975(*f.welch_df) * welchSe;
    f.welch_ci_low = Lower(f.mean_difference, welchHalf);
    f.welch_ci_high = Upper(f.mean_difference, welchHalf);
  }

  // Larger variance on top, with its group's n − 1 as the first df.
  const bool firstLarger = v1 >= v2;
  f.variance_ratio = firstLarger ? Ratio(v1, v2) : Ratio(v2, v1);
  const std::optional<double> upper = firstLarger ? figures::UpperF(f.variance_ratio, first.n - 1, second.n - 1)
                                                  : figures::UpperF(f.variance_ratio, second.n - 1, first.n - 1);
  if (upper) {
    f.variance_ratio_p = std::min(1.0, 2 * *upper);
  }

  const long double pooledSd = std::sqrt(pooledVar);
  f.cohens_d = Ratio(diff, pooledSd);
  if (f.cohens_d) {
    f.hedges_g = Finite(*f.cohens_d * (1 - 3 / (4 * (n1 + n2) - 9)));
  }

  const bool oneVarianceZero = (v1 == 0) != (v2 == 0);
  const bool welch = f.variance_ratio_p ? *f.variance_ratio_p < 0.05 : oneVarianceZero;
  if (welch ? f.welch_t.has_value() : f.t.has_value()) {
    f.sentence = welch ? TwoSampleTest::kWelch : TwoSampleTest::kPooled;
  }
  return f;
}

FigureList ListFigures(const TwoSampleFigures& f) {
  return {{"n1", f.n1},
          {"n2", f.n2},
          {"mean1", f.mean1},
          {"mean2", f.mean2},
          {"sd1", f.sd1},
          {"sd2", f.sd2},
          {"mean_difference", f.mean_difference},
          {"t", f.t},
          {"df", f.df},
          {"p", f.p},
          {"ci_low", f.ci_low},
          {"ci_high", f.ci_high},
          {"welch_t", f.welch_t},
          {"welch_df", f.welch_df},
          {"welch_p", f.welch_p},
          {"welch_ci_low", f.welch_ci_low},
          {"welch_ci_high", f.welch_ci_high},
          {"variance_ratio", f.variance_ratio},
          {"variance_ratio_p", f.variance_ratio_p},
          {"cohens_d", f.cohens_d},
          {"hedges_g", f.hedges_g}};
}

PairedTFigures ComputePairedTFigures(std::span<const double> first, std::span<const double> second) {
  const GroupMoments d = ComputeDifferenceMoments(first, second);
  PairedTFigures f;
  f.n = d.n;
  if (d.n == 0) {
    return f;
  }
  f.mean_difference = Finite(d.mean);
  if (d.n < 2 || !f.mean_difference) {
    return f;
  }
  const long double n = d.n, mean = d.mean + d.excess;
  const long double sd = d.sd;
  const long double se = sd / std::sqrt(n);
  f.sd_difference = Finite(sd);
  f.df = Finite(n - 1);
  f.t = Ratio(mean, se);
  f.p = TwoSidedTP(f.t, *f.df);
  const long double half = T975(*f.df) * se;
  f.ci_low = Lower(f.mean_difference, half);
  f.ci_high = Upper(f.mean_difference, half);
  f.cohens_dz = Ratio(mean, sd);
  return f;
}

FigureList ListFigures(const PairedTFigures& f) {
  return {{"n", f.n},   {"mean_difference", f.mean_difference}, {"sd_difference", f.sd_difference},
          {"t", f.t},   {"df", f.df},
          {"p", f.p},   {"ci_low", f.ci_low},
          {"ci_high", f.ci_high}, {"cohens_dz", f.cohens_dz}};
}

namespace {

constexpr std::array<std::array<int, 2>, 3> kPairs{{{0, 1}, {0, 2}, {1, 2}}};

// Welch's F for k groups: weights w = n/s², A = Σw(m − m_w)²/(k−1),
// λ = Σ(1 − w/W)²/(n − 1), F = A/(1 + 2(k−2)λ/(k²−1)), df2 = (k²−1)/(3λ).
void WelchAnova(const std::array<GroupMoments, 3>& g, AnovaFigures& f) {
  constexpr long double k = 3;
  std::array<long double, 3> w{}, fromFirst{};  // weights; mean − mean of group 1
  long double total = 0, shifted = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    w[i] = g[i].n / (static_cast<long double>(g[i].sd) * g[i].sd);
    fromFirst[i] = MeanDifference(g[i], g[0]);
    total += w[i];
    shifted += w[i] * fromFirst[i];
  }
  long double a = 0, lambda = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const long double d = fromFirst[i] - shifted / total;
    a += w[i] * d * d;
    lambda += (1 - w[i] / total) * (1 - w[i] / total) / (g[i].n - 1);
  }
  a /= k - 1;
  f.welch_f = Finite(a / (1 + 2 * (k - 2) * lambda / (k * k - 1)));
  f.welch_df1 = Finite(k - 1);
  f.welch_df2 = Ratio(k * k - 1, 3 * lambda);
  if (f.welch_df2) {
    f.welch_p = figures::UpperF(f.welch_f, *f.welch_df1, *f.welch_df2);
  }
}

// Bartlett: χ² = Σ(n−1)·ln(s_p²/s²) / C, C = 1 + (Σ1/(n−1) − 1/(N−k))/(3(k−1)).
void Bartlett(const std::array<GroupMoments, 3>& g, long double pooledVar, long double dfWithin, AnovaFigures& f) {
  long double sum = 0, reciprocal = 0;
  for (const GroupMoments& group : g) {
    const long double var = static_cast<long double>(group.sd) * group.sd;
    sum += (group.n - 1) * std::log(pooledVar / var);
    reciprocal += 1 / (group.n - 1.0L);
  }
  const long double c = 1 + (reciprocal - 1 / dfWithin) / 6;
  f.bartlett_chi2 = Finite(sum / c);
  f.bartlett_p = figures::UpperChiSquare(f.bartlett_chi2, 2);
}

}  // namespace

AnovaFigures ComputeAnovaFigures(const std::array<GroupMoments, 3>& g) {
  AnovaFigures f;
  f.n = Finite(static_cast<long double>(g[0].n) + g[1].n + g[2].n);
  for (std::size_t p = 0; p < 3; ++p) {
    const GroupMoments &a = g[kPairs[p][0]], &b = g[kPairs[p][1]];
    f.pairs[p].diff =
        std::isfinite(a.mean) && std::isfinite(b.mean) ? Finite(MeanDifference(a, b)) : std::nullopt;
  }
  if (!f.n || !std::all_of(g.begin(), g.end(), AnovaUsable)) {
    return f;
  }
  const long double total = *f.n;
  std::array<long double, 3> fromFirst{};  // mean − mean of group 1
  long double weighted = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    fromFirst[i] = MeanDifference(g[i], g[0]);
    weighted += g[i].n * fromFirst[i];
  }
  long double between = 0, within = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const long double d = fromFirst[i] - weighted / total;
    between += g[i].n * d * d;
    within += g[i].n == 1 ? 0 : (g[i].n - 1) * static_cast<long double>(g[i].sd) * g[i].sd;
  }
  const long double dfWithin = total - 3;
  const long double msWithin = dfWithin > 0 ? within / dfWithin : std::numeric_limits<long double>::quiet_NaN();
  f.ss_between = Finite(between);
  f.ss_within = Finite(within);
  f.ss_total = Finite(between + within);
  f.df_between = 2;
  f.df_within = Finite(dfWithin);
  f.ms_between = Finite(between / 2);
  f.ms_within = Finite(msWithin);
  f.f = Ratio(between / 2, msWithin);
  f.p = figures::UpperF(f.f, 2, *f.df_within);
  f.eta_squared = Ratio(between, between + within);
  f.omega_squared = Ratio(between - 2 * msWithin, between + within + msWithin);

  if (std::all_of(g.begin(), g.end(), [](const GroupMoments& group) { return group.n >= 2 && group.sd > 0; })) {
    WelchAnova(g, f);
    Bartlett(g, msWithin, dfWithin, f);
  }
  if (!f.ms_within) {
    return f;
  }

  // Tukey–Kramer: q = |diff| / √(MSw/2 · (1/ni + 1/nj)) on the studentized
  // range of 3 means; the interval is diff ± q(0.95)/√2 · √(MSw (1/ni + 1/nj)).
  const double q95 = StudentizedRangeQuantile(0.95, 3, *f.df_within);
  for (std::size_t p = 0; p < 3; ++p) {
    AnovaPair& pair = f.pairs[p];
    const GroupMoments &a = g[kPairs[p][0]], &b = g[kPairs[p][1]];
    const long double lsdSe = std::sqrt(msWithin * (1.0L / a.n + 1.0L / b.n));
    const std::optional<double> lsdT = pair.diff ? Ratio(*pair.diff, lsdSe) : std::nullopt;
    pair.lsd_p = TwoSidedTP(lsdT, *f.df_within);
    if (pair.lsd_p) {
      pair.bonferroni_p = std::min(1.0, 3 * *pair.lsd_p);
    }
    if (lsdT) {
      pair.tukey_p = Finite(StudentizedRangeUpperTail(std::fabs(*lsdT) * std::sqrt(2.0), 3, *f.df_within));
    }
    const long double half = q95 / std::sqrt(2.0L) * lsdSe;
    pair.tukey_ci_low = Lower(pair.diff, half);
    pair.tukey_ci_high = Upper(pair.diff, half);
    f.tukey_significant[p] = pair.tukey_p && *pair.tukey_p < 0.05;
  }

  const bool welch = f.bartlett_p && *f.bartlett_p < 0.05;
  if (welch ? f.welch_f.has_value() : f.f.has_value()) {
    f.sentence = welch ? AnovaTest::kWelchF : AnovaTest::kF;
  }
  return f;
}

FigureList ListFigures(const AnovaFigures& f) {
  FigureList list{{"n", f.n},
                  {"ss_between", f.ss_between},
                  {"ss_within", f.ss_within},
                  {"ss_total", f.ss_total},
                  {"df_between", f.df_between},
                  {"df_within", f.df_within},
                  {"ms_between", f.ms_between},
                  {"ms_within", f.ms_within},
                  {"f", f.f},
                  {"p", f.p},
                  {"eta_squared", f.eta_squared},
                  {"omega_squared", f.omega_squared},
                  {"welch_f", f.welch_f},
                  {"welch_df1", f.welch_df1},
                  {"welch_df2", f.welch_df2},
                  {"welch_p", f.welch_p},
                  {"bartlett_chi2", f.bartlett_chi2},
                  {"bartlett_p", f.bartlett_p}};
  static constexpr std::array<std::array<std::string_view, 6>, 3> kKeys{{
      {"diff_12", "tukey_p_12", "tukey_ci_low_12", "tukey_ci_high_12", "lsd_p_12", "bonferroni_p_12"},
      {"diff_13", "tukey_p_13", "tukey_ci_low_13", "tukey_ci_high_13", "lsd_p_13", "bonferroni_p_13"},
      {"diff_23", "tukey_p_23", "tukey_ci_low_23", "tukey_ci_high_23", "lsd_p_23", "bonferroni_p_23"},
  }};
  for (std::size_t p = 0; p < 3; ++p) {
    const AnovaPair& pair = f.pairs[p];
    const std::array<std::optional<double>, 6> values{pair.diff,          pair.tukey_p, pair.tukey_ci_low,
                                                      pair.tukey_ci_high, pair.lsd_p,   pair.bonferroni_p};
    for (std::size_t i = 0; i < 6; ++i) {
      list.push_back({kKeys[p][i], values[i]});
    }
  }
  return list;
}

}  // namespace kelvasta
