#include "app/cell_filter_widget.h"
#include "app/main_window.h"
#include "app/test_table.h"
#include "stats/count_table.h"
#include "stats/fourfold.h"
#include "stats/paired_chi_square.h"

#include <QLabel>
#include <QLineEdit>

namespace kelvasta {

namespace {
QString FromStd(const std::string& text) { return QString::fromStdString(text); }

bool TitleIs(const QLabel* title, std::string_view expected) {
  return title->text() == QString::fromUtf8(expected.data(), static_cast<qsizetype>(expected.size()));
}
}  // namespace

void MainWindow::wireCountTable() {
  for (const auto& [index, cell] : c_.Text11) {
    QLineEdit* changed = cell;
    connect(changed, &QLineEdit::textChanged, this, [this, changed] {
      FilterLastCharacter(changed, false);
      changed->end(false);
      RecomputeCountTable();
    });
  }
}

// The 2 x 2 grid serves the fourfold and the paired chi-square tests; the
// title tells which one follows the totals.
void MainWindow::RecomputeCountTable() {
  std::array<std::string, 4> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = c_.Text11(int(i))->text().toStdString();
  const CountTotals totals = ComputeCountTotals(texts);
  for (std::size_t i = 0; i < totals.captions.size(); ++i)
    c_.Label18(int(i))->setText(FromStd(totals.captions[i]));

  if (TitleIs(c_.Label1, kTitleFourfold)) {
    const FourfoldCaptions out = FourfoldChiSquare(totals);
    for (std::size_t i = 0; i < out.theoretical.size(); ++i)
      c_.Label20(int(i) + 1)->setText(FromStd(out.theoretical[i]));
    c_.Label20(5)->setText(FromStd(out.n));
    c_.Label20(6)->setText(FromStd(out.chiSquare));
    c_.Label5(21)->setText(FromStd(out.verdict));
  } else if (TitleIs(c_.Label1, kTitlePairedChiSquare)) {
    const PairedCaptions out = PairedChiSquare(totals);
    c_.Label20(8)->setText(FromStd(out.n));
    c_.Label20(7)->setText(FromStd(out.chiSquare));
    c_.Label5(23)->setText(FromStd(out.verdict));
  }
}

}  // namespace kelvasta
