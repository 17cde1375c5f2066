#include "app/details/report_rows.h"

#include "app/details/figure_text.h"

#include <QRegularExpression>

namespace kelvasta {

DetailsRow Heading(const QString& label) { return {label, QString(), true}; }

DetailsRow Row(const QString& label, const QString& value) { return {label, value, false}; }

QString HeadingText(const QLabel* label) {
  static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
  return label->text().remove(kBlanks);
}

void AddCaption(std::vector<std::pair<QString, QString>>& captions, const QString& label, const QLabel* shown) {
  if (shown->text().isEmpty()) return;
  captions.emplace_back(label, shown->text());
}

QString PClause(double p) {
  return p < 0.0001 ? QStringLiteral("P < 0.0001") : QStringLiteral("P = ") + PText(p);
}

QString Verdict(double p) {
  return p < 0.05 ? QStringLiteral("差异有统计学意义") : QStringLiteral("差异无统计学意义");
}

}  // namespace kelvasta
