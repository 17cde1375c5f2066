#pragma once

// Rows, captions and sentence clauses shared by every test's report.

#include "app/details/details_report.h"

#include <QLabel>
#include <QString>

#include <utility>
#include <vector>

namespace kelvasta {

DetailsRow Heading(const QString& label);
DetailsRow Row(const QString& label, const QString& value);

// A heading's text as copied, its padding blanks removed ("组  别" -> "组别",
// "第 1 组" -> "第1组").
QString HeadingText(const QLabel* label);
// A caption of the panel as label and shown text; nothing when the shown
// text is empty.
void AddCaption(std::vector<std::pair<QString, QString>>& captions, const QString& label, const QLabel* shown);

// Clauses of the sentence.
// "P = 0.0109", or "P < 0.0001" below 0.0001.
QString PClause(double p);
// "差异有统计学意义" when p < 0.05, else "差异无统计学意义".
QString Verdict(double p);

}  // namespace kelvasta
