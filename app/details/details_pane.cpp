#include "app/details/details_pane.h"

#include "app/chart/chart_tab.h"
#include "app/controls.h"
#include "app/details/report_export.h"
#include "app/details/report_rows.h"
#include "app/details/row_table.h"
#include "app/test_table.h"
#include "app/main_window.h"
#include "app/details/mean_reports_parts.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <utility>

namespace kelvasta {

namespace {

// The copied pairs' column headings: the groups' names for paired values,
// the variables' names with their units for a correlation.
QStringList PairHeadings(const TestNames& names, const QStringList& captions, bool groups) {
  if (groups) return mean_reports::MeanNamesOf(names, captions).groups;
  const mean_reports::VariableNames variables = mean_reports::VariableNamesOf(names);
  return {variables.x.isEmpty() ? captions.value(0) : variables.x,
          variables.y.isEmpty() ? captions.value(1) : variables.y};
}
// Pairs copied with the results at most.
constexpr std::size_t kCopiedPairs = 10000;
}  // namespace

DetailsPane::DetailsPane(const MainWindow& window, QWidget* parent)
    : QWidget(parent), window_(window), builders_(StandardReportBuilders()) {
  setObjectName(QStringLiteral("Details"));
  refreshTimer_.setSingleShot(true);
  refreshTimer_.setInterval(0);
  connect(&refreshTimer_, &QTimer::timeout, this, &DetailsPane::refreshNow);

  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("DetailsTitle"));
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setWordWrap(true);
  // The user's names reach these texts: never read as markup.
  title_->setTextFormat(Qt::PlainText);

  table_ = new QTableWidget(0, 2, this);
  table_->setObjectName(QStringLiteral("DetailsTable"));
  table_->horizontalHeader()->hide();
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  table_->setShowGrid(false);
  table_->setWordWrap(true);

  sentence_ = new QLabel(this);
  sentence_->setObjectName(QStringLiteral("DetailsSentence"));
  sentence_->setWordWrap(true);
  sentence_->setTextFormat(Qt::PlainText);
  sentence_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  sentence_->hide();

  // The figures and the chart share the pane as two tabs.
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("DetailsTabs"));
  auto* figures = new QWidget(tabs_);
  figures->setObjectName(QStringLiteral("FiguresTab"));
  title_->setParent(figures);
  table_->setParent(figures);
  sentence_->setParent(figures);
  auto* figuresLayout = new QVBoxLayout(figures);
  figuresLayout->setContentsMargins(0, 4, 0, 0);
  figuresLayout->addWidget(title_);
  figuresLayout->addWidget(table_, 1);
  figuresLayout->addWidget(sentence_);
  chart_ = new ChartTab(window_, tabs_);
  tabs_->addTab(figures, QStringLiteral("统计量"));
  tabs_->addTab(chart_, QStringLiteral("图表"));
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { emit chartShownChanged(index == 1); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(tabs_);
}

void DetailsPane::setChartShown(bool shown) { tabs_->setCurrentIndex(shown ? 1 : 0); }

bool DetailsPane::chartShown() const { return tabs_->currentIndex() == 1; }

DetailsPane::~DetailsPane() = default;

void DetailsPane::setBuilder(int test, ReportBuilder builder) {
  builders_.at(static_cast<std::size_t>(test)) = std::move(builder);
  requestRefresh();
}

void DetailsPane::watch(const Controls& c) {
  for (const ControlArray<QLineEdit>* cells : {&c.Text1, &c.Text2, &c.Text30, &c.Text40, &c.Text50, &c.Text4,
                                               &c.Text41, &c.Text11, &c.Text111, &c.Text12})
    for (const auto& [index, cell] : *cells)
      connect(cell, &QLineEdit::textChanged, this, &DetailsPane::requestRefresh);
  for (QScrollBar* bar : {c.VS1, c.VSl1})
    connect(bar, &QScrollBar::valueChanged, this, &DetailsPane::requestRefresh);
  for (const auto& [index, button] : c.Command1)
    connect(button, &QPushButton::clicked, this, &DetailsPane::requestRefresh);
}

void DetailsPane::requestRefresh() {
  chart_->requestRedraw();
  if (isHidden()) {
    stale_ = true;
    return;
  }
  if (!refreshTimer_.isActive()) refreshTimer_.start();
}

void DetailsPane::ensureCurrent() {
  chart_->ensureCurrent();
  for (;;) {
    if (refreshTimer_.isActive() || stale_) refreshNow();
    if (!awaitingJob_) return;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

void DetailsPane::setVisible(bool visible) {
  QWidget::setVisible(visible);
  if (visible) {
    if (stale_) requestRefresh();
    return;
  }
  // A hidden pane computes nothing: the slow part is dropped and redone
  // when the pane shows again.
  refreshTimer_.stop();
  if (awaitingJob_) {
    runner_.cancel();
    awaitingJob_ = false;
    stale_ = true;
  }
}

void DetailsPane::refreshNow() {
  refreshTimer_.stop();
  stale_ = false;
  ++generation_;
  if (awaitingJob_) runner_.cancel();
  awaitingJob_ = false;
  DetailsBuild build = builders_.at(static_cast<std::size_t>(window_.CurrentTest()))(window_);
  if (build.job) {
    awaitingJob_ = true;
    auto pending = std::make_shared<DetailsReport>(build.report);
    runner_.submit([this, generation = generation_, pending,
                    job = std::move(build.job)](const std::atomic<bool>& cancel) {
      try {
        job(*pending, cancel);
      } catch (...) {
        // A failed slow part leaves the quick report as it was.
      }
      if (cancel.load()) return;
      QMetaObject::invokeMethod(
          this, [this, generation, pending] { finishJob(generation, std::move(*pending)); },
          Qt::QueuedConnection);
    });
  }
  display(std::move(build.report));
}

void DetailsPane::finishJob(std::uint64_t generation, DetailsReport report) {
  if (generation != generation_ || !awaitingJob_) return;
  awaitingJob_ = false;
  display(std::move(report));
}

void DetailsPane::display(DetailsReport report) {
  title_->setText(report.test);
  // Long lists: every row of the quick report waits for the worker, which
  // brings them within milliseconds. The table keeps the figures before the
  // change until then, rather than flickering and being laid out twice for
  // every keystroke.
  const bool keepShown = AllPending(report.rows) && report.test == report_.test && !shownRows_.empty() &&
                         !AllPending(shownRows_);
  if (!keepShown) showRows(report);
  report_ = std::move(report);
  emit reportShown();
}

bool DetailsPane::AllPending(const std::vector<DetailsRow>& rows) {
  return !rows.empty() &&
         std::all_of(rows.begin(), rows.end(), [](const DetailsRow& row) { return row.heading || row.value == kPending; });
}

void DetailsPane::showRows(const DetailsReport& report) {
  // Unchanged rows are not rebuilt: most keystrokes change a few values.
  if (report.rows.size() != shownRows_.size()) table_->setRowCount(int(report.rows.size()));
  QFont headingFont = table_->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 0.9);
  for (std::size_t i = 0; i < report.rows.size(); ++i) {
    const DetailsRow& row = report.rows[i];
    if (i < shownRows_.size() && shownRows_[i] == row && table_->item(int(i), 0) != nullptr) continue;
    SetTableRow(*table_, int(i), row, headingFont);
  }
  sentence_->setText(report.sentence);
  sentence_->setVisible(!report.sentence.isEmpty());
  shownRows_ = report.rows;
  fitLabelColumn();
}

// A long name in a label must not push the figures out of sight: the
// labels take at most three fifths of the table's width, and wrap beyond.
void DetailsPane::fitLabelColumn() {
  QHeaderView* header = table_->horizontalHeader();
  const int room = table_->viewport()->width() > 0 ? table_->viewport()->width() : width();
  const int widest = room * 3 / 5;
  const bool fits = static_cast<const QAbstractItemView*>(table_)->sizeHintForColumn(0) <= widest;
  header->setSectionResizeMode(0, fits ? QHeaderView::ResizeToContents : QHeaderView::Interactive);
  if (!fits) header->resizeSection(0, widest);
}

void DetailsPane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitLabelColumn();
}

void DetailsPane::restyleRows() {
  DetailsReport shown = report_;
  shown.rows = std::exchange(shownRows_, {});
  showRows(shown);
}

void DetailsPane::copyToClipboard() {
  ensureCurrent();
  DetailsReport copied = report_;
  // Lists of pairs go with their values, read only now: a keystroke never
  // builds them.
  const int test = window_.CurrentTest();
  if (test == kPairedT || test == kCorrelation) {
    const Storage& s = window_.storage();
    const Controls& c = window_.controls();
    copied.data = PairRows(s.List1().items(), s.List2().items(), s.List1().numbers(), s.List2().numbers(),
                           PairHeadings(window_.names(), {HeadingText(c.Label2(1)), HeadingText(c.Label2(2))},
                                        test == kPairedT),
                           test == kPairedT, kCopiedPairs);
  }
  auto* mime = new QMimeData;
  mime->setHtml(ReportHtml(copied));
  mime->setText(ReportPlainText(copied));
  QApplication::clipboard()->setMimeData(mime);
  copied_ = true;
}

}  // namespace kelvasta
