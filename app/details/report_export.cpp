#include "app/details/report_export.h"

#include "stats/number_text.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace kelvasta {

namespace {

// Rows of cells in the order they are copied.
using Part = std::vector<QStringList>;

Part CaptionRows(const DetailsReport& report) {
  Part rows;
  for (const auto& [label, text] : report.captions) rows.push_back({label, text});
  return rows;
}

// A heading is a row of one cell.
Part FigureRows(const DetailsReport& report) {
  Part rows;
  for (const DetailsRow& row : report.rows)
    rows.push_back(row.heading ? QStringList{row.label} : QStringList{row.label, row.value});
  return rows;
}

std::vector<Part> Parts(const DetailsReport& report) {
  std::vector<Part> parts{
      {{report.test}}, report.inputs, report.data, CaptionRows(report), FigureRows(report), {{report.sentence}}};
  std::erase_if(parts, [](const Part& part) { return part.empty() || part == Part{{QString()}}; });
  return parts;
}

QString HtmlRow(const QStringList& cells, const char* tag, qsizetype width) {
  QString row = QStringLiteral("<tr>");
  for (qsizetype i = 0; i < cells.size(); ++i) {
    // A lone cell (a heading line) spans the whole table.
    const QString span =
        cells.size() == 1 && width > 1 ? QStringLiteral(" colspan=\"%1\"").arg(width) : QString();
    row += QStringLiteral("<%1%2>%3</%1>").arg(QLatin1String(tag), span, cells[i].toHtmlEscaped());
  }
  return row + QStringLiteral("</tr>");
}

// A cell of the tab-separated text. Excel and LibreOffice read a cell that
// begins with a quote as a quoted field and would drop its quotes (a name
// such as "A"药): such a cell is quoted, its quotes doubled.
QString PlainCell(const QString& cell) {
  if (!cell.startsWith(u'"')) return cell;
  return u'"' + QString(cell).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

}  // namespace

std::vector<QStringList> PairRows(const std::vector<std::string>& first, const std::vector<std::string>& second,
                                  const std::vector<double>& firstNumbers, const std::vector<double>& secondNumbers,
                                  const QStringList& headings, bool differences, std::size_t limit) {
  std::vector<QStringList> rows{QStringList{QStringLiteral("序号")} + headings};
  if (differences) rows.front().push_back(QStringLiteral("差值"));
  const std::size_t size = std::min({first.size(), second.size(), firstNumbers.size(), secondNumbers.size()});
  std::size_t pairs = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!std::isfinite(firstNumbers[i]) || !std::isfinite(secondNumbers[i])) continue;
    if (++pairs > limit) continue;
    QStringList row{QString::number(i + 1), QString::fromStdString(first[i]), QString::fromStdString(second[i])};
    if (differences) row.push_back(QString::fromStdString(DoubleToText(firstNumbers[i] - secondNumbers[i])));
    rows.push_back(std::move(row));
  }
  if (pairs > limit) rows.push_back({QStringLiteral("共%1对，此处只列出前%2对").arg(pairs).arg(limit)});
  return rows.size() > 1 ? rows : std::vector<QStringList>{};
}

QString ReportPlainText(const DetailsReport& report) {
  QStringList lines;
  for (const Part& part : Parts(report)) {
    if (!lines.isEmpty()) lines.push_back(QString());
    for (const QStringList& row : part) {
      QStringList cells;
      for (const QString& cell : row) cells.push_back(PlainCell(cell));
      lines.push_back(cells.join(QLatin1Char('\t')));
    }
  }
  return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString ReportHtml(const DetailsReport& report) {
  QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>");
  if (!report.test.isEmpty()) html += QStringLiteral("<p><b>%1</b></p>").arg(report.test.toHtmlEscaped());
  const auto table = [&html](const Part& rows, bool headed) {
    if (rows.empty()) return;
    qsizetype width = 0;
    for (const QStringList& row : rows) width = std::max(width, row.size());
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">");
    for (std::size_t r = 0; r < rows.size(); ++r)
      html += HtmlRow(rows[r], headed && r == 0 ? "th" : "td", width);
    html += QStringLiteral("</table><p></p>");
  };
  table(report.inputs, true);
  table(report.data, true);
  table(CaptionRows(report), false);
  table(FigureRows(report), false);
  if (!report.sentence.isEmpty()) html += QStringLiteral("<p>%1</p>").arg(report.sentence.toHtmlEscaped());
  return html + QStringLiteral("</body></html>");
}

QJsonObject ReportJson(const DetailsReport& report) {
  QJsonObject figures;
  for (const Figure& figure : report.figures) {
    const QString key = QString::fromUtf8(figure.key.data(), qsizetype(figure.key.size()));
    const bool usable = figure.value.has_value() && std::isfinite(*figure.value);
    figures[key] = usable ? QJsonValue(*figure.value) : QJsonValue(QJsonValue::Null);
  }
  QJsonArray rows;
  for (const DetailsRow& row : report.rows) rows.append(QJsonArray{row.label, row.value});
  return QJsonObject{{QStringLiteral("test"), report.test},
                     {QStringLiteral("source"), report.source},
                     {QStringLiteral("figures"), figures},
                     {QStringLiteral("rows"), rows},
                     {QStringLiteral("sentence"), report.sentence}};
}

}  // namespace kelvasta
