#include "app/cell_filter_widget.h"

#include "stats/cell_filter.h"

#include <QLineEdit>

namespace kelvasta {

namespace {
void ApplyStep(QLineEdit* cell, FilterStep step) {
  const std::string now = cell->text().toStdString();
  const std::string next = ApplyFilterStep(step, now);
  if (next != now) cell->setText(QString::fromStdString(next));
}
}  // namespace

// The settled text is written in one go: the cell's change handling then runs
// once more, nested, on the text the chain of one-character write-backs would
// have reached, without a nesting level (and a copy of the text) for every
// character the filter removes.
void FilterLastCharacter(QLineEdit* cell, bool replaceFullStop) {
  const std::string now = cell->text().toStdString();
  const std::string settled = FilterFully(now, replaceFullStop);
  if (settled != now) cell->setText(QString::fromStdString(settled));
}

void ReplaceFullStops(QLineEdit* cell) { ApplyStep(cell, FilterStep::ReplaceFullStop); }

}  // namespace kelvasta
