#include "app/details/row_table.h"

#include <QTableWidget>

namespace kelvasta {

void SetTableRow(QTableWidget& table, int r, const DetailsRow& row, const QFont& headingFont) {
  auto* label = new QTableWidgetItem(row.label);
  table.setItem(r, 0, label);
  if (row.heading) {
    label->setFont(headingFont);
    delete table.takeItem(r, 1);
    table.setSpan(r, 0, 1, 2);
    return;
  }
  if (table.columnSpan(r, 0) != 1) table.setSpan(r, 0, 1, 1);
  auto* value = new QTableWidgetItem(row.value);
  value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  table.setItem(r, 1, value);
}

}  // namespace kelvasta
