// A block of 100,000 rows pasted into the value lists of the real window,
// from the key press to the last caption: parsing, storing, one refresh and
// one computation of the panel. Target: under half a second.
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/startup.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "paste_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

void BM_PasteRowsIntoLists(benchmark::State& state) {
  Application();
  QString block;
  for (int i = 0; i < state.range(0); ++i) block += QStringLiteral("%1.25\t%2.5\r\n").arg(i % 97).arg(i % 89);
  QGuiApplication::clipboard()->setText(block);
  for (auto _ : state) {
    state.PauseTiming();
    kelvasta::RecordingDesktop desktop;
    kelvasta::MainWindow window(desktop);
    kelvasta::StartUp(window);
    QLineEdit* cell = window.controls().Text1(0);
    state.ResumeTiming();
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(cell, &paste);
  }
}
BENCHMARK(BM_PasteRowsIntoLists)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
