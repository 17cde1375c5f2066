#include "app/cell_filter_widget.h"
#include "app/controls.h"
#include "app/handlers/caption_text.h"
#include "app/handlers/handlers.h"
#include "stats/rxc_chi_square.h"

namespace kelvasta {

namespace {

void RecomputeRxcTable(const Controls& c) {
  const RxcCaptions out = RxcChiSquare(CellTexts<12>(c.Text111));
  for (const auto& [index, caption] : out.totals) SetCaption(c.Label18(index), caption);
  for (std::size_t k = 0; k < out.theoretical.size(); ++k) SetCaption(c.Label21(int(k)), out.theoretical[k]);
  SetCaption(c.Label5(37), out.critical05);
  SetCaption(c.Label5(36), out.critical01);
  SetCaption(c.Label20(12), out.n);
  SetCaption(c.Label20(13), out.chiSquare);
  SetCaption(c.Label5(35), out.verdict);
  c.Label22->setVisible(out.warningVisible);
}

}  // namespace

void WireRxcTable(const Controls& c, QObject* context) {
  for (const auto& [index, cell] : c.Text111) {
    QLineEdit* changed = cell;
    QObject::connect(changed, &QLineEdit::textChanged, context, [&c, changed] {
      // The filter runs only on a non-empty cell; the caret stays where it is.
      if (!changed->text().isEmpty()) FilterLastCharacter(changed, false);
      RecomputeRxcTable(c);
    });
  }
}

}  // namespace kelvasta
