#include "app/chart/window_charts.h"

#include "app/main_window.h"
#include "app/test_table.h"
#include "entry/value_list.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace kelvasta {

namespace {

// A heading without its padding blanks ("第 1 组" -> "第1组").
QString Heading(const QLabel* label) {
  QString text = label->text();
  text.remove(QRegularExpression(QStringLiteral("\\s+")));
  return text;
}

// The leading number of a cell, 0 when it has none, as the grids count.
double Count(const QLineEdit* cell) {
  static const QRegularExpression kNumber(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?"));
  const QRegularExpressionMatch match = kNumber.match(cell->text());
  return match.hasMatch() ? match.captured(0).trimmed().toDouble() : 0.0;
}

double Number(const QLineEdit* cell) {
  bool ok = false;
  const double value = cell->text().trimmed().toDouble(&ok);
  return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

// Whether the summary cells still hold what the lists' summaries wrote.
template <std::size_t N>
bool FromLists(const ControlArray<QLineEdit>& cells, const std::array<std::string, N>& written) {
  for (std::size_t i = 0; i < N; ++i)
    if (cells(int(i))->text().toStdString() != written[i]) return false;
  return true;
}

// Cells mean, sd, n from `first` on.
GroupMoments Moments(const ControlArray<QLineEdit>& cells, int first) {
  return GroupMoments{.n = Number(cells(first + 2)), .mean = Number(cells(first)), .sd = Number(cells(first + 1))};
}

// "收缩压 (mmHg)" for the value axis when the variable or its unit was
// named; else `shown`, the title the chart gives itself.
QString ValueTitle(const TestNames& names, const QString& shown) {
  if (!names.hasAny({QStringLiteral("variable"), QStringLiteral("unit")})) return shown;
  return WithUnit(names(QStringLiteral("variable"), shown), names(QStringLiteral("unit"), QString()));
}

// The names of keys `key1`, `key2`, ... with the headings as fallbacks.
QStringList Named(const TestNames& names, const QString& prefix, const QStringList& headings) {
  QStringList named;
  for (qsizetype i = 0; i < headings.size(); ++i)
    named.push_back(names(prefix + QString::number(i + 1), headings[i]));
  return named;
}

using Values = std::shared_ptr<const std::vector<double>>;

Values Share(const ValueList& list) { return list.sharedNumbers(); }

ChartBuild Ready(ChartModel model) {
  return {[model = std::move(model)] { return model; }, 0};
}

// The value axis of a means chart titled by the variable's name.
ChartModel Titled(ChartModel model, const TestNames& names) {
  for (ChartPanel& panel : model.panels) panel.yTitle = ValueTitle(names, panel.yTitle);
  return model;
}

// The dots of each list with its mean and interval, from the lists' values
// as they stand (shared, not copied).
ChartBuild ListMeans(std::vector<Values> lists, QStringList names, ErrorBarKind kind, TestNames given) {
  std::size_t values = 0;
  for (const Values& list : lists) values += list->size();
  return {[lists = std::move(lists), names = std::move(names), kind, given = std::move(given)] {
            std::vector<std::span<const double>> groups;
            for (const Values& list : lists) groups.emplace_back(*list);
            return Titled(GroupMeansChart(groups, names, kind), given);
          },
          values};
}

ChartBuild MeansChart(const MainWindow& window, std::optional<ErrorBarKind> chosen) {
  const Controls& c = window.controls();
  const Storage& s = window.storage();
  const TestNames& given = window.names();
  const QString group = QStringLiteral("group");
  if (window.CurrentTest() == kTwoSampleT) {
    QStringList names = Named(given, group, {Heading(c.Label2(1)), Heading(c.Label2(2))});
    if (!FromLists(c.Text4, s.Text4FromLists)) {
      const GroupMoments groups[] = {Moments(c.Text4, 0), Moments(c.Text4, 3)};
      return Ready(Titled(GroupSummaryChart(groups, names, chosen.value_or(ErrorBarKind::Sd)), given));
    }
    return ListMeans({Share(s.List1()), Share(s.List2())}, std::move(names), chosen.value_or(ErrorBarKind::Ci95),
                     given);
  }
  QStringList names = Named(given, group, {Heading(c.Label2(4)), Heading(c.Label2(5)), Heading(c.Label2(6))});
  if (!FromLists(c.Text41, s.Text41FromLists)) {
    const GroupMoments groups[] = {Moments(c.Text41, 0), Moments(c.Text41, 3), Moments(c.Text41, 6)};
    return Ready(Titled(GroupSummaryChart(groups, names, chosen.value_or(ErrorBarKind::Sd)), given));
  }
  return ListMeans({Share(s.List3()), Share(s.List4()), Share(s.List5())}, std::move(names),
                   chosen.value_or(ErrorBarKind::Ci95), given);
}

// A chart of the two-column lists, from their values as they stand.
template <typename Make>
ChartBuild TwoLists(const Storage& s, Make make) {
  Values first = Share(s.List1()), second = Share(s.List2());
  const std::size_t values = first->size() + second->size();
  return {[first = std::move(first), second = std::move(second), make] { return make(*first, *second); }, values};
}

// The fourfold grid's first result column is the event: its sub-heading
// ("阳性") names it.
QString EventName(const Controls& c) {
  QString event = c.Label17(2)->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).value(0);
  event.remove(QRegularExpression(QStringLiteral("[（）()]")));
  return event == u"+" ? QStringLiteral("阳性") : event;
}

// The charts of the count grids: small, built at once.
ChartModel GridChart(const MainWindow& window) {
  const Controls& c = window.controls();
  const TestNames& names = window.names();
  switch (window.CurrentTest()) {
    case kFourfold: {
      const double a = Count(c.Text11(0)), b = Count(c.Text11(1)), cc = Count(c.Text11(2)), d = Count(c.Text11(3));
      const RateGroup groups[] = {{names(QStringLiteral("row1"), Heading(c.Label17(3))), a, a + b},
                                  {names(QStringLiteral("row2"), Heading(c.Label17(4))), cc, cc + d}};
      return RatesChart(groups, names(QStringLiteral("column1"), EventName(c)));
    }
    case kPairedChiSquare: {
      // Each rating's rate of the first grade: the first row (a + b) and the
      // first column (a + c) of the n pairs.
      const double a = Count(c.Text11(0)), b = Count(c.Text11(1)), cc = Count(c.Text11(2)), d = Count(c.Text11(3));
      const double n = a + b + cc + d;
      const RateGroup groups[] = {{names(QStringLiteral("rating2"), Heading(c.Label17(0))), a + b, n},
                                  {names(QStringLiteral("rating1"), Heading(c.Label17(1))), a + cc, n}};
      return RatesChart(groups, names(QStringLiteral("grade1"), EventName(c)));
    }
    case kSeveralRates: {
      constexpr int kRowHeadings[] = {10, 9, 14};
      constexpr int kColumnHeadings[] = {12, 7, 11, 26};
      std::vector<std::vector<double>> counts(3, std::vector<double>(4));
      QStringList rows, columns;
      for (int row = 0; row < 3; ++row) {
        rows.push_back(names(QStringLiteral("row%1").arg(row + 1), Heading(c.Label17(kRowHeadings[row]))));
        for (int column = 0; column < 4; ++column)
          counts[std::size_t(row)][std::size_t(column)] = Count(c.Text111(4 * row + column));
      }
      for (int column = 0; column < 4; ++column)
        columns.push_back(
            names(QStringLiteral("column%1").arg(column + 1), Heading(c.Label17(kColumnHeadings[column]))));
      return GroupedRatesChart(counts, rows, columns);
    }
    case kOrdinal: {
      std::vector<std::vector<double>> counts(2, std::vector<double>(4));
      for (int cell = 0; cell < 8; ++cell) counts[std::size_t(cell / 4)][std::size_t(cell % 4)] = Count(c.Text12(cell));
      QStringList grades;
      for (int grade = 0; grade < 4; ++grade)
        grades.push_back(names(QStringLiteral("grade%1").arg(grade + 1), Heading(c.Label17(16 + grade))));
      return StackedPercentChart(counts, Named(names, QStringLiteral("group"), {Heading(c.Label17(21)), Heading(c.Label17(22))}),
                                 grades);
    }
    default:
      return {};
  }
}

}  // namespace

ChartModel ChartForWindow(const MainWindow& window, std::optional<ErrorBarKind> errorBars) {
  return ChartBuildForWindow(window, errorBars).make();
}

ChartBuild ChartBuildForWindow(const MainWindow& window, std::optional<ErrorBarKind> errorBars) {
  switch (window.CurrentTest()) {
    case kTwoSampleT:
    case kAnova:
      return MeansChart(window, errorBars);
    case kPairedT: {
      const TestNames given = window.names();
      const QStringList names = Named(given, QStringLiteral("group"),
                                      {Heading(window.controls().Label2(1)), Heading(window.controls().Label2(2))});
      return TwoLists(window.storage(),
                      [names, given](const std::vector<double>& first, const std::vector<double>& second) {
                        ChartModel model = PairedChart(first, second, names);
                        // The pairs' axis is the variable; the differences' keeps its
                        // caption, with the unit.
                        model.panels.front().yTitle = ValueTitle(given, model.panels.front().yTitle);
                        model.panels.back().yTitle =
                            WithUnit(model.panels.back().yTitle, given(QStringLiteral("unit"), QString()));
                        return model;
                      });
    }
    case kCorrelation: {
      const TestNames& given = window.names();
      const QString x = WithUnit(given(QStringLiteral("x"), QStringLiteral("X")), given(QStringLiteral("x_unit"), QString()));
      const QString y = WithUnit(given(QStringLiteral("y"), QStringLiteral("Y")), given(QStringLiteral("y_unit"), QString()));
      return TwoLists(window.storage(), [x, y](const std::vector<double>& xs, const std::vector<double>& ys) {
        ChartModel model = CorrelationChart(xs, ys);
        for (ChartPanel& panel : model.panels) {
          panel.xTitle = x;
          panel.yTitle = y;
        }
        return model;
      });
    }
    default:
      return Ready(GridChart(window));
  }
}


}  // namespace kelvasta
