#include "app/details/count_reports_parts.h"

#include "app/controls.h"
#include "app/details/figure_text.h"
#include "app/main_window.h"
#include "stats/currency.h"
#include "stats/number_reading.h"

#include <QPushButton>

#include <cmath>
#include <limits>
#include <string>

namespace kelvasta::count_reports {

std::array<double, 4> StrictCounts(const ControlArray<QLineEdit>& cells) {
  std::array<double, 4> counts{};
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const std::string text = cells(int(i))->text().toStdString();
    if (const std::optional<Currency> value = Currency::FromText(text)) {
      counts[i] = value->ToDouble();
    } else if (BeginsWithNumber(text)) {
      counts[i] = std::numeric_limits<double>::quiet_NaN();
    }
  }
  return counts;
}

double LenientCount(const QLineEdit* cell) { return ReadLeadingNumber(cell->text().toStdString()); }

bool AllBlank(const ControlArray<QLineEdit>& cells, int count) {
  for (int i = 0; i < count; ++i)
    if (!cells(i)->text().trimmed().isEmpty()) return false;
  return true;
}

DetailsReport TableReport(const MainWindow& window) {
  DetailsReport report;
  report.test = window.controls().Command1(window.CurrentTest())->text();
  report.source = QStringLiteral("table");
  return report;
}

QString NoteText(CountNote note, const QString& zeroTotal) {
  switch (note) {
    case CountNote::None: return QString();
    case CountNote::NotFinite: return QStringLiteral("存在无法读取或超出范围的频数，不能计算");
    case CountNote::Negative: return QStringLiteral("存在负数频数，不能计算");
    case CountNote::NonWhole: return QStringLiteral("存在非整数频数，不能计算确切概率");
    case CountNote::TooLarge: return QStringLiteral("频数过大，不能计算确切概率");
    case CountNote::ZeroTotal: return zeroTotal;
    case CountNote::TooManyTables: return QStringLiteral("表格组合数超过1,000,000，未计算确切概率");
    case CountNote::Cancelled: return QStringLiteral("确切概率的计算已中止");
  }
  return QString();
}

QString WhyNoTest(CountNote note, const QString& zeroTotal) {
  const QString text = NoteText(note, zeroTotal);
  return (text.isEmpty() ? QStringLiteral("不能进行检验") : text) + QStringLiteral("。");
}

void AddNote(std::vector<DetailsRow>& rows, CountNote note, const QString& zeroTotal) {
  const QString text = NoteText(note, zeroTotal);
  if (!text.isEmpty()) rows.push_back(Row(QStringLiteral("注"), text));
}

QString CaptionLabel(const QLabel* label) {
  QString text = label->text().trimmed();
  if (text.endsWith(QLatin1Char('=')) || text.endsWith(QStringLiteral("："))) text.chop(1);
  return text.trimmed();
}

QString EstimateClause(const QString& name, std::optional<double> estimate, std::optional<double> low,
                       std::optional<double> high) {
  if (!estimate || !std::isfinite(*estimate)) return QString();
  QString clause = QStringLiteral("，%1 = %2").arg(name, FigureText(estimate));
  const QString interval = IntervalText(low, high);
  if (interval != MissingText()) clause += QStringLiteral("（95%CI：%1）").arg(interval);
  return clause;
}

}  // namespace kelvasta::count_reports
