// The details pane's chart: what the dump reports for each test, the
// intervals the chart builders draw against the statistics units and
// published values, saving through the script, and a million rows.
#include "app/chart/chart_model.h"
#include "app/chart/chart_tab.h"
#include "app/details/details_pane.h"
#include "stats/correlation_figures.h"
#include "stats/mean_figures.h"
#include "stats/number_text.h"
#include "tests/app/script_fixture.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace kelvasta::testing {
namespace {

using ChartTest = ScriptTest;

QJsonObject Chart(const QJsonObject& dump) {
  return dump.value(QStringLiteral("details")).toObject().value(QStringLiteral("chart")).toObject();
}

// "name:points" of every series, comma-separated; binned ones end in "#".
QString SeriesText(const QJsonObject& chart) {
  QStringList parts;
  for (const QJsonValue& v : chart.value(QStringLiteral("series")).toArray()) {
    const QJsonObject s = v.toObject();
    parts << QStringLiteral("%1:%2%3")
                 .arg(s.value(QStringLiteral("name")).toString())
                 .arg(s.value(QStringLiteral("points")).toInteger())
                 .arg(s.value(QStringLiteral("binned")).toBool() ? QStringLiteral("#") : QString());
  }
  return parts.join(QLatin1Char(','));
}

QString TypeDown(const char* column, const QStringList& values) {
  QString script;
  for (int r = 0; r < values.size(); ++r)
    script += QStringLiteral("type %1(%2) %3\nkey %1(%2) Enter\n").arg(QLatin1String(column)).arg(r).arg(values[r]);
  return script;
}

QString SetCells(const char* grid, const QStringList& values) {
  QString script;
  for (int i = 0; i < values.size(); ++i)
    script += QStringLiteral("set %1(%2) %3\n").arg(QLatin1String(grid)).arg(i).arg(values[i]);
  return script;
}

TEST_F(ChartTest, DumpDescribesTheChartOfEveryTest) {
  const QStringList before{QStringLiteral("12.1"), QStringLiteral("14.3"), QStringLiteral("11.8"),
                           QStringLiteral("13.6"), QStringLiteral("15.0")};
  const QStringList after{QStringLiteral("10.2"), QStringLiteral("13.1"), QStringLiteral("11.0"),
                          QStringLiteral("12.2"), QStringLiteral("13.4")};
  struct Case {
    const char* name;
    QString script;
    const char* kind;
    const char* yTitle;
    const char* series;
    const char* errorBars;  // "" for null
  };
  const Case cases[] = {
      {"two_sample_raw", QStringLiteral("click Command1(0)\n") + TypeDown("Text1", before) +
                             TypeDown("Text2", after.mid(0, 4)),
       "group_means", "观察值", "第1组:5,第2组:4,均数及95%CI:2", "ci95"},
      // Typed summary figures: means with ± SD, no dots.
      {"two_sample_summary", QStringLiteral("click Command1(0)\n") +
                                 SetCells("Text4", {"12.5", "1.3", "20", "11.2", "1.1", "18"}),
       "group_means", "均数", "均数±标准差:2", "sd"},
      {"paired", QStringLiteral("click Command1(1)\n") + TypeDown("Text1", before) + TypeDown("Text2", after),
       "paired_differences", "观察值", "各对观察值:5,差值:5,均数及95%CI:1,差值为0:1", ""},
      {"anova_raw", QStringLiteral("click Command1(2)\n") + TypeDown("Text30", before.mid(0, 3)) +
                        TypeDown("Text40", after.mid(0, 3)) + TypeDown("Text50", before.mid(2, 3)),
       "group_means", "观察值", "第1组:3,第2组:3,第3组:3,均数及95%CI:3", "ci95"},
      {"anova_summary", QStringLiteral("click Command1(2)\n") +
                            SetCells("Text41", {"10", "2", "12", "11", "2.5", "10", "13", "3", "9"}),
       "group_means", "均数", "均数±标准差:3", "sd"},
      // The band and the line are drawn at 61 abscissae.
      {"correlation", QStringLiteral("click Command1(6)\n") + TypeDown("Text1", before) + TypeDown("Text2", after),
       "scatter", "Y", "观察值:5,95%置信带:61,回归直线:61", ""},
      {"fourfold", QStringLiteral("click Command1(3)\n") + SetCells("Text11", {"12", "8", "5", "15"}), "rates",
       "阳性率（%）", "阳性率:2", ""},
      {"paired_fourfold", QStringLiteral("click Command1(4)\n") + SetCells("Text11", {"25", "10", "4", "21"}),
       "rates", "阳性率（%）", "阳性率:2", ""},
      // A row without counts is left out.
      {"rxc", QStringLiteral("click Command1(5)\n") + SetCells("Text111", {"20", "10", "", "", "15", "15"}),
       "rates", "构成比（%）", "C1:2,C2:2", ""},
      {"ordinal", QStringLiteral("click Command1(7)\n") + SetCells("Text12", {"5", "10", "8", "2", "9", "12", "3", "1"}),
       "stacked_percent", "构成比（%）", "（+）:2,（++）:2,（+++）:2,（++++）:2", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    const QJsonObject chart = Chart(RunAndDump(c.script));
    EXPECT_EQ(chart.value(QStringLiteral("kind")).toString(), QLatin1String(c.kind));
    EXPECT_EQ(chart.value(QStringLiteral("y_title")).toString(), QString::fromUtf8(c.yTitle));
    EXPECT_EQ(SeriesText(chart), QString::fromUtf8(c.series));
    const QJsonValue bars = chart.value(QStringLiteral("error_bars"));
    EXPECT_EQ(bars.isNull() ? QString() : bars.toString(), QLatin1String(c.errorBars));
  }
}

TEST_F(ChartTest, ErrorBarChoiceOverridesTheSource) {
  const QString data = QStringLiteral("click Command1(0)\n") + TypeDown("Text1", {"3", "4", "5"}) +
                       TypeDown("Text2", {"6", "7", "9"});
  EXPECT_EQ(Chart(RunAndDump(data)).value(QStringLiteral("error_bars")).toString(), QStringLiteral("ci95"));
  auto* choice = window_->findChild<QComboBox*>(QStringLiteral("ChartErrorBars"));
  ASSERT_NE(choice, nullptr);
  choice->setCurrentIndex(choice->findText(QStringLiteral("均数±标准差")));
  emit choice->activated(choice->currentIndex());
  const QJsonObject chart = Chart(RunAndDump(QString()));
  EXPECT_EQ(chart.value(QStringLiteral("error_bars")).toString(), QStringLiteral("sd"));
  EXPECT_EQ(SeriesText(chart), QStringLiteral("第1组:3,第2组:3,均数±标准差:2"));
}

TEST_F(ChartTest, ShowChartMenuSwitchesTheTabs) {
  const DetailsPane& pane = window_->detailsPane();
  EXPECT_FALSE(pane.chartShown());
  for (const bool shown : {true, false, true}) {
    EXPECT_EQ(Run(QStringLiteral("menu 显示图表")).status, 0);
    EXPECT_EQ(pane.chartShown(), shown);
    EXPECT_EQ(pane.chart().isVisibleTo(window_.get()), shown);
  }
  // Showing the chart shows a hidden pane too.
  EXPECT_EQ(Run(QStringLiteral("menu 统计详情\nmenu 显示图表\nmenu 显示图表")).status, 0);
  EXPECT_FALSE(pane.isHidden());
  EXPECT_TRUE(pane.chartShown());
}

// Mean ± t(0.975, n − 1)·SD/√n is the paired t's interval of the
// differences against zero; ± SD is the moments' SD.
TEST(ChartBuilders, MeanIntervalsMatchTheStatistics) {
  const std::vector<std::vector<double>> samples = {
      {1, 2, 3, 4, 5}, {12.1, 14.3, 11.8, 13.6, 15.0}, {1000001, 1000002, 1000003, 1000004}, {0.5, 0.5000001}};
  for (const std::vector<double>& values : samples) {
    SCOPED_TRACE(values.size());
    const std::vector<double> zeros(values.size(), 0.0);
    const PairedTFigures t = ComputePairedTFigures(values, zeros);
    const GroupMoments m = ComputeGroupMoments(values);
    const auto ci = MeanInterval(m, ErrorBarKind::Ci95);
    EXPECT_NEAR(ci[0], *t.ci_low, 1e-9 * std::abs(*t.ci_low) + 1e-12);
    EXPECT_NEAR(ci[1], *t.ci_high, 1e-9 * std::abs(*t.ci_high) + 1e-12);
    const auto sd = MeanInterval(m, ErrorBarKind::Sd);
    EXPECT_NEAR((sd[1] - sd[0]) / 2, m.sd, 1e-15 * std::abs(m.mean) + 1e-12 * m.sd);
  }
  // One value: no interval.
  const double one[] = {4};
  EXPECT_TRUE(std::isnan(MeanInterval(ComputeGroupMoments(one), ErrorBarKind::Ci95)[0]));
}

TEST(ChartBuilders, PairedDifferenceIntervalIsThePairedT) {
  const std::vector<double> a = {12.1, 14.3, 11.8, 13.6, 15.0, NAN};
  const std::vector<double> b = {10.2, 13.1, 11.0, 12.2, 13.4, 9.0};
  const PairedTFigures t = ComputePairedTFigures(a, b);
  const ChartModel model = PairedChart(a, b, {QStringLiteral("前"), QStringLiteral("后")});
  ASSERT_EQ(model.panels.size(), 2u);
  const ChartSeries& mean = model.panels[1].series[1];
  EXPECT_NEAR(mean.y[0], *t.mean_difference, 1e-12);
  EXPECT_NEAR(mean.low[0], *t.ci_low, 1e-9);
  EXPECT_NEAR(mean.high[0], *t.ci_high, 1e-9);
}

// At x = 0 the confidence band of the line is the intercept's interval.
TEST(ChartBuilders, BandAtZeroIsTheInterceptInterval) {
  const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6};
  const std::vector<double> y = {1.2, 1.9, 3.2, 3.8, 5.1, 6.3, 6.8};
  const CorrelationFigures f = ComputeCorrelationFigures(x, y);
  const ChartModel model = CorrelationChart(x, y);
  const ChartSeries& band = model.panels[0].series[1];
  ASSERT_EQ(band.type, ChartSeries::Type::Band);
  EXPECT_EQ(band.x.front(), 0.0);
  EXPECT_NEAR(band.low.front(), *f.intercept_ci_low, 1e-9);
  EXPECT_NEAR(band.high.front(), *f.intercept_ci_high, 1e-9);
  EXPECT_TRUE(model.panels[0].note.contains(QStringLiteral("r = 0.99")));
}

// Newcombe (1998), Statistics in Medicine 17:857, Table I, method 3 (score).
TEST(ChartBuilders, WilsonIntervalMatchesNewcombe) {
  struct Case {
    double events, total, low, high;
  };
  const Case cases[] = {{81, 263, 0.2553, 0.3662}, {15, 148, 0.0624, 0.1605}, {0, 20, 0, 0.1611},
                        {1, 29, 0.0061, 0.1718}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.events);
    const auto w = WilsonInterval(c.events, c.total);
    EXPECT_NEAR(w[0], c.low, 5e-5);
    EXPECT_NEAR(w[1], c.high, 5e-5);
  }
  EXPECT_TRUE(std::isnan(WilsonInterval(0, 0)[0]));
}

// Each column's share of its row with the Wilson interval of that share;
// empty rows and columns are left out.
TEST(ChartBuilders, GroupedRatesShowEveryColumnOfEachRow) {
  const ChartModel model = GroupedRatesChart({{20, 10, 0, 0}, {0, 0, 0, 0}, {15, 15, 0, 0}},
                                             {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3")},
                                             {QStringLiteral("C1"), QStringLiteral("C2"), QStringLiteral("C3"),
                                              QStringLiteral("C4")});
  const ChartPanel& panel = model.panels.at(0);
  EXPECT_EQ(panel.categories, (QStringList{QStringLiteral("R1"), QStringLiteral("R3")}));
  ASSERT_EQ(panel.series.size(), 2u);
  const ChartSeries& c2 = panel.series[1];
  EXPECT_EQ(c2.name, QStringLiteral("C2"));
  EXPECT_NEAR(c2.y[0], 100.0 / 3, 1e-12);
  EXPECT_NEAR(c2.y[1], 50, 1e-12);
  const auto w = WilsonInterval(10, 30);
  EXPECT_NEAR(c2.low[0], 100 * w[0], 1e-12);
  EXPECT_NEAR(c2.high[0], 100 * w[1], 1e-12);
  // The two bars of a row sit either side of its tick.
  EXPECT_NEAR(panel.series[0].x[0] + c2.x[0], 2.0, 1e-12);
  EXPECT_LT(panel.series[0].x[0], c2.x[0]);
}

// Dots of sorted values must not line up: neighbouring offsets are not
// tied to each other (a golden-ratio sequence has a lag-one correlation of
// -0.42), and they spread over the whole width.
TEST(ChartBuilders, JitterLooksRandom) {
  std::vector<double> values(600);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = double(i);
  const std::span<const double> groups[] = {values};
  const ChartModel model = GroupMeansChart(groups, {QStringLiteral("第1组")}, ErrorBarKind::Ci95);
  const std::vector<double>& x = model.panels.at(0).series.at(0).x;
  double mean = 0;
  for (double v : x) mean += v / double(x.size());
  double lag = 0, variance = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    variance += (x[i] - mean) * (x[i] - mean);
    if (i + 1 < x.size()) lag += (x[i] - mean) * (x[i + 1] - mean);
  }
  EXPECT_LT(std::abs(lag / variance), 0.15);
  const auto [low, high] = std::minmax_element(x.begin(), x.end());
  EXPECT_GT(*high - *low, 0.27);  // of the 0.3 the dots may take
}

TEST(ChartBuilders, StackedPercentagesFillEachBar) {
  const ChartModel model = StackedPercentChart({{5, 10, 8, 2}, {0, 0, 0, 0}, {9, 12, 3, 1}},
                                               {QStringLiteral("甲"), QStringLiteral("空"), QStringLiteral("乙")},
                                               {QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("++"),
                                                QStringLiteral("+++")});
  const ChartPanel& panel = model.panels[0];
  EXPECT_EQ(panel.categories, (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
  for (std::size_t g = 0; g < 2; ++g) {
    const ChartSeries& top = panel.series.back();
    EXPECT_NEAR(top.base[g] + top.y[g], 100, 1e-9);
  }
  EXPECT_NEAR(panel.series[1].base[0], 20, 1e-12);  // 5 of 25 below "+"
}

TEST_F(ChartTest, SaveChartWritesPngSvgAndPdf) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString png = dir.filePath(QStringLiteral("图1.png"));
  const QString small = dir.filePath(QStringLiteral("small.png"));
  const QString svg = dir.filePath(QStringLiteral("chart.svg"));
  const QString pdf = dir.filePath(QStringLiteral("chart.PDF"));
  const Result result = Run(QStringLiteral("click Command1(6)\n") + TypeDown("Text1", {"1", "2", "3", "4"}) +
                            TypeDown("Text2", {"2.1", "3.9", "6.2", "7.8"}) + QStringLiteral("savechart ") + png +
                            QStringLiteral("\nsavechart 8x6 ") + small + QStringLiteral("\nsavechart ") + svg +
                            QStringLiteral("\nsavechart ") + pdf);
  ASSERT_EQ(result.status, 0) << result.err.toStdString();

  // 12 x 9 cm and 8 x 6 cm at 300 dpi, the resolution written in the file.
  struct Png {
    QString path;
    QSize pixels;
  };
  for (const Png& p : {Png{png, QSize(1417, 1063)}, Png{small, QSize(945, 709)}}) {
    const QImage image(p.path);
    EXPECT_EQ(image.size(), p.pixels);
    EXPECT_EQ(image.dotsPerMeterX(), 11811);
    EXPECT_EQ(image.dotsPerMeterY(), 11811);
  }
  QFile svgFile(svg);
  ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
  const QByteArray svgText = svgFile.readAll();
  EXPECT_TRUE(svgText.startsWith("<?xml"));
  EXPECT_TRUE(svgText.contains("<svg width=\"120mm\" height=\"90mm\""));
  EXPECT_TRUE(svgText.contains("</svg>"));
  EXPECT_TRUE(svgText.contains("<title>直线相关与回归 "));
  // Every font is the one drawn with, then a generic family.
  const QString fontFamily = QStringLiteral("'%1', sans-serif").arg(QFontInfo(QApplication::font()).family());
  qsizetype fonts = 0;
  for (qsizetype at = svgText.indexOf("font-family=\""); at >= 0; at = svgText.indexOf("font-family=\"", at + 1)) {
    ++fonts;
    const qsizetype start = at + 13;
    EXPECT_EQ(QString::fromUtf8(svgText.mid(start, svgText.indexOf('"', start) - start)), fontFamily);
  }
  EXPECT_GT(fonts, 0);
  QFile pdfFile(pdf);
  ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly));
  const QByteArray pdfBytes = pdfFile.readAll();
  EXPECT_TRUE(pdfBytes.startsWith("%PDF-"));
  EXPECT_TRUE(pdfBytes.trimmed().endsWith("%%EOF"));
  EXPECT_GT(pdfBytes.size(), 1000);
  EXPECT_TRUE(pdfBytes.contains("/Title"));

  // A resolution of its own; sizes and resolutions out of range are refused.
  const QString fine = dir.filePath(QStringLiteral("fine.png"));
  ASSERT_EQ(Run(QStringLiteral("savechart 8x6@150 ") + fine).status, 0);
  EXPECT_EQ(QImage(fine).size(), QSize(472, 354));
  const QString png2 = dir.filePath(QStringLiteral("b.png"));
  for (const QString& bad : {dir.filePath(QStringLiteral("chart.bmp")), QStringLiteral("1x6@150 ") + png2,
                             QStringLiteral("8x6@2000 ") + png2, QStringLiteral("100x100@1200 ") + png2}) {
    SCOPED_TRACE(bad.toStdString());
    EXPECT_EQ(Run(QStringLiteral("savechart ") + bad).status, 2);
  }
  EXPECT_FALSE(QFile::exists(png2));
}

TEST_F(ChartTest, SaveChartMenuAsksThroughTheDesktop) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("menu.png"));
  EXPECT_EQ(Run(QStringLiteral("click Command1(3)\n") + SetCells("Text11", {"12", "8", "5", "15"}) +
                QStringLiteral("answer ") + path + QStringLiteral("\nmenu 保存图表…"))
                .status,
            0);
  EXPECT_EQ(QImage(path).size(), QSize(1417, 1063));
}

// On screen the markers and lines grow with the text at every zoom.
TEST_F(ChartTest, MarkersAndLinesFollowTheZoom) {
  const QString data = QStringLiteral("click Command1(6)\n") + TypeDown("Text1", {"1", "2", "3"}) +
                       TypeDown("Text2", {"2", "4", "5"}) + QStringLiteral("menu 显示图表\n");
  ASSERT_EQ(Run(data + QStringLiteral("dump")).status, 0);
  const auto* plot = window_->findChild<QCustomPlot*>();
  ASSERT_NE(plot, nullptr);
  const auto sizes = [plot] {
    const QCPGraph* dots = plot->graph(0);
    return std::pair(dots->scatterStyle().size(), plot->graph(plot->graphCount() - 1)->pen().widthF());
  };
  const auto at100 = sizes();
  ASSERT_EQ(Run(QStringLiteral("menu 放大\n").repeated(10) + QStringLiteral("dump")).status, 0);
  EXPECT_EQ(window_->Zoom(), 200);
  const auto at200 = sizes();
  EXPECT_NEAR(at200.first, 2 * at100.first, 1e-9);
  EXPECT_NEAR(at200.second, 2 * at100.second, 1e-9);
}

TEST_F(ChartTest, MillionRowsAreBinned) {
  struct Case {
    int test;
    const char* series;
  };
  for (const Case& c : {Case{0, "数据分布（分格计数）"}, Case{6, "观察值（分格计数）"}}) {
    SCOPED_TRACE(c.test);
    window_->SelectTest(c.test);
    ListWindow& lists = window_->storage().twoColumnLists;
    lists.clearLists();
    constexpr std::size_t kRows = 1'000'000;
    for (std::size_t i = 0; i < kRows; ++i) {
      lists.column(0).append(DoubleToText(double(i % 1000) / 10));
      lists.column(1).append(DoubleToText(double((i * 7) % 1000) / 10 + double(i % 1000) / 20));
    }
    const QJsonObject chart = Chart(RunAndDump(QString()));
    const QJsonObject first = chart.value(QStringLiteral("series")).toArray().at(0).toObject();
    EXPECT_EQ(first.value(QStringLiteral("name")).toString(), QString::fromUtf8(c.series));
    EXPECT_TRUE(first.value(QStringLiteral("binned")).toBool());
    EXPECT_GT(first.value(QStringLiteral("points")).toInteger(), 0);
    EXPECT_LE(first.value(QStringLiteral("points")).toInteger(), 160 * 120);
  }
}

}  // namespace
}  // namespace kelvasta::testing
