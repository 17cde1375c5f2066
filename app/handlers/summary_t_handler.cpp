#include "app/cell_filter_widget.h"
#include "app/controls.h"
#include "app/handlers/caption_text.h"
#include "app/handlers/handlers.h"
#include "stats/summary_t_test.h"

namespace kelvasta {

namespace {

void RecomputeSummaryT(const Controls& c, const Storage& s) {
  c.Label107(1)->clear();
  const SummaryTCaptions out = SummaryTTest(CellTexts<6>(c.Text4), s.Text14);
  SetCaption(c.Label5(3), out.critical05);
  SetCaption(c.Label5(4), out.critical01);
  SetCaption(c.Label5(5), out.critical001);
  SetCaption(c.Label5(6), out.result);
}

}  // namespace

void WireSummaryT(const Controls& c, const Storage& s, QObject* context) {
  for (const auto& [index, cell] : c.Text4) {
    QLineEdit* changed = cell;
    QObject::connect(changed, &QLineEdit::textChanged, context, [&c, &s, changed] {
      ReplaceFullStops(changed);
      RecomputeSummaryT(c, s);
    });
  }
}

}  // namespace kelvasta
