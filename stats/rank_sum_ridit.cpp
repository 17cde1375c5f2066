#include "stats/rank_sum_ridit.h"

#include <cstddef>
#include <initializer_list>

#include "stats/checked_real.h"
#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/verdict.h"

namespace kelvasta {
namespace {

constexpr std::size_t kGrades = 4;
constexpr int kTestTotalLabel = 13;
constexpr int kControlTotalLabel = 11;
constexpr std::array<int, kGrades> kGradeTotalLabels{14, 15, 16, 17};
constexpr int kGrandTotalLabel = 18;

using Cells = std::array<double, kGrades>;
using Counts = std::array<CheckedReal, kGrades>;

// The totals as read back from their captions.
struct ShownTotals {
  CheckedReal test = 0;
  CheckedReal control = 0;
  Counts grades{0, 0, 0, 0};
  CheckedReal grand = 0;
};

// Left-to-right sum; an infinite cell or a sum beyond double fails here.
CheckedReal Sum(std::initializer_list<double> values) {
  CheckedReal sum = 0;
  for (double v : values) {
    sum = sum + v;
  }
  return sum;
}

// Writes the totals in their fixed order; a total that cannot be formed ends
// the run with the earlier ones written.
ShownTotals WriteTotals(const Cells& a, const Cells& b, OrdinalCaptions& out) {
  auto write = [&out](int label, CheckedReal value) -> CheckedReal {
    std::string text = DoubleToText(value.value());
    out.totals.emplace_back(label, text);
    return ReadLeadingNumber(text);
  };
  ShownTotals shown;
  shown.test = write(kTestTotalLabel, Sum({a[0], a[1], a[2], a[3]}));
  shown.control = write(kControlTotalLabel, Sum({b[0], b[1], b[2], b[3]}));
  for (std::size_t j = 0; j < kGrades; ++j) {
    shown.grades[j] = write(kGradeTotalLabels[j], Sum({a[j], b[j]}));
  }
  shown.grand = write(kGrandTotalLabel, Sum({a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]}));
  return shown;
}

// Mid-rank of each grade's tied block: the grades below it, plus (t + 1)/2.
Counts MidRanks(const Counts& t) {
  return {(t[0] + 1) / 2, t[0] + (t[1] + 1) / 2, t[0] + t[1] + (t[2] + 1) / 2,
          t[0] + t[1] + t[2] + (t[3] + 1) / 2};
}

CheckedReal Weighted(const Counts& counts, const Counts& scores) {
  return counts[0] * scores[0] + counts[1] * scores[1] + counts[2] * scores[2] + counts[3] * scores[3];
}

// Normal approximation to the rank sum of the smaller group (the test group
// on equal sizes), divided by the square root of the tie correction C.
CheckedReal RankSumZ(const Counts& a, const Counts& b, const ShownTotals& s) {
  Counts ranks = MidRanks(s.grades);
  bool controlSmaller = s.control.value() < s.test.value();
  CheckedReal rankSum = Weighted(controlSmaller ? b : a, ranks);
  CheckedReal n1 = controlSmaller ? s.control : s.test;
  CheckedReal n2 = controlSmaller ? s.test : s.control;
  CheckedReal ties = 0;
  for (CheckedReal t : s.grades) {
    ties = ties + (Power(t, 3) - t);
  }
  CheckedReal n = s.grand;
  CheckedReal c = 1 - ties / (Power(n, 3) - n);
  CheckedReal z = Abs(rankSum - n1 * (n + 1) / 2) / SquareRoot(n1 * n2 * (n + 1) / 12);
  return z / SquareRoot(c);
}

// Ridits of the grades from the pooled sample: the share below the grade
// plus half the grade's own share.
Counts PooledRidits(const Counts& a, const Counts& b, CheckedReal n) {
  Counts p{(a[0] + b[0]) / n, (a[1] + b[1]) / n, (a[2] + b[2]) / n, (a[3] + b[3]) / n};
  return {p[0] / 2, p[0] + p[1] / 2, p[0] + p[1] + p[2] / 2, p[0] + p[1] + p[2] + p[3] / 2};
}

CheckedReal RiditU(const Counts& a, const Counts& b, const ShownTotals& s) {
  Counts ridits = PooledRidits(a, b, s.grand);
  CheckedReal meanTest = Weighted(a, ridits) / s.test;
  CheckedReal meanControl = Weighted(b, ridits) / s.control;
  return Abs(meanTest - meanControl) / SquareRoot(1 / (12 * s.control) + 1 / (12 * s.test));
}

std::string NormalVerdict(CheckedReal statistic) {
  return std::string(VerdictText(JudgeTwoLevels(statistic.value(), kNormal05, kNormal01)));
}

Counts Checked(const Cells& cells) { return {cells[0], cells[1], cells[2], cells[3]}; }

void Compute(const std::array<std::string, 8>& cellTexts, OrdinalCaptions& out) {
  Cells test{};
  Cells control{};
  for (std::size_t j = 0; j < kGrades; ++j) {
    test[j] = ReadLeadingNumber(cellTexts[j]);
    control[j] = ReadLeadingNumber(cellTexts[j + kGrades]);
  }
  ShownTotals shown = WriteTotals(test, control, out);
  Counts a = Checked(test);  // finite: every cell is in a finite total
  Counts b = Checked(control);
  CheckedReal zc = RankSumZ(a, b, shown);
  CheckedReal u = RiditU(a, b, shown);
  out.computed = true;
  out.rankSumZ = FormatFourDecimals(DoubleToText(zc.value()));
  out.rankSumVerdict = NormalVerdict(zc);
  out.riditU = FormatFourDecimals(DoubleToText(u.value()));
  out.riditVerdict = NormalVerdict(u);
  if (shown.grades[3].value() == 0) {
    out.totals.emplace_back(kGradeTotalLabels[3], "");
  }
}

}  // namespace

OrdinalCaptions RankSumRidit(const std::array<std::string, 8>& cellTexts) {
  OrdinalCaptions out;
  try {
    Compute(cellTexts, out);
  } catch (const ArithmeticFailure&) {
    // The totals written so far stay; no result is shown.
    out.computed = false;
  }
  return out;
}

}  // namespace kelvasta
