#include "stats/rxc_chi_square.h"

#include <cmath>
#include <cstddef>
#include <optional>

#include "stats/checked_real.h"
#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/verdict.h"

namespace kelvasta {
namespace {

constexpr std::size_t kRows = 3;
constexpr std::size_t kColumns = 4;
constexpr std::array<int, kColumns> kColumnTotalLabels{5, 6, 7, 8};
constexpr std::array<int, kRows> kRowTotalLabels{9, 10, 12};  // there is no Label18(11) in this grid
constexpr int kGrandTotalLabel = 20;
constexpr std::array<int, 9> kClearedTotalLabels{5, 6, 7, 8, 9, 10, 12, 19, 20};

struct CriticalPair {
  double c05;
  double c01;
};

// Upper 0.05 and 0.01 points of chi-square for df 1 to 6, two decimals.
constexpr std::array<CriticalPair, 6> kCriticalByDf{
    {{3.84, 6.63}, {5.99, 9.21}, {7.81, 11.34}, {9.49, 13.28}, {11.07, 15.09}, {12.59, 16.81}}};

// The totals as the statistic sees them: read back from their captions.
struct ShownTotals {
  std::array<double, kColumns> columns{};
  std::array<double, kRows> rows{};
  double grand = 0;
  std::string grandText;
  bool formed = true;  // false when some total is beyond double (its caption empty)
};

std::array<double, 12> ReadCells(const std::array<std::string, 12>& cellTexts) {
  std::array<double, 12> a{};
  for (std::size_t k = 0; k < a.size(); ++k) {
    a[k] = ReadLeadingNumber(cellTexts[k]);
  }
  return a;
}

ShownTotals WriteTotals(const std::array<double, 12>& a, RxcCaptions& out) {
  ShownTotals shown;
  auto write = [&out, &shown](int label, double value) {
    shown.formed = shown.formed && std::isfinite(value);
    std::string text = DoubleToText(value);
    out.totals.emplace_back(label, text);
    return ReadLeadingNumber(text);
  };
  for (std::size_t j = 0; j < kColumns; ++j) {
    shown.columns[j] = write(kColumnTotalLabels[j], a[j] + a[j + 4] + a[j + 8]);
  }
  for (std::size_t i = 0; i < kRows; ++i) {
    const double* row = &a[4 * i];
    shown.rows[i] = write(kRowTotalLabels[i], row[0] + row[1] + row[2] + row[3]);
  }
  // The twelve cells in index order, not the sum of the totals.
  double grand = 0;
  for (double v : a) {
    grand += v;
  }
  shown.grand = write(kGrandTotalLabel, grand);
  shown.grandText = out.totals.back().second;
  return shown;
}

double Product(const ShownTotals& t, std::size_t k) { return t.columns[k % kColumns] * t.rows[k / kColumns]; }

// C·R/N; nullopt when the division fails (N = 0, or a result beyond double).
std::optional<double> Theoretical(const ShownTotals& t, std::size_t k) {
  try {
    return (CheckedReal(Product(t, k)) / t.grand).value();
  } catch (const ArithmeticFailure&) {
    return std::nullopt;
  }
}

// Sum of (A - T)²/T over cells whose row and column totals are both
// non-zero; a term that cannot be formed (no T, or beyond double) is left out.
double Statistic(const std::array<double, 12>& a, const ShownTotals& t) {
  double sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    std::optional<double> frequency = Theoretical(t, k);
    if (Product(t, k) == 0 || !frequency) {
      continue;
    }
    try {
      CheckedReal difference = CheckedReal(a[k]) - *frequency;
      sum = (sum + difference * difference / *frequency).value();
    } catch (const ArithmeticFailure&) {
      // Left out of the sum, like a failed division.
    }
  }
  return sum;
}

int DegreesOfFreedom(const ShownTotals& t) {
  int columns = 0;
  int rows = 0;
  for (double c : t.columns) {
    columns += c > 0 ? 1 : 0;
  }
  for (double r : t.rows) {
    rows += r > 0 ? 1 : 0;
  }
  return (columns - 1) * (rows - 1);
}

// The frequencies are judged as read back from their texts; an empty text
// (a failed division) counts as 0, which is neither small nor tiny.
bool TooSmall(const std::array<std::string, 12>& theoretical, int df) {
  int smallCount = 0;
  for (const std::string& text : theoretical) {
    double t = ReadLeadingNumber(text);
    if (t > 0 && t < 1) {
      return true;
    }
    if (t >= 1 && t < 5) {
      ++smallCount;
    }
  }
  return smallCount > (df < 6 ? 1 : 2);
}

}  // namespace

RxcCaptions RxcChiSquare(const std::array<std::string, 12>& cellTexts) {
  RxcCaptions out;
  std::array<double, 12> a = ReadCells(cellTexts);
  ShownTotals shown = WriteTotals(a, out);
  // An empty total would read as 0 and quietly drop its row or column from
  // the statistic: nothing is computed from totals that could not be formed.
  if (!shown.formed) {
    return out;
  }
  double statistic = Statistic(a, shown);
  int df = DegreesOfFreedom(shown);
  for (std::size_t k = 0; k < a.size(); ++k) {
    std::optional<double> t = Theoretical(shown, k);
    // A failed division leaves an empty text, never an older table's value.
    out.theoretical[k] = t ? DoubleToText(*t) : "";
  }
  if (df < 2) {
    for (int label : kClearedTotalLabels) {
      out.totals.emplace_back(label, "");
    }
    return out;
  }
  if (TooSmall(out.theoretical, df)) {
    out.warningVisible = true;
    return out;
  }
  // A 3 x 4 grid gives at most df = (4 - 1)(3 - 1) = 6.
  const CriticalPair& critical = kCriticalByDf[static_cast<std::size_t>(df - 1)];
  out.critical05 = DoubleToText(critical.c05);
  out.critical01 = DoubleToText(critical.c01);
  out.n = shown.grandText;
  out.chiSquare = FormatFourDecimals(DoubleToText(statistic));
  // Judge the value as shown, so a caption of 5.9900 reaches 5.99.
  double x = ReadLeadingNumber(out.chiSquare);
  out.verdict = VerdictText(JudgeTwoLevels(x, critical.c05, critical.c01));
  return out;
}

}  // namespace kelvasta
