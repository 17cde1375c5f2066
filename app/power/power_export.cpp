// What leaves the planning window: the clipboard, the chart's files and the
// automation dump.
#include "app/power/power_export.h"

#include "app/chart/chart_view.h"
#include "app/desktop.h"
#include "app/details/report_export.h"
#include "app/power/power_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFileInfo>
#include <QJsonArray>
#include <QLineEdit>
#include <QMimeData>

#include <cmath>

namespace kelvasta {

namespace {

const PowerDesign& Design(int index) { return PowerDesigns().at(std::size_t(index)); }

QString InputLabel(const PowerDesign& design, const QString& key) {
  for (const PlanningInput& input : design.inputs)
    if (input.key == key) return input.label;
  return key;
}

// The plan in the shape the details pane copies: its title, the inputs as a
// grid, the notes, the figures and the sentence.
DetailsReport CopiedReport(const PowerWindow& window) {
  const PlanningState state = window.state();
  const PowerDesign& design = Design(state.design);
  DetailsReport copied;
  copied.test = QStringLiteral("样本量与检验效能：%1").arg(design.name);
  copied.inputs = {{QStringLiteral("设计参数"), QStringLiteral("取值")},
                   {QStringLiteral("计算"), state.findPower ? QStringLiteral("求检验效能") : QStringLiteral("求样本量")}};
  if (design.usesSides)
    copied.inputs.push_back({QStringLiteral("检验"), state.sides == 1 ? QStringLiteral("单侧") : QStringLiteral("双侧")});
  for (const QString& key : window.shownKeys())
    copied.inputs.push_back({InputLabel(design, key), state.inputs.value(key)});
  for (const QString& note : window.notes()) copied.captions.emplace_back(QStringLiteral("注"), note);
  copied.rows = window.report().rows;
  copied.sentence = window.report().sentence;
  return copied;
}

}  // namespace

void PowerWindow::copyToClipboard() {
  ensureCurrent();
  const DetailsReport copied = CopiedReport(*this);
  auto* mime = new QMimeData;
  mime->setHtml(ReportHtml(copied));
  mime->setText(ReportPlainText(copied));
  QApplication::clipboard()->setMimeData(mime);
  copied_ = true;
}

void PowerWindow::copyChart() const { QApplication::clipboard()->setImage(RenderChart(report_.chart)); }

void PowerWindow::saveChart() {
  ensureCurrent();
  const QString name = QStringLiteral("样本量与检验效能");
  std::optional<ChartSaveChoice> choice = desktop_.askChartFile(this, ChartFileName(name));
  if (!choice || choice->path.isEmpty()) return;
  const QString file = QFileInfo(choice->path).suffix().isEmpty() ? choice->path + QStringLiteral(".png")
                                                                  : choice->path;
  choice->options.title = name + QStringLiteral(" ") + QDate::currentDate().toString(Qt::ISODate);
  if (!SaveChart(report_.chart, file, choice->options))
    desktop_.showMessage(this, QStringLiteral("保存图表"), QStringLiteral("无法保存图表：%1").arg(file));
}

QJsonObject PowerJson(const PowerWindow& window) {
  const PlanningState state = window.state();
  const PlanningReport& report = window.report();
  QJsonObject inputs;
  for (const QString& key : window.shownKeys()) inputs[key] = state.inputs.value(key);
  QJsonObject figures;
  for (const Figure& figure : report.figures) {
    const bool usable = figure.value.has_value() && std::isfinite(*figure.value);
    figures[QString::fromUtf8(figure.key.data(), qsizetype(figure.key.size()))] =
        usable ? QJsonValue(*figure.value) : QJsonValue(QJsonValue::Null);
  }
  QJsonArray rows;
  for (const DetailsRow& row : report.rows) rows.append(QJsonArray{row.label, row.value});
  qint64 points = 0;
  for (const ChartPanel& panel : report.chart.panels)
    for (const ChartSeries& series : panel.series)
      if (series.type == ChartSeries::Type::Curve) points += qint64(series.count());
  return QJsonObject{{QStringLiteral("design"), state.design},
                     {QStringLiteral("mode"), state.findPower ? QStringLiteral("power") : QStringLiteral("n")},
                     {QStringLiteral("sides"), state.sides},
                     {QStringLiteral("inputs"), inputs},
                     {QStringLiteral("figures"), figures},
                     {QStringLiteral("rows"), rows},
                     {QStringLiteral("notes"), QJsonArray::fromStringList(window.notes())},
                     {QStringLiteral("sentence"), report.sentence},
                     {QStringLiteral("chart"), QJsonObject{{QStringLiteral("points"), points}}}};
}

}  // namespace kelvasta
