#include "app/chart/chart_tab.h"

#include "app/chart/chart_view.h"
#include "app/chart/window_charts.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/test_table.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace kelvasta {

namespace {
// A frame, and the longest wait between a change and its chart.
constexpr int kFrameMs = 16;
constexpr int kLongestWaitMs = 500;
// Charts of up to this many list items are built on the user-interface
// thread: a few milliseconds at most.
constexpr std::size_t kBuiltHere = 50000;
}  // namespace

ChartTab::ChartTab(const MainWindow& window, QWidget* parent) : QWidget(parent), window_(window) {
  setObjectName(QStringLiteral("ChartTab"));
  errorBars_ = new QComboBox(this);
  errorBars_->setObjectName(QStringLiteral("ChartErrorBars"));
  errorBars_->addItem(QStringLiteral("均数±标准差"), int(ErrorBarKind::Sd));
  errorBars_->addItem(QStringLiteral("均数及95%CI"), int(ErrorBarKind::Ci95));
  errorBars_->setCurrentIndex(1);
  caption_ = new QLabel(QStringLiteral("误差线："), this);
  view_ = new ChartView(this);

  auto* choice = new QHBoxLayout;
  choice->addWidget(caption_);
  choice->addWidget(errorBars_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->addLayout(choice);
  layout->addWidget(view_, 1);

  timer_.setSingleShot(true);
  timer_.setInterval(kFrameMs);
  connect(&timer_, &QTimer::timeout, this, &ChartTab::redraw);
  connect(errorBars_, &QComboBox::activated, this, [this] {
    errorBarsChosen_ = true;
    requestRedraw();
  });
  connect(view_, &ChartView::copyRequested, this, &ChartTab::copyToClipboard);
  connect(view_, &ChartView::saveRequested, this, [this] {
    if (desktop_ != nullptr) saveAs(*desktop_);
  });
}

void ChartTab::requestRedraw() {
  ++changes_;
  if (isVisible() && !timer_.isActive()) timer_.start();
}

void ChartTab::ensureCurrent() {
  if (changes_ != drawn_ && isVisible()) {
    timer_.stop();
    ++generation_;  // a build still on the worker is not drawn over this one
    show(model(), changes_);
  }
}

void ChartTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (changes_ != drawn_ && !timer_.isActive()) timer_.start();
}

std::optional<ErrorBarKind> ChartTab::chosenErrorBars() const {
  if (!errorBarsChosen_) return std::nullopt;
  return ErrorBarKind(errorBars_->currentData().toInt());
}

ChartModel ChartTab::model() const { return ChartForWindow(window_, chosenErrorBars()); }

void ChartTab::redraw() {
  if (!isVisible()) return;
  QElapsedTimer clock;
  clock.start();
  ChartBuild build = ChartBuildForWindow(window_, chosenErrorBars());
  if (build.values <= kBuiltHere) {
    ++generation_;
    show(build.make(), changes_);
  } else {
    const std::uint64_t generation = ++generation_;
    builds_.submit([this, generation, changes = changes_, make = std::move(build.make)](const std::atomic<bool>& cancel) {
      auto chart = std::make_shared<const ChartModel>(make());
      if (cancel) return;
      QMetaObject::invokeMethod(
          this, [this, generation, changes, chart] { if (generation == generation_) show(*chart, changes); },
          Qt::QueuedConnection);
    });
  }
  // A slow chart waits twice its own time before the next one, so typing
  // keeps at least two thirds of the thread.
  timer_.setInterval(std::clamp(int(2 * clock.elapsed()), kFrameMs, kLongestWaitMs));
}

void ChartTab::show(const ChartModel& chart, std::uint64_t changes) {
  const bool means = chart.errorBars.has_value();
  // The choice is offered only where there are means.
  errorBars_->setVisible(means);
  caption_->setVisible(means);
  if (means) {
    const QSignalBlocker blocker(errorBars_);
    errorBars_->setCurrentIndex(errorBars_->findData(int(*chart.errorBars)));
  }
  view_->draw(chart);
  drawn_ = changes;
}

void ChartTab::copyToClipboard() const { QApplication::clipboard()->setImage(RenderChart(model())); }

QString ChartTab::testName() const {
  const std::string_view caption = kTests.at(std::size_t(window_.CurrentTest())).caption;
  return QString::fromUtf8(caption.data(), qsizetype(caption.size()));
}

QString ChartTab::documentTitle() const {
  return testName() + QStringLiteral(" ") + QDate::currentDate().toString(Qt::ISODate);
}

void ChartTab::saveAs(Desktop& desktop) {
  std::optional<ChartSaveChoice> choice = desktop.askChartFile(window(), ChartFileName(testName()));
  if (!choice || choice->path.isEmpty()) return;
  const QString file = QFileInfo(choice->path).suffix().isEmpty() ? choice->path + QStringLiteral(".png")
                                                                  : choice->path;
  choice->options.title = documentTitle();
  if (!SaveChart(model(), file, choice->options))
    desktop.showMessage(window(), QStringLiteral("保存图表"), QStringLiteral("无法保存图表：%1").arg(file));
}

}  // namespace kelvasta
