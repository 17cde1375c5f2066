#include "app/main_window.h"

#include "app/desktop.h"
#include "app/handlers/grid_keys.h"
#include "app/handlers/cell_paste.h"
#include "app/handlers/handlers.h"
#include "app/panels/panels.h"
#include "app/test_table.h"
#include "app/twips.h"
#include "app/undo/window_history.h"
#include "app/work/work_recovery.h"
#include "app/zoom/form_scroll_area.h"
#include "stats/critical_values.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace kelvasta {

namespace {
constexpr int kClientWidth = 9930;
constexpr int kClientHeight = 7335;
constexpr int kPanelLeft = 2460;
constexpr int kUpperTop = 1320;
constexpr int kLowerTop = 4800;
constexpr int kPanelWidth = 7395;
}  // namespace

MainWindow::MainWindow(Desktop& desktop, QWidget* parent) : QMainWindow(parent), desktop_(desktop) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Kelvasta V10.1"));
  buildForm();
  buildMenus();
  wireToolStrip();
  storage_.Text14 = TTableText();
  storage_.List6 = FTableItems();
  storage_.List7 = QTableItems();
  WireCountTable(c_, this);
  WireRxcTable(c_, this);
  WireOrdinalTable(c_, this);
  WireSummaryT(c_, storage_, this);
  const std::array<ValueListBinding*, 2> listBindings = WireValueLists(c_, storage_, this);
  WireAnova(c_, storage_, this);
  WireCalculator(c_, storage_, this);
  InstallGridKeys(c_, this);
  InstallListWheel(c_, this);
  ChainTabOrder(c_);
  buildDetailsPane();
  history_ = new WindowHistory(*this);
  buildNamesDialog();
  const auto updateHistoryEntries = [this] {
    undoAction_->setEnabled(history_->canUndo());
    redoAction_->setEnabled(history_->canRedo());
  };
  connect(history_, &WindowHistory::availabilityChanged, this, updateHistoryEntries);
  updateHistoryEntries();
  InstallCellPaste(*this, listBindings);
  setAcceptDrops(true);
  showRecentImports();
  showRecentWorkFiles();
  if (!scriptMode()) recovery_ = new WorkRecovery(*this);
  connect(history_, &WindowHistory::stateChanged, this, [this] {
    showWorkCaption();
    if (recovery_ != nullptr) recovery_->schedule();
  });
  // However the program ends cleanly, the recovery file goes.
  connect(this, &MainWindow::exitRequested, this, [this] {
    if (recovery_ != nullptr) recovery_->discard();
  });
  // Placement is kept when the program ends, however it ends.
  connect(this, &MainWindow::exitRequested, this, &MainWindow::keepPlacement);
  fitWindow();
}

void MainWindow::buildForm() {
  // The form keeps its size and place and scrolls when the window is
  // smaller; the details pane stands beside the scrolled form, always whole
  // in width, so its figures stay in sight whatever part of the form shows.
  host_ = new QWidget(this);
  auto* row = new QHBoxLayout(host_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto* scroll = new FormScrollArea(host_);
  auto* client = new QWidget(scroll);
  client_ = client;
  client->setObjectName(QStringLiteral("Form"));
  formTwips_ = QSize(kClientWidth, kClientHeight);
  client->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
  formSize_ = client->size();
  scroll->setWidget(client);
  row->addWidget(scroll, 1);
  setCentralWidget(host_);
  ControlFactory& f = factory_;

  c_.Frame1 = f.frame(client, ControlName("Frame1"), 60, -60, 9795, 855);
  BuildToolStrip(c_.Frame1, c_, f);

  c_.Frame2 = f.frame(client, ControlName("Frame2"), 60, 780, 2355, 3675);
  for (int i = 0; i < kTestCount; ++i) {
    const TestEntry& test = kTests[static_cast<std::size_t>(i)];
    auto* button = f.button(c_.Frame2, ControlName("Command1", i),
                            QString::fromUtf8(test.caption.data(), qsizetype(test.caption.size())),
                            120, test.buttonTop, 2065, 390);
    QFont font = button->font();
    font.setBold(i == kTwoSampleT);
    button->setFont(font);
    c_.Command1.add(i, button);
    // A test selection empties the panel: one step of the history, so a
    // mis-click never loses typed data.
    connect(button, &QPushButton::clicked, this,
            [this, i] { history_->runStep([this, i] { SelectTest(i); }, true); });
  }

  c_.Frame4 = f.groupBox(client, ControlName("Frame4"), QStringLiteral("计算器"), 60, 4560, 2355, 2715);
  BuildCalculator(c_.Frame4, c_, f);

  c_.Frame3 = f.frame(client, ControlName("Frame3"), 2460, 780, 7395, 495);
  // Wide enough for the longest title with its entry hint.
  c_.Label1 = f.label(c_.Frame3, ControlName("Label1"),
                      QString::fromUtf8(kTitleTwoSampleT.data(), qsizetype(kTitleTwoSampleT.size())),
                      60, 150, 7275, 240);
  c_.Label1->setStyleSheet(QStringLiteral("color: red;"));

  c_.Picture2 = f.panel(client, ControlName("Picture2"), kPanelLeft, kUpperTop, kPanelWidth, 3375);
  BuildValueListPanel(c_.Picture2, c_, f);
  c_.Picture6 = f.panel(client, ControlName("Picture6"), kPanelLeft, kUpperTop, kPanelWidth, 3375);
  BuildGroupListPanel(c_.Picture6, c_, f);
  c_.Picture7 = f.panel(client, ControlName("Picture7"), kPanelLeft, kUpperTop, kPanelWidth, 3405);
  BuildRxcTablePanel(c_.Picture7, c_, f);
  c_.Picture8 = f.panel(client, ControlName("Picture8"), kPanelLeft, kUpperTop, kPanelWidth, 3405);
  BuildCountTablePanel(c_.Picture8, c_, f);
  c_.Picture9 = f.panel(client, ControlName("Picture9"), kPanelLeft, kUpperTop, kPanelWidth, 3405);
  BuildOrdinalTablePanel(c_.Picture9, c_, f);
  for (QWidget* upper : {c_.Picture6, c_.Picture7, c_.Picture8, c_.Picture9}) upper->hide();

  using Builder = void (*)(QWidget*, Controls&, ControlFactory&);
  constexpr std::array<Builder, kTestCount> kResultPanels{
      BuildSummaryTPanel, BuildPairedTPanel,     BuildAnovaPanel,       BuildFourfoldPanel,
      BuildPairedChiSquarePanel, BuildRxcResultPanel, BuildCorrelationPanel, BuildOrdinalResultPanel};
  for (int i = 0; i < kTestCount; ++i) {
    QWidget* panel = f.panel(client, ControlName("Picture4", i), kPanelLeft, kLowerTop, kPanelWidth, 2475);
    kResultPanels[static_cast<std::size_t>(i)](panel, c_, f);
    c_.Picture4.add(i, panel);
  }

  c_.Label14 = f.label(client, ControlName("Label14"), QString(), kClientWidth + 120, 0, 1200, 240);
  c_.Label14->hide();
}

QList<QAction*> MainWindow::menuEntries() const {
  QList<QAction*> entries;
  for (QAction* menu : menuBar()->actions()) {
    entries.push_back(menu);
    if (menu->menu() != nullptr) entries.append(menu->menu()->actions());
  }
  return entries;
}

void MainWindow::Load() {
  // 1. Centre the window on the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2,
         area.top() + (area.height() - frameGeometry().height()) / 2);
  }
  // 2. The top row can move five rows down.
  c_.VS1->setMaximum(5);
  // 3. Fifteen empty items in each value list.
  storage_.twoColumnLists.appendEmptyRows(kInitialListItems);
  storage_.groupLists.appendEmptyRows(kInitialListItems);
  // 4. Empty rows numbered 1 to 10.
  for (const auto& [r, cell] : c_.Text1) {
    cell->clear();
    c_.Text2(r)->clear();
    c_.Label3(r)->setText(QString::number(r + 1));
  }
  // 5. Every result panel stands where the first one does; only it is shown.
  for (const auto& [i, panel] : c_.Picture4) {
    if (i == 0) continue;
    panel->move(c_.Picture4(0)->pos());
    panel->hide();
  }
  // Nothing before the window's first state can be undone, and it is the
  // state nothing unsaved differs from.
  history_->reset();
  savedState_ = history_->stateId();
  showWorkCaption();
}

}  // namespace kelvasta
