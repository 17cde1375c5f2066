// One keystroke in the real window, from the cell's change to the last
// caption written, with 1,000,000 rows in every list behind the panel: the
// filter, the store, and the computation the title asks for (for the
// two-sample test the summaries and five runs of the t test; for the groups
// the summary, the analysis of variance and the pairwise q test).
// Target: at most 16 ms a keystroke. The "WithDetails" variants add the
// details pane's refresh that follows the keystroke on a zero timer (the
// figures at full precision from the lists); Spearman's rank correlation
// runs on the worker thread, so the correlation variant stops at the report
// shown at once, and BM_SpearmanCompletes measures the keystroke until the
// rank correlation is shown (target 300 ms). The "WithChart" variants show
// the chart too; the "ChartFollows" ones wait until it is drawn.
#include "app/chart/chart_tab.h"
#include "app/desktop.h"
#include "app/details/details_pane.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "stats/cell_filter.h"
#include "stats/number_text.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <random>

namespace {

using kelvasta::ListWindow;

constexpr std::size_t kRows = 1'000'000;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "window_keystroke_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

void Fill(ListWindow& lists) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> hundredths(0, 999999);
  lists.clearLists();
  for (std::size_t c = 0; c < lists.columnCount(); ++c)
    for (std::size_t i = 0; i < kRows; ++i) lists.column(c).append(kelvasta::DoubleToText(hundredths(random) / 100.0));
}

void Keystrokes(benchmark::State& state, int test) {
  Application();
  kelvasta::RecordingDesktop desktop;
  kelvasta::MainWindow window(desktop);
  kelvasta::StartUp(window);
  window.SelectTest(test);
  const bool groups = test == 2;
  Fill(groups ? window.storage().groupLists : window.storage().twoColumnLists);
  QLineEdit* cell = groups ? window.controls().Text30(0) : window.controls().Text1(0);
  std::size_t k = 0;
  for (auto _ : state) {
    cell->setText(k++ % 2 == 0 ? QStringLiteral("12.5") : QStringLiteral("1"));
  }
}

// True while the pane shows the report of a change whose slow part has not
// come back yet.
bool SlowPartPending(const kelvasta::DetailsReport& report) {
  return std::any_of(report.rows.begin(), report.rows.end(),
                     [](const kelvasta::DetailsRow& row) { return row.value == QStringLiteral("计算中…"); });
}

enum class Until { QuickReport, QuickReportChartShown, Complete, ChartDrawn };

void KeystrokesWithDetails(benchmark::State& state, int test, Until until) {
  Application();
  kelvasta::RecordingDesktop desktop;
  kelvasta::MainWindow window(desktop);
  kelvasta::StartUp(window);
  window.show();
  window.SelectTest(test);
  const bool groups = test == 2;
  Fill(groups ? window.storage().groupLists : window.storage().twoColumnLists);
  QLineEdit* cell = groups ? window.controls().Text30(0) : window.controls().Text1(0);
  kelvasta::DetailsPane& pane = window.detailsPane();
  if (until == Until::ChartDrawn || until == Until::QuickReportChartShown) pane.setChartShown(true);
  int shown = 0;
  QObject::connect(&pane, &kelvasta::DetailsPane::reportShown, [&shown] { ++shown; });
  pane.ensureCurrent();
  std::size_t k = 0;
  for (auto _ : state) {
    const int before = shown;
    cell->setText(k++ % 2 == 0 ? QStringLiteral("12.5") : QStringLiteral("1"));
    if (until == Until::Complete) {
      pane.ensureCurrent();
      continue;
    }
    if (until == Until::ChartDrawn) {
      // The chart's own pace: it waits for its timer and, for long lists, a
      // build on the worker thread; the thread's time is what typing pays.
      // Waiting sleeps, so that it adds no CPU time of its own.
      for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (shown != before && pane.chart().isCurrent()) break;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
      continue;
    }
    // The quick report of this change (at a million rows every test leaves
    // its figures to the worker thread, their rows pending).
    while (shown == before || !SlowPartPending(pane.report())) QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Typing pace: the next key comes after the worker is done (and the
    // chart drawn), as it does for a person. A key pressed while the worker
    // still holds the list's values would copy them first.
    state.PauseTiming();
    pane.ensureCurrent();
    state.ResumeTiming();
  }
  pane.ensureCurrent();
  if (pane.report().figures.empty()) state.SkipWithError("the pane computed no figures");
}

void BM_TwoSampleWindowKeystroke(benchmark::State& state) { Keystrokes(state, 0); }
void BM_PairedWindowKeystroke(benchmark::State& state) { Keystrokes(state, 1); }
void BM_CorrelationWindowKeystroke(benchmark::State& state) { Keystrokes(state, 6); }
void BM_GroupWindowKeystroke(benchmark::State& state) { Keystrokes(state, 2); }

BENCHMARK(BM_TwoSampleWindowKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairedWindowKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationWindowKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupWindowKeystroke)->Unit(benchmark::kMillisecond);

void BM_TwoSampleKeystrokeWithDetails(benchmark::State& state) { KeystrokesWithDetails(state, 0, Until::QuickReport); }
void BM_PairedKeystrokeWithDetails(benchmark::State& state) { KeystrokesWithDetails(state, 1, Until::QuickReport); }
void BM_CorrelationKeystrokeWithDetails(benchmark::State& state) {
  KeystrokesWithDetails(state, 6, Until::QuickReport);
}
void BM_GroupKeystrokeWithDetails(benchmark::State& state) { KeystrokesWithDetails(state, 2, Until::QuickReport); }
void BM_SpearmanCompletes(benchmark::State& state) { KeystrokesWithDetails(state, 6, Until::Complete); }
void BM_GroupFiguresComplete(benchmark::State& state) { KeystrokesWithDetails(state, 2, Until::Complete); }

BENCHMARK(BM_TwoSampleKeystrokeWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PairedKeystrokeWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CorrelationKeystrokeWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GroupKeystrokeWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GroupFiguresComplete)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpearmanCompletes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The keystroke with the chart shown: as the "WithDetails" variants (the
// chart is redrawn off the keystroke, on its own timer).
void BM_TwoSampleKeystrokeWithChart(benchmark::State& state) {
  KeystrokesWithDetails(state, 0, Until::QuickReportChartShown);
}
void BM_CorrelationKeystrokeWithChart(benchmark::State& state) {
  KeystrokesWithDetails(state, 6, Until::QuickReportChartShown);
}
void BM_GroupKeystrokeWithChart(benchmark::State& state) { KeystrokesWithDetails(state, 2, Until::QuickReportChartShown); }
BENCHMARK(BM_TwoSampleKeystrokeWithChart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CorrelationKeystrokeWithChart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GroupKeystrokeWithChart)->Unit(benchmark::kMillisecond)->UseRealTime();

// Until the chart of the change is drawn. Real time is how late the chart
// follows a key; CPU time is the user-interface thread's share (the worker
// thread's build is not in it).
void BM_TwoSampleChartFollows(benchmark::State& state) { KeystrokesWithDetails(state, 0, Until::ChartDrawn); }
void BM_CorrelationChartFollows(benchmark::State& state) { KeystrokesWithDetails(state, 6, Until::ChartDrawn); }
void BM_GroupChartFollows(benchmark::State& state) { KeystrokesWithDetails(state, 2, Until::ChartDrawn); }
BENCHMARK(BM_TwoSampleChartFollows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationChartFollows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupChartFollows)->Unit(benchmark::kMillisecond);

// A pasted text whose tail the filter removes, from the change to the last
// caption: the text settles in one write-back however long it is.
void BM_LongTextSettlesInCell(benchmark::State& state) {
  Application();
  kelvasta::RecordingDesktop desktop;
  kelvasta::MainWindow window(desktop);
  kelvasta::StartUp(window);
  window.SelectTest(3);
  const QString text = QStringLiteral("7") + QString(qsizetype(state.range(0)), QLatin1Char('a'));
  QLineEdit* cell = window.controls().Text11(0);
  for (auto _ : state) {
    cell->setText(text);
    cell->clear();
  }
}
BENCHMARK(BM_LongTextSettlesInCell)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The filter's rule alone on texts no cell would hold.
void BM_FilterSettles(benchmark::State& state) {
  const std::string text = "12" + std::string(std::size_t(state.range(0)), 'a');
  for (auto _ : state) benchmark::DoNotOptimize(kelvasta::FilterFully(text, true));
}
BENCHMARK(BM_FilterSettles)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
