#pragma once

// Pieces shared by the reports of the four count tables: reading the grid as
// the panels read it, the rows, the notes and the sentence's clauses.

#include "app/control_array.h"
#include "app/details/details_report.h"
#include "app/details/report_rows.h"
#include "stats/count_figures.h"

#include <QLabel>
#include <QLineEdit>

#include <array>
#include <optional>
#include <vector>

namespace kelvasta {

class MainWindow;

namespace count_reports {

// The counts of a 2 x 2 grid read strictly, as its panel reads them: a blank
// or a text without digits ("", "-", ".") counts 0; a number is rounded to
// four decimals; a text with digits that the strict reading refuses (beyond
// the range the panel can hold, or followed by other characters) is NaN, so
// that every figure of it is missing.
std::array<double, 4> StrictCounts(const ControlArray<QLineEdit>& cells);

// The counts of cells 0 to N - 1 read leniently (the leading number of each
// text, 0 when there is none, ±inf beyond the double range), as the R x C and
// ordinal panels read them.
double LenientCount(const QLineEdit* cell);
template <std::size_t N>
std::array<double, N> LenientCounts(const ControlArray<QLineEdit>& cells) {
  std::array<double, N> counts{};
  for (std::size_t i = 0; i < N; ++i) counts[i] = LenientCount(cells(int(i)));
  return counts;
}

// True when no cell 0 to count - 1 holds anything but blanks.
bool AllBlank(const ControlArray<QLineEdit>& cells, int count);

// The report before any figure: the test button's caption and "table".
DetailsReport TableReport(const MainWindow& window);

// Why figures are missing, for a note row; `zeroTotal` is the test's own
// wording of CountNote::ZeroTotal. Empty for CountNote::None.
QString NoteText(CountNote note, const QString& zeroTotal);
// The sentence when no test can be given: the note as one sentence
// ("某行或某列合计为0，不能计算χ²及确切概率。"), or "不能进行检验。".
QString WhyNoTest(CountNote note, const QString& zeroTotal);
// Appends the note row "注" when there is a note.
void AddNote(std::vector<DetailsRow>& rows, CountNote note, const QString& zeroTotal);

// A caption's label without a trailing "=" or "：" (see AddCaption).
QString CaptionLabel(const QLabel* label);

// Clauses of the sentence.
// "，OR = 3.2500（95%CI：1.2885 ~ 8.1977）", without the interval when an
// end is missing; empty when the estimate is.
QString EstimateClause(const QString& name, std::optional<double> estimate, std::optional<double> low,
                       std::optional<double> high);

}  // namespace count_reports
}  // namespace kelvasta
