#include "app/cell_filter_widget.h"
#include "app/controls.h"
#include "app/handlers/caption_text.h"
#include "app/handlers/handlers.h"
#include "stats/rank_sum_ridit.h"

namespace kelvasta {

namespace {

void RecomputeOrdinalTable(const Controls& c) {
  const OrdinalCaptions out = RankSumRidit(CellTexts<8>(c.Text12));
  for (const auto& [index, caption] : out.totals) SetCaption(c.Label18(index), caption);
  SetCaption(c.Label20(9), out.rankSumZ);
  SetCaption(c.Label5(44), out.rankSumVerdict);
  SetCaption(c.Label20(10), out.riditU);
  SetCaption(c.Label5(43), out.riditVerdict);
  c.Label107(10)->clear();
  c.Label107(13)->clear();
}

}  // namespace

void WireOrdinalTable(const Controls& c, QObject* context) {
  for (const auto& [index, cell] : c.Text12) {
    QLineEdit* changed = cell;
    QObject::connect(changed, &QLineEdit::textChanged, context, [&c, changed] {
      FilterLastCharacter(changed, false);
      RecomputeOrdinalTable(c);
    });
  }
}

}  // namespace kelvasta
