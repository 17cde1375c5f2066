// "用当前数据" for the count designs: the planning shares a pilot study typed
// into the fourfold, paired, R x C or ordinal grid gives, read as the
// details pane reads the grid.
#include "app/power/pilot_data.h"

#include "app/controls.h"
#include "app/details/count_reports_parts.h"
#include "app/main_window.h"
#include "app/test_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace kelvasta {

namespace {

using count_reports::AllBlank;
using count_reports::LenientCounts;
using count_reports::StrictCounts;

template <std::size_t N>
bool Countable(const std::array<double, N>& cells) {
  return std::all_of(cells.begin(), cells.end(), [](double v) { return std::isfinite(v) && v >= 0; });
}

QString Cases(int group, double n) { return QStringLiteral("第%1组%2例").arg(group).arg(PilotText(n)); }

}  // namespace

PilotValues FourfoldPilot(const MainWindow& window) {
  const ControlArray<QLineEdit>& grid = window.controls().Text11;
  if (window.CurrentTest() != kFourfold || AllBlank(grid, 4)) return NoPilot(kFourfold, false);
  const std::array<double, 4> c = StrictCounts(grid);
  const double n1 = c[0] + c[1], n2 = c[2] + c[3];
  if (!Countable(c) || !(n1 > 0) || !(n2 > 0) || !std::isfinite(n1 + n2)) return NoPilot(kFourfold, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("p1"), PilotText(c[0] / n1)}, {QStringLiteral("p2"), PilotText(c[2] / n2)}};
  pilot.source = SizesSource({Cases(1, n1), Cases(2, n2)});
  return pilot;
}

PilotValues PairedTablePilot(const MainWindow& window) {
  const ControlArray<QLineEdit>& grid = window.controls().Text11;
  if (window.CurrentTest() != kPairedChiSquare || AllBlank(grid, 4)) return NoPilot(kPairedChiSquare, false);
  const std::array<double, 4> c = StrictCounts(grid);
  const double n = c[0] + c[1] + c[2] + c[3];
  if (!Countable(c) || !(n > 0) || !std::isfinite(n)) return NoPilot(kPairedChiSquare, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("p10"), PilotText(c[1] / n)}, {QStringLiteral("p01"), PilotText(c[2] / n)}};
  pilot.source = SizesSource({QStringLiteral("%1对").arg(PilotText(n))});
  return pilot;
}

PilotValues RxcTablePilot(const MainWindow& window) {
  constexpr int kRows = 3, kColumns = 4;
  const ControlArray<QLineEdit>& grid = window.controls().Text111;
  if (window.CurrentTest() != kSeveralRates || AllBlank(grid, kRows * kColumns)) return NoPilot(kSeveralRates, false);
  const std::array<double, 12> cells = LenientCounts<12>(grid);
  if (!Countable(cells)) return NoPilot(kSeveralRates, true);
  const auto at = [&cells](int i, int j) { return cells[std::size_t(i * kColumns + j)]; };
  // The rows and columns with cases, as the table's own figures take them.
  std::vector<int> rows, columns;
  std::array<double, kRows> rowTotals{};
  double total = 0;
  for (int i = 0; i < kRows; ++i) {
    for (int j = 0; j < kColumns; ++j) rowTotals[std::size_t(i)] += at(i, j);
    if (rowTotals[std::size_t(i)] > 0) rows.push_back(i);
    total += rowTotals[std::size_t(i)];
  }
  for (int j = 0; j < kColumns; ++j) {
    double column = 0;
    for (int i = 0; i < kRows; ++i) column += at(i, j);
    if (column > 0) columns.push_back(j);
  }
  if (rows.size() < 2 || columns.size() < 2 || !std::isfinite(total)) return NoPilot(kSeveralRates, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("r"), QString::number(rows.size())}, {QStringLiteral("c"), QString::number(columns.size())}};
  QStringList sizes;
  for (std::size_t g = 0; g < rows.size(); ++g) {
    const double n = rowTotals[std::size_t(rows[g])];
    pilot.texts[QStringLiteral("share_%1").arg(g + 1)] = PilotText(n / total);
    for (std::size_t k = 0; k < columns.size(); ++k)
      pilot.texts[QStringLiteral("p_%1_%2").arg(g + 1).arg(k + 1)] = PilotText(at(rows[g], columns[k]) / n);
    sizes.push_back(Cases(int(g) + 1, n));
  }
  pilot.source = SizesSource(sizes);
  return pilot;
}

PilotValues OrdinalTablePilot(const MainWindow& window) {
  const ControlArray<QLineEdit>& grid = window.controls().Text12;
  if (window.CurrentTest() != kOrdinal || AllBlank(grid, 8)) return NoPilot(kOrdinal, false);
  const std::array<double, 8> cells = LenientCounts<8>(grid);
  if (!Countable(cells)) return NoPilot(kOrdinal, true);
  double n1 = 0, n2 = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    n1 += cells[j];
    n2 += cells[j + 4];
  }
  if (!(n1 > 0) || !(n2 > 0) || !std::isfinite(n1 + n2)) return NoPilot(kOrdinal, true);
  PilotValues pilot;
  for (std::size_t j = 0; j < 4; ++j) {
    pilot.texts[QStringLiteral("p1_%1").arg(j + 1)] = PilotText(cells[j] / n1);
    pilot.texts[QStringLiteral("p2_%1").arg(j + 1)] = PilotText(cells[j + 4] / n2);
  }
  pilot.source = SizesSource({Cases(1, n1), Cases(2, n2)});
  return pilot;
}

}  // namespace kelvasta
