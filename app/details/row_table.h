#pragma once

#include "app/details/details_report.h"

class QFont;
class QTableWidget;

namespace kelvasta {

// Writes `row` as line `r` of a two-column table of figures: a heading spans
// both columns in `headingFont`, a figure's value is aligned right.
void SetTableRow(QTableWidget& table, int r, const DetailsRow& row, const QFont& headingFont);

}  // namespace kelvasta
