#include "app/cell_filter_widget.h"
#include "app/controls.h"
#include "app/handlers/caption_text.h"
#include "app/handlers/handlers.h"
#include "app/test_table.h"
#include "stats/count_table.h"
#include "stats/fourfold.h"
#include "stats/paired_chi_square.h"

namespace kelvasta {

namespace {

// The 2 x 2 grid serves the fourfold and the paired chi-square tests; the
// title tells which one follows the totals.
void RecomputeCountTable(const Controls& c) {
  const CountTotals totals = ComputeCountTotals(CellTexts<4>(c.Text11));
  for (std::size_t i = 0; i < totals.captions.size(); ++i) SetCaption(c.Label18(int(i)), totals.captions[i]);

  if (TitleIs(c.Label1, kTitleFourfold)) {
    const FourfoldCaptions out = FourfoldChiSquare(totals);
    for (std::size_t i = 0; i < out.theoretical.size(); ++i) SetCaption(c.Label20(int(i) + 1), out.theoretical[i]);
    SetCaption(c.Label20(5), out.n);
    SetCaption(c.Label20(6), out.chiSquare);
    SetCaption(c.Label5(21), out.verdict);
  } else if (TitleIs(c.Label1, kTitlePairedChiSquare)) {
    const PairedCaptions out = PairedChiSquare(totals);
    SetCaption(c.Label20(8), out.n);
    SetCaption(c.Label20(7), out.chiSquare);
    SetCaption(c.Label5(23), out.verdict);
  }
}

}  // namespace

void WireCountTable(const Controls& c, QObject* context) {
  for (const auto& [index, cell] : c.Text11) {
    QLineEdit* changed = cell;
    QObject::connect(changed, &QLineEdit::textChanged, context, [&c, changed] {
      FilterLastCharacter(changed, false);
      changed->end(false);
      RecomputeCountTable(c);
    });
  }
}

}  // namespace kelvasta
