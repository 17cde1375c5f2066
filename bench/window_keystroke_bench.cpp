// One keystroke in the real window, from the cell's change to the last
// caption written, with 1,000,000 rows in every list behind the panel: the
// filter, the store, and the computation the title asks for (for the
// two-sample test the summaries and five runs of the t test; for the groups
// the summary, the analysis of variance and the pairwise q test).
// Target: at most 16 ms a keystroke.
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "stats/cell_filter.h"
#include "stats/number_text.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

#include <benchmark/benchmark.h>

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

void BM_TwoSampleWindowKeystroke(benchmark::State& state) { Keystrokes(state, 0); }
void BM_PairedWindowKeystroke(benchmark::State& state) { Keystrokes(state, 1); }
void BM_CorrelationWindowKeystroke(benchmark::State& state) { Keystrokes(state, 6); }
void BM_GroupWindowKeystroke(benchmark::State& state) { Keystrokes(state, 2); }

BENCHMARK(BM_TwoSampleWindowKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairedWindowKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationWindowKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupWindowKeystroke)->Unit(benchmark::kMillisecond);

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
