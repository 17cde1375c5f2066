// The details pane in the real window: showing and hiding, the dump's
// details and clipboard, copying, and the refresh and slow-part machinery,
// with builders registered here.
#include "app/details/details_pane.h"
#include "app/test_table.h"
#include "app/twips.h"
#include "app/details/report_export.h"
#include "tests/app/script_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

#include <chrono>
#include <thread>

namespace kelvasta::testing {
namespace {

using DetailsPaneTest = ScriptTest;

const QString kToggle = QStringLiteral("menu 统计详情\n");


TEST_F(DetailsPaneTest, ShownByDefaultAndToggledByTheViewMenu) {
  const QWidget* form = window_->centralWidget()->childAt(0, 0);
  const QPoint cell = window_->controls().Text1(0)->mapTo(window_.get(), QPoint());
  const int paneWidth = window_->detailsPane().width();
  const int formWidth = window_->width() - paneWidth;
  EXPECT_EQ(paneWidth, TwipsToPixels(4800));
  // Usable on a 1366 x 768 screen.
  EXPECT_LE(window_->frameGeometry().width(), 1000);
  EXPECT_LE(window_->frameGeometry().height(), 768);

  struct Step {
    const char* name;
    bool shown;
  };
  const Step steps[] = {{"hidden", false}, {"shown_again", true}, {"hidden_again", false}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(Run(kToggle).status, 0);
    EXPECT_EQ(window_->detailsPane().isHidden(), !step.shown);
    EXPECT_EQ(window_->width(), formWidth + (step.shown ? paneWidth : 0));
    EXPECT_EQ(window_->maximumWidth(), window_->width());
    // The form itself does not move.
    EXPECT_EQ(window_->centralWidget()->childAt(0, 0), form);
    EXPECT_EQ(window_->controls().Text1(0)->mapTo(window_.get(), QPoint()), cell);
  }
}

TEST_F(DetailsPaneTest, DefaultReportNamesTheTestAndItsSource) {
  const char* const sources[kTestCount] = {"raw", "raw", "raw", "table", "table", "table", "raw", "table"};
  for (int test = 0; test < kTestCount; ++test) {
    SCOPED_TRACE(test);
    const QJsonObject details = Details(RunAndDump(QStringLiteral("click Command1(%1)").arg(test)));
    EXPECT_EQ(details.value(QStringLiteral("test")).toString(), window_->controls().Command1(test)->text());
    EXPECT_EQ(details.value(QStringLiteral("source")).toString(), QLatin1String(sources[test]));
    EXPECT_TRUE(details.value(QStringLiteral("figures")).toObject().isEmpty());
    EXPECT_TRUE(details.value(QStringLiteral("rows")).toArray().isEmpty());
    EXPECT_EQ(details.value(QStringLiteral("sentence")).toString(), QString());
  }
}

// A fourfold report with every part filled, its figures taken from the grid.
DetailsBuild FakeFourfold(const MainWindow& window) {
  DetailsReport report;
  report.test = QStringLiteral("计数资料卡方检验");
  report.source = QStringLiteral("table");
  const QString a = window.controls().Text11(0)->text();
  report.figures = {{"n", a.toDouble()}, {"sum", 0.1 + 0.2}, {"fisher_p", std::nullopt}};
  report.inputs = {{QStringLiteral("组别"), QStringLiteral("阳性")}, {QStringLiteral("试验组"), a}};
  report.captions = {{QStringLiteral("χ²"), QStringLiteral("1.0101")}};
  report.rows = {{QStringLiteral("Fisher确切概率法"), QString(), true},
                 {QStringLiteral("P值"), QStringLiteral("—")}};
  report.sentence = QStringLiteral("两组率差异无统计学意义。");
  return report;
}

TEST_F(DetailsPaneTest, DumpAndClipboardCarryTheReport) {
  window_->detailsPane().setBuilder(kFourfold, FakeFourfold);
  const QJsonObject before = RunAndDump(QStringLiteral("click Command1(3)\ntype Text11(0) 20"));
  EXPECT_EQ(before.value(QStringLiteral("clipboard")).toString(), QString());

  const Result copied = Run(QStringLiteral("menu 复制结果\ndump"));
  ASSERT_EQ(copied.status, 0) << copied.err.toStdString();
  // Figures are printed so that they read back as the same double.
  EXPECT_TRUE(copied.out.contains(QStringLiteral("\"sum\":0.30000000000000004"))) << copied.out.toStdString();
  const QJsonObject dump = QJsonDocument::fromJson(copied.out.trimmed().toUtf8()).object();
  const QJsonObject details = Details(dump);
  const QJsonObject figures = details.value(QStringLiteral("figures")).toObject();
  EXPECT_EQ(figures.value(QStringLiteral("n")).toDouble(), 20.0);
  EXPECT_EQ(figures.value(QStringLiteral("sum")).toDouble(), 0.1 + 0.2);
  EXPECT_TRUE(figures.value(QStringLiteral("fisher_p")).isNull());
  EXPECT_EQ(details.value(QStringLiteral("rows")).toArray(),
            (QJsonArray{QJsonArray{QStringLiteral("Fisher确切概率法"), QString()},
                        QJsonArray{QStringLiteral("P值"), QStringLiteral("—")}}));

  const QString plain = QStringLiteral(
      "计数资料卡方检验\n\n组别\t阳性\n试验组\t20\n\nχ²\t1.0101\n\nFisher确切概率法\nP值\t—\n\n"
      "两组率差异无统计学意义。\n");
  EXPECT_EQ(dump.value(QStringLiteral("clipboard")).toString(), plain);
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  const QString html = mime->html();
  EXPECT_TRUE(html.contains(QStringLiteral("<th>组别</th><th>阳性</th>"))) << html.toStdString();
  EXPECT_TRUE(html.contains(QStringLiteral("<td>试验组</td><td>20</td>")));
  EXPECT_TRUE(html.contains(QStringLiteral("<td colspan=\"2\">Fisher确切概率法</td>")));
  EXPECT_TRUE(html.contains(QStringLiteral("<p>两组率差异无统计学意义。</p>")));
}

// Pairs are copied with their values as typed: the paired t with each
// difference, the correlation without; an incomplete row is no pair.
TEST_F(DetailsPaneTest, PairsAreCopiedWithTheirValues) {
  struct Case {
    int test;
    const char* table;
  };
  const Case cases[] = {
      {1, "序号\t第1组\t第2组\t差值\n1\t1.5\t1\t0.5\n3\t4\t6\t-2\n"},
      {6, "序号\t第1组\t第2组\n1\t1.5\t1\n3\t4\t6\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.test);
    const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(%1)\nset Text1(0) 1.5\nset Text2(0) 1\n"
                                                       "set Text1(1) 2\nset Text1(2) 4\nset Text2(2) 6\nmenu 复制结果")
                                            .arg(c.test));
    EXPECT_TRUE(dump.value(QStringLiteral("clipboard")).toString().contains(QString::fromUtf8(c.table)))
        << dump.value(QStringLiteral("clipboard")).toString().toStdString();
  }
  const std::vector<std::string> a{"1", "2", "3"}, b{"4", "5", "6"};
  const std::vector<QStringList> cut = PairRows(a, b, {1, 2, 3}, {4, 5, 6}, {QStringLiteral("x"), QStringLiteral("y")}, false, 2);
  ASSERT_EQ(cut.size(), 4u);
  EXPECT_EQ(cut.back(), QStringList{QStringLiteral("共3对，此处只列出前2对")});
}

TEST_F(DetailsPaneTest, OneRefreshPerChangeAndNoneWhileHidden) {
  int builds = 0;
  window_->detailsPane().setBuilder(kTwoSampleT, [&builds](const MainWindow& window) {
    ++builds;
    return DefaultReport(window);
  });
  ASSERT_EQ(Run(QStringLiteral("dump")).status, 0);
  struct Step {
    const char* name;
    QString script;
    int builds;
  };
  const Step steps[] = {
      {"several_keys_one_line", QStringLiteral("type Text1(0) 12.5"), 1},
      {"scroll_bar", QStringLiteral("scroll VS1 1"), 1},
      {"hidden_pane_builds_nothing", kToggle + QStringLiteral("type Text1(1) 3\ntype Text2(1) 4"), 0},
      {"shown_again_builds_once", kToggle, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    builds = 0;
    ASSERT_EQ(Run(step.script).status, 0);
    EXPECT_EQ(builds, step.builds);
  }
}

TEST_F(DetailsPaneTest, NewerChangeCancelsTheSlowPartAndDropsItsResult) {
  std::atomic<bool> firstStarted = false;
  std::atomic<bool> firstCancelled = false;
  window_->detailsPane().setBuilder(kTwoSampleT, [&](const MainWindow& window) {
    const QString text = window.controls().Text1(0)->text();
    DetailsReport report = DefaultReport(window).report;
    report.rows = {{QStringLiteral("值"), QStringLiteral("quick ") + text}};
    DetailsJob job = [&, text](DetailsReport& slow, const std::atomic<bool>& cancel) {
      if (text == u"1") {
        firstStarted = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!cancel && std::chrono::steady_clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        firstCancelled = cancel.load();
        slow.rows = {{QStringLiteral("值"), QStringLiteral("stale")}};
        return;
      }
      slow.rows = {{QStringLiteral("值"), QStringLiteral("slow ") + text}};
    };
    return DetailsBuild(report, job);
  });
  QStringList shown;
  QObject::connect(&window_->detailsPane(), &DetailsPane::reportShown, window_.get(),
                   [&] { shown.push_back(window_->detailsPane().report().rows.at(0).value); });

  ASSERT_EQ(Run(QStringLiteral("set Text1(0) 1")).status, 0);
  for (int wait = 0; !firstStarted && wait < 5000; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(firstStarted);
  const QJsonObject dump = RunAndDump(QStringLiteral("set Text1(0) 2"));

  EXPECT_TRUE(firstCancelled);
  EXPECT_EQ(Details(dump).value(QStringLiteral("rows")).toArray(),
            (QJsonArray{QJsonArray{QStringLiteral("值"), QStringLiteral("slow 2")}}));
  EXPECT_EQ(shown,
            (QStringList{QStringLiteral("quick 1"), QStringLiteral("quick 2"), QStringLiteral("slow 2")}));
}

}  // namespace
}  // namespace kelvasta::testing
