#pragma once

#include "app/details/details_report.h"

#include <QJsonObject>

namespace kelvasta {

// The copied forms of a report: its title, the inputs grid, the panel's
// captions, the figures (label | shown text) and the sentence, in that order;
// empty parts are left out.

// Plain text: one line per row, columns separated by tabs, parts by a blank
// line (pastes into Excel and WPS tables).
QString ReportPlainText(const DetailsReport& report);

// An HTML fragment of tables (pastes as tables into Word and WPS).
QString ReportHtml(const DetailsReport& report);

// The automation dump's `details`: test, source, figures (numbers, null where
// missing), rows as [label, shown text] and the sentence.
QJsonObject ReportJson(const DetailsReport& report);

}  // namespace kelvasta
