#include "stats/count_figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/special_functions/beta.hpp>

#include "stats/conditional_odds_ratio.h"
#include "stats/fisher_exact.h"

namespace kelvasta {
namespace {

// Boost reports bad arguments and overflow by value (NaN, infinity), which
// Finite() below turns into an empty figure; nothing throws.
using NoThrow = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::pole_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::denorm_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::rounding_error<boost::math::policies::ignore_error>,
    boost::math::policies::indeterminate_result_error<boost::math::policies::ignore_error>>;
using ChiSquared = boost::math::chi_squared_distribution<double, NoThrow>;
using Normal = boost::math::normal_distribution<double, NoThrow>;
using Binomial = boost::math::binomial_distribution<double, NoThrow>;

// Sums and products of counts are formed in long double, whose range holds
// the fourth power of 1e308, so huge but finite cells still give true
// statistics.
using Real = long double;

std::optional<double> Finite(Real x) {
  const auto d = static_cast<double>(x);
  return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

const double kZ975 = boost::math::quantile(Normal(), 0.975);

// Upper tail of chi-square with df degrees of freedom.
std::optional<double> ChiSquareP(const std::optional<double>& chi2, double df) {
  if (!chi2) {
    return std::nullopt;
  }
  return Finite(boost::math::cdf(boost::math::complement(ChiSquared(df), *chi2)));
}

// Two-tailed normal P: 2·P(Z > |z|), from the complement.
std::optional<double> NormalP(const std::optional<double>& z) {
  if (!z) {
    return std::nullopt;
  }
  return Finite(std::min(1.0, 2 * boost::math::cdf(boost::math::complement(Normal(), std::fabs(*z)))));
}

template <std::size_t N>
bool AnyNotFinite(const std::array<double, N>& cells) {
  return std::any_of(cells.begin(), cells.end(), [](double v) { return !std::isfinite(v); });
}
template <std::size_t N>
bool AnyNegative(const std::array<double, N>& cells) {
  return std::any_of(cells.begin(), cells.end(), [](double v) { return v < 0; });
}

// Why these (finite, non-negative) counts cannot enter an exact test.
// The R x C exact test keeps a table of log-factorials up to the total.
constexpr double kMaxEnumeratedCount = 1e9;

template <typename Counts>
CountNote ExactCountNote(const Counts& counts, double limit = static_cast<double>(kMaxExactCount)) {
  for (double v : counts) {
    if (v != std::floor(v)) {
      return CountNote::NonWhole;
    }
  }
  for (double v : counts) {
    if (v > limit) {
      return CountNote::TooLarge;
    }
  }
  return CountNote::None;
}

template <std::size_t N>
Real Sum(const std::array<double, N>& cells) {
  Real s = 0;
  for (double v : cells) {
    s += v;
  }
  return s;
}

// Estimate and interval on the log scale: exp(log e ± z·se).
void LogInterval(Real estimate, Real se, std::optional<double>& low, std::optional<double>& high) {
  low = Finite(std::exp(std::log(estimate) - kZ975 * se));
  high = Finite(std::exp(std::log(estimate) + kZ975 * se));
}

FourfoldFigures FourfoldUnguarded(const std::array<double, 4>& cells) {
  FourfoldFigures f;
  if (AnyNotFinite(cells)) {
    f.note = CountNote::NotFinite;
    return f;
  }
  const Real a = cells[0], b = cells[1], c = cells[2], d = cells[3];
  const Real n = a + b + c + d;
  f.n = Finite(n);
  if (AnyNegative(cells)) {
    f.note = CountNote::Negative;
    return f;
  }
  const Real r1 = a + b, r2 = c + d, c1 = a + c, c2 = b + d;
  if (n > 0) {
    f.min_expected = Finite(std::min({r1 * c1, r1 * c2, r2 * c1, r2 * c2}) / n);
  }
  const Real margins = r1 * r2 * c1 * c2;
  if (margins > 0) {
    const Real cross = a * d - b * c;
    f.pearson_chi2 = Finite(n * cross * cross / margins);
    // (|ad - bc| - n/2)² n / (R1 R2 C1 C2), nothing left when |ad - bc| < n/2.
    const Real corrected = std::max<Real>(0, std::fabs(cross) - n / 2);
    f.yates_chi2 = Finite(n * corrected * corrected / margins);
  }
  f.pearson_p = ChiSquareP(f.pearson_chi2, 1);
  f.yates_p = ChiSquareP(f.yates_chi2, 1);

  f.note = ExactCountNote(cells);
  if (f.note == CountNote::None && margins == 0) {
    f.note = CountNote::ZeroTotal;
  }
  if (f.note == CountNote::None) {
    if (auto fisher =
            FisherExact2x2(static_cast<std::uint64_t>(cells[0]), static_cast<std::uint64_t>(cells[1]),
                           static_cast<std::uint64_t>(cells[2]), static_cast<std::uint64_t>(cells[3]))) {
      f.fisher_p = fisher->twoSided;
      f.fisher_p_less = fisher->less;
      f.fisher_p_greater = fisher->greater;
      const ConditionalOddsRatio odds = ConditionalOddsRatioOf(
          static_cast<std::uint64_t>(cells[0]), static_cast<std::uint64_t>(cells[1]),
          static_cast<std::uint64_t>(cells[2]), static_cast<std::uint64_t>(cells[3]));
      f.conditional_odds_ratio = odds.estimate;
      f.conditional_odds_ratio_ci_low = odds.ci_low;
      f.conditional_odds_ratio_ci_high = odds.ci_high;
    } else {
      f.note = CountNote::TooLarge;
    }
  }

  if (b * c > 0) {
    f.odds_ratio = Finite(a * d / (b * c));
    if (a > 0 && d > 0) {
      // Woolf: se(log OR) = √(1/a + 1/b + 1/c + 1/d).
      LogInterval(a * d / (b * c), std::sqrt(1 / a + 1 / b + 1 / c + 1 / d), f.odds_ratio_ci_low,
                  f.odds_ratio_ci_high);
    }
  }
  if (r1 > 0 && r2 > 0) {
    const Real p1 = a / r1, p2 = c / r2;
    if (c > 0) {
      f.relative_risk = Finite(p1 / p2);
      if (a > 0) {
        // se(log RR) = √(1/a − 1/R1 + 1/c − 1/R2).
        LogInterval(p1 / p2, std::sqrt(std::max<Real>(0, 1 / a - 1 / r1 + 1 / c - 1 / r2)),
                    f.relative_risk_ci_low, f.relative_risk_ci_high);
      }
    }
    const Real se = std::sqrt(p1 * (1 - p1) / r1 + p2 * (1 - p2) / r2);
    f.risk_difference = Finite(p1 - p2);
    f.risk_difference_ci_low = Finite(p1 - p2 - kZ975 * se);
    f.risk_difference_ci_high = Finite(p1 - p2 + kZ975 * se);
  }

  if (f.n && *f.n >= 40 && f.min_expected && *f.min_expected >= 5) {
    f.rule = FourfoldRule::PearsonChiSquare;
  } else if (f.n && *f.n >= 40 && f.min_expected && *f.min_expected >= 1) {
    f.rule = FourfoldRule::YatesChiSquare;
  }
  return f;
}

PairedFourfoldFigures PairedUnguarded(const std::array<double, 4>& cells) {
  PairedFourfoldFigures f;
  if (AnyNotFinite(cells)) {
    f.note = CountNote::NotFinite;
    return f;
  }
  const Real a = cells[0], b = cells[1], c = cells[2], d = cells[3];
  const Real n = a + b + c + d;
  f.n = Finite(n);
  if (AnyNegative(cells)) {
    f.note = CountNote::Negative;
    return f;
  }
  const Real s = b + c;
  if (s > 0) {
    f.mcnemar_chi2 = Finite((b - c) * (b - c) / s);
    const Real corrected = std::max<Real>(0, std::fabs(b - c) - 1);
    f.mcnemar_cc_chi2 = Finite(corrected * corrected / s);
  }
  f.mcnemar_p = ChiSquareP(f.mcnemar_chi2, 1);
  f.mcnemar_cc_p = ChiSquareP(f.mcnemar_cc_chi2, 1);
  if (c > 0) {
    f.discordant_ratio = Finite(b / c);
  }

  f.note = ExactCountNote(std::array<double, 2>{cells[1], cells[2]});
  if (f.note == CountNote::None) {
    const double k = std::min(cells[1], cells[2]);
    const Binomial law(cells[1] + cells[2], 0.5);
    const double lower = boost::math::cdf(law, k);
    f.mcnemar_exact_p = Finite(std::min(1.0, 2 * lower));
    f.mcnemar_mid_p = Finite(std::min(1.0, 2 * lower - boost::math::pdf(law, k)));
    if (s > 0) {
      // Clopper-Pearson limits of b/(b + c) as odds p/(1 - p); ibeta_inv
      // gives 1 - p separately, so odds near the top keep their precision.
      double complement = 1;
      if (cells[1] == 0) {
        f.discordant_ratio_ci_low = 0.0;
      } else {
        const double p = boost::math::ibeta_inv(cells[1], cells[2] + 1, 0.025, &complement, NoThrow());
        f.discordant_ratio_ci_low = Finite(p / complement);
      }
      if (cells[2] > 0) {
        const double p = boost::math::ibeta_inv(cells[1] + 1, cells[2], 0.975, &complement, NoThrow());
        f.discordant_ratio_ci_high = Finite(p / complement);
      }
    }
  }

  if (n > 0) {
    // Cohen's kappa with its simple standard error √(po(1 − po)/(n(1 − pe)²)).
    const Real po = (a + d) / n;
    const Real pe = ((a + b) * (a + c) + (c + d) * (b + d)) / (n * n);
    if (pe < 1) {
      const Real kappa = (po - pe) / (1 - pe);
      const Real se = std::sqrt(po * (1 - po) / (n * (1 - pe) * (1 - pe)));
      f.kappa = Finite(kappa);
      f.kappa_ci_low = Finite(kappa - kZ975 * se);
      f.kappa_ci_high = Finite(kappa + kZ975 * se);
    }
  }
  f.rule = s < 40 ? PairedRule::ExactBinomial : PairedRule::McNemarChiSquare;
  return f;
}

constexpr int kRxcRows = 3;
constexpr int kRxcColumns = 4;

RxcFigures RxcUnguarded(const std::array<double, 12>& cells) {
  RxcFigures f;
  if (AnyNotFinite(cells)) {
    f.note = CountNote::NotFinite;
    return f;
  }
  const Real n = Sum(cells);
  f.n = Finite(n);
  if (AnyNegative(cells)) {
    f.note = CountNote::Negative;
    return f;
  }
  auto at = [&](int i, int j) -> Real { return cells[static_cast<std::size_t>(i * kRxcColumns + j)]; };
  std::array<Real, kRxcRows> rowTotals{};
  std::array<Real, kRxcColumns> columnTotals{};
  for (int i = 0; i < kRxcRows; ++i) {
    for (int j = 0; j < kRxcColumns; ++j) {
      rowTotals[static_cast<std::size_t>(i)] += at(i, j);
      columnTotals[static_cast<std::size_t>(j)] += at(i, j);
    }
  }
  const auto rows = std::count_if(rowTotals.begin(), rowTotals.end(), [](Real t) { return t > 0; });
  const auto columns = std::count_if(columnTotals.begin(), columnTotals.end(), [](Real t) { return t > 0; });
  if (rows < 2 || columns < 2) {
    f.note = CountNote::ZeroTotal;
    return f;
  }

  Real chi2 = 0;
  Real minExpected = std::numeric_limits<Real>::infinity();
  int below5 = 0;
  for (int i = 0; i < kRxcRows; ++i) {
    for (int j = 0; j < kRxcColumns; ++j) {
      const Real rowTotal = rowTotals[static_cast<std::size_t>(i)];
      const Real columnTotal = columnTotals[static_cast<std::size_t>(j)];
      if (rowTotal > 0 && columnTotal > 0) {
        const Real expected = rowTotal * columnTotal / n;
        chi2 += (at(i, j) - expected) * (at(i, j) - expected) / expected;
        minExpected = std::min(minExpected, expected);
        below5 += expected < 5 ? 1 : 0;
      }
    }
  }
  const auto df = static_cast<double>((rows - 1) * (columns - 1));
  const Real share = static_cast<Real>(below5) / static_cast<Real>(rows * columns);
  f.chi2 = Finite(chi2);
  f.df = df;
  f.p = ChiSquareP(f.chi2, df);
  f.cramers_v = Finite(std::sqrt(chi2 / (n * static_cast<Real>(std::min(rows, columns) - 1))));
  f.min_expected = Finite(minExpected);
  f.share_expected_below_5 = Finite(share);
  f.rule = (minExpected >= 1 && share <= Real{0.2}) ? RxcRule::ChiSquare : RxcRule::FisherExact;

  f.note = ExactCountNote(cells, kMaxEnumeratedCount);
  f.exactPossible = f.note == CountNote::None;
  return f;
}

OrdinalFigures OrdinalUnguarded(const std::array<double, 8>& cells) {
  OrdinalFigures f;
  if (AnyNotFinite(cells)) {
    f.note = CountNote::NotFinite;
    return f;
  }
  Real n1 = 0, n2 = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    n1 += cells[j];
    n2 += cells[j + 4];
  }
  f.n1 = Finite(n1);
  f.n2 = Finite(n2);
  if (AnyNegative(cells)) {
    f.note = CountNote::Negative;
    return f;
  }
  const Real total = n1 + n2;
  Real u = 0;        // Σ g1_j (group-2 count in milder grades + half the tied)
  Real ties = 0;     // Σ (t³ − t)
  Real before = 0;   // pooled count of the milder grades
  Real before2 = 0;  // group-2 count of the milder grades
  Real riditSum1 = 0, riditSum2 = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    const Real g1 = cells[j], g2 = cells[j + 4], t = g1 + g2;
    u += g1 * (before2 + g2 / 2);
    ties += t * t * t - t;
    if (total > 0) {
      const Real ridit = (before + t / 2) / total;
      riditSum1 += g1 * ridit;
      riditSum2 += g2 * ridit;
    }
    before += t;
    before2 += g2;
  }
  auto ridit = [&](Real sum, Real size, std::optional<double>& mean, std::optional<double>& low,
                   std::optional<double>& high) {
    if (size > 0) {
      const Real halfWidth = Real{1.96} / std::sqrt(12 * size);
      mean = Finite(sum / size);
      low = Finite(sum / size - halfWidth);
      high = Finite(sum / size + halfWidth);
    }
  };
  ridit(riditSum1, n1, f.ridit_1, f.ridit_1_ci_low, f.ridit_1_ci_high);
  ridit(riditSum2, n2, f.ridit_2, f.ridit_2_ci_low, f.ridit_2_ci_high);
  if (n1 <= 0 || n2 <= 0) {
    f.note = CountNote::ZeroTotal;
    return f;
  }
  const Real product = n1 * n2;
  f.u = Finite(u);
  f.prob_superiority = Finite(u / product);
  const Real centred = u - product / 2;
  f.z = Finite(centred / std::sqrt(product * (total + 1) / 12));
  const Real tiedVariance = product / 12 * ((total + 1) - ties / (total * (total - 1)));
  if (tiedVariance > 0) {
    f.z_corrected = Finite(centred / std::sqrt(tiedVariance));
  }
  f.p = NormalP(f.z_corrected);
  return f;
}

// Arithmetic here does not throw; a failed allocation inside Boost is the
// one exception left, and it empties the figures rather than escape.
template <typename Figures, typename Compute, typename Cells>
Figures Guarded(Compute compute, const Cells& cells) {
  try {
    return compute(cells);
  } catch (...) {
    return Figures{};
  }
}

}  // namespace

FourfoldFigures FourfoldCountFigures(const std::array<double, 4>& cells) {
  return Guarded<FourfoldFigures>(FourfoldUnguarded, cells);
}

PairedFourfoldFigures PairedFourfoldCountFigures(const std::array<double, 4>& cells) {
  return Guarded<PairedFourfoldFigures>(PairedUnguarded, cells);
}

RxcFigures RxcCountFigures(const std::array<double, 12>& cells) {
  return Guarded<RxcFigures>(RxcUnguarded, cells);
}

OrdinalFigures OrdinalCountFigures(const std::array<double, 8>& cells) {
  return Guarded<OrdinalFigures>(OrdinalUnguarded, cells);
}

FreemanHaltonResult RxcExact(const std::array<double, 12>& cells, const std::atomic<bool>& cancel) {
  FreemanHaltonResult invalid;
  invalid.p = std::numeric_limits<double>::quiet_NaN();
  if (ExactCountNote(cells, kMaxEnumeratedCount) != CountNote::None) {
    return invalid;
  }
  std::array<std::uint64_t, 12> counts{};
  for (std::size_t k = 0; k < cells.size(); ++k) {
    if (!std::isfinite(cells[k]) || cells[k] < 0) {
      return invalid;
    }
    counts[k] = static_cast<std::uint64_t>(cells[k]);
  }
  try {
    return FreemanHaltonExact(counts, kRxcRows, kRxcColumns, cancel);
  } catch (...) {  // the log-factorial table could not be allocated
    return invalid;
  }
}

void SetRxcExact(RxcFigures& f, const FreemanHaltonResult& exact) {
  if (!f.exactPossible) {
    return;
  }
  switch (exact.status) {
    case FreemanHaltonStatus::Done:
      f.fisher_p = Finite(exact.p);
      break;
    case FreemanHaltonStatus::TooManyTables:
      f.note = CountNote::TooManyTables;
      break;
    case FreemanHaltonStatus::Cancelled:
      f.note = CountNote::Cancelled;
      break;
  }
}

FigureList ListFigures(const FourfoldFigures& f) {
  return {{"n", f.n},
          {"min_expected", f.min_expected},
          {"pearson_chi2", f.pearson_chi2},
          {"pearson_p", f.pearson_p},
          {"yates_chi2", f.yates_chi2},
          {"yates_p", f.yates_p},
          {"fisher_p", f.fisher_p},
          {"fisher_p_less", f.fisher_p_less},
          {"fisher_p_greater", f.fisher_p_greater},
          {"conditional_odds_ratio", f.conditional_odds_ratio},
          {"conditional_odds_ratio_ci_low", f.conditional_odds_ratio_ci_low},
          {"conditional_odds_ratio_ci_high", f.conditional_odds_ratio_ci_high},
          {"odds_ratio", f.odds_ratio},
          {"odds_ratio_ci_low", f.odds_ratio_ci_low},
          {"odds_ratio_ci_high", f.odds_ratio_ci_high},
          {"relative_risk", f.relative_risk},
          {"relative_risk_ci_low", f.relative_risk_ci_low},
          {"relative_risk_ci_high", f.relative_risk_ci_high},
          {"risk_difference", f.risk_difference},
          {"risk_difference_ci_low", f.risk_difference_ci_low},
          {"risk_difference_ci_high", f.risk_difference_ci_high}};
}

FigureList ListFigures(const PairedFourfoldFigures& f) {
  return {{"n", f.n},
          {"mcnemar_chi2", f.mcnemar_chi2},
          {"mcnemar_p", f.mcnemar_p},
          {"mcnemar_cc_chi2", f.mcnemar_cc_chi2},
          {"mcnemar_cc_p", f.mcnemar_cc_p},
          {"mcnemar_exact_p", f.mcnemar_exact_p},
          {"mcnemar_mid_p", f.mcnemar_mid_p},
          {"discordant_ratio", f.discordant_ratio},
          {"discordant_ratio_ci_low", f.discordant_ratio_ci_low},
          {"discordant_ratio_ci_high", f.discordant_ratio_ci_high},
          {"kappa", f.kappa},
          {"kappa_ci_low", f.kappa_ci_low},
          {"kappa_ci_high", f.kappa_ci_high}};
}

FigureList ListFigures(const RxcFigures& f) {
  return {{"n", f.n},
          {"chi2", f.chi2},
          {"df", f.df},
          {"p", f.p},
          {"cramers_v", f.cramers_v},
          {"min_expected", f.min_expected},
          {"share_expected_below_5", f.share_expected_below_5},
          {"fisher_p", f.fisher_p}};
}

FigureList ListFigures(const OrdinalFigures& f) {
  return {{"n1", f.n1},
          {"n2", f.n2},
          {"u", f.u},
          {"z", f.z},
          {"z_corrected", f.z_corrected},
          {"p", f.p},
          {"prob_superiority", f.prob_superiority},
          {"ridit_1", f.ridit_1},
          {"ridit_2", f.ridit_2},
          {"ridit_1_ci_low", f.ridit_1_ci_low},
          {"ridit_1_ci_high", f.ridit_1_ci_high},
          {"ridit_2_ci_low", f.ridit_2_ci_low},
          {"ridit_2_ci_high", f.ridit_2_ci_high}};
}

}  // namespace kelvasta
