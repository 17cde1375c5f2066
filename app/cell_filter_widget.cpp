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

void FilterLastCharacter(QLineEdit* cell, bool replaceFullStop) {
  for (FilterStep step : kFilterSteps) {
    if (step == FilterStep::ReplaceFullStop && !replaceFullStop) continue;
    ApplyStep(cell, step);
  }
}

void ReplaceFullStops(QLineEdit* cell) { ApplyStep(cell, FilterStep::ReplaceFullStop); }

}  // namespace kelvasta
