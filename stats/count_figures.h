#pragma once

#include <array>
#include <atomic>
#include <optional>

#include "stats/figures.h"
#include "stats/freeman_halton.h"

namespace kelvasta {

// Why exact figures (or, for unusable input, all figures) are missing.
enum class CountNote {
  None,
  NotFinite,      // a cell is NaN or infinite: every figure is empty
  Negative,       // a negative count: every figure but n is empty
  NonWhole,       // a count with decimals: the exact figures are empty
  TooLarge,       // a count above kMaxExactCount: the exact figures are empty
  ZeroTotal,      // a zero row or column total (R x C: fewer than two left)
  TooManyTables,  // R x C: more tables with these margins than the exact test enumerates
  Cancelled,      // R x C: the exact test was stopped by a newer input
};

// Which test the sentence reports.
enum class FourfoldRule { PearsonChiSquare, YatesChiSquare, FisherExact };
enum class PairedRule { ExactBinomial, McNemarChiSquare };
enum class RxcRule { ChiSquare, FisherExact };

struct FourfoldFigures {
  std::optional<double> n, min_expected;
  std::optional<double> pearson_chi2, pearson_p, yates_chi2, yates_p;
  std::optional<double> fisher_p, fisher_p_less, fisher_p_greater;
  // The conditional maximum-likelihood OR and its exact interval, the
  // estimate consistent with Fisher's test (see ConditionalOddsRatio).
  std::optional<double> conditional_odds_ratio, conditional_odds_ratio_ci_low, conditional_odds_ratio_ci_high;
  std::optional<double> odds_ratio, odds_ratio_ci_low, odds_ratio_ci_high;
  std::optional<double> relative_risk, relative_risk_ci_low, relative_risk_ci_high;
  std::optional<double> risk_difference, risk_difference_ci_low, risk_difference_ci_high;
  CountNote note = CountNote::None;
  FourfoldRule rule = FourfoldRule::FisherExact;
};

struct PairedFourfoldFigures {
  std::optional<double> n;
  std::optional<double> mcnemar_chi2, mcnemar_p, mcnemar_cc_chi2, mcnemar_cc_p;
  std::optional<double> mcnemar_exact_p, mcnemar_mid_p;
  std::optional<double> discordant_ratio, discordant_ratio_ci_low, discordant_ratio_ci_high;
  std::optional<double> kappa, kappa_ci_low, kappa_ci_high;
  CountNote note = CountNote::None;
  PairedRule rule = PairedRule::ExactBinomial;
};

struct RxcFigures {
  std::optional<double> n, chi2, df, p, cramers_v, min_expected, share_expected_below_5;
  std::optional<double> fisher_p;  // filled by SetRxcExact
  CountNote note = CountNote::None;
  RxcRule rule = RxcRule::FisherExact;
  bool exactPossible = false;  // the exact test can run on these cells
};

struct OrdinalFigures {
  std::optional<double> n1, n2, u, z, z_corrected, p, prob_superiority;
  std::optional<double> ridit_1, ridit_2;
  std::optional<double> ridit_1_ci_low, ridit_1_ci_high, ridit_2_ci_low, ridit_2_ci_high;
  CountNote note = CountNote::None;
};

// Fourfold table a b / c d (rows = groups, first column = the event). The
// chi-squares take any finite non-negative cells; Fisher needs whole counts
// up to kMaxExactCount and no zero margin and is computed here (it takes
// milliseconds at most). Ratios and intervals are empty where a
// denominator or a logged cell is zero. NaN or infinity empties every
// figure, a negative count every figure but n.
FourfoldFigures FourfoldCountFigures(const std::array<double, 4>& cells);
FigureList ListFigures(const FourfoldFigures& f);

// Paired fourfold table a b / c d, b and c the discordant pairs. The exact
// binomial figures and the discordant ratio's interval need whole b and c;
// the McNemar figures are empty when b + c = 0.
PairedFourfoldFigures PairedFourfoldCountFigures(const std::array<double, 4>& cells);
FigureList ListFigures(const PairedFourfoldFigures& f);

// The cheap figures of the 3 x 4 grid of rates (cells row by row) over the
// rows and columns with a positive total; fewer than two of either leave
// only n. fisher_p stays empty: when exactPossible, run RxcExact off the
// user-interface thread and pass its result to SetRxcExact; otherwise note
// says why there is no exact P.
RxcFigures RxcCountFigures(const std::array<double, 12>& cells);

// Freeman-Halton exact test of the same grid; Done with P = 1 when the
// cells cannot be tested (check exactPossible first).
FreemanHaltonResult RxcExact(const std::array<double, 12>& cells, const std::atomic<bool>& cancel);

// Puts the exact result into f: fisher_p when Done, else the note.
void SetRxcExact(RxcFigures& f, const FreemanHaltonResult& exact);
FigureList ListFigures(const RxcFigures& f);

// Ordinal 2 x 4 table: cells 0-3 group 1, 4-7 group 2, grades from the
// mildest up. Rank sum (Mann-Whitney U of group 1, z without and with the
// tie correction, P from the latter) and mean Ridits against the pooled
// sample with the textbook interval R ± 1.96/√(12 n).
OrdinalFigures OrdinalCountFigures(const std::array<double, 8>& cells);
FigureList ListFigures(const OrdinalFigures& f);

}  // namespace kelvasta
