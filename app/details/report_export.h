#pragma once

#include "app/details/details_report.h"

#include <QJsonObject>
#include <QStringList>

#include <cstddef>
#include <string>
#include <vector>

namespace kelvasta {

// The copied forms of a report: its title, the inputs grid, the panel's
// captions, the figures (label | shown text) and the sentence, in that order;
// empty parts are left out.

// Plain text: one line per row, columns separated by tabs, parts by a blank
// line (pastes into Excel and WPS tables).
// The complete pairs of two value lists as copied: 序号, the two columns'
// texts as typed and, with `differences`, their difference; at most `limit`
// pairs, then a line saying how many more there are.
std::vector<QStringList> PairRows(const std::vector<std::string>& first, const std::vector<std::string>& second,
                                  const std::vector<double>& firstNumbers, const std::vector<double>& secondNumbers,
                                  const QStringList& headings, bool differences, std::size_t limit);

QString ReportPlainText(const DetailsReport& report);

// An HTML fragment of tables (pastes as tables into Word and WPS).
QString ReportHtml(const DetailsReport& report);

// The automation dump's `details`: test, source, figures (numbers, null where
// missing), rows as [label, shown text] and the sentence.
QJsonObject ReportJson(const DetailsReport& report);

}  // namespace kelvasta
