#include "app/power/power_window.h"

#include "app/chart/chart_view.h"
#include "app/details/figure_text.h"
#include "app/details/row_table.h"
#include "app/main_window.h"
#include "app/zoom/font_scaling.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <memory>

namespace kelvasta {

namespace {

const PowerDesign& Design(int index) { return PowerDesigns().at(std::size_t(index)); }

const PlanningInput* FindInput(const PowerDesign& design, const QString& key) {
  for (const PlanningInput& input : design.inputs)
    if (input.key == key) return &input;
  return nullptr;
}

}  // namespace

PowerWindow::PowerWindow(const MainWindow& main, Desktop& desktop, QWidget* owner)
    : QWidget(owner, Qt::Window), main_(main), desktop_(desktop) {
  setObjectName(QStringLiteral("PowerWindow"));
  setWindowTitle(QStringLiteral("样本量与检验效能"));
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &PowerWindow::recomputeNow);

  auto* designGrid = new QGridLayout;
  auto* modes = new QWidget(this);
  buildButtons(designGrid, modes);
  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(modes);
  inputsGrid_ = new QGridLayout;
  leftLayout->addLayout(inputsGrid_);
  buildInputs();
  auto* useData = named(new QPushButton(QStringLiteral("用当前数据"), left), QStringLiteral("Power.use_data"));
  useData->setToolTip(QStringLiteral("由当前检验面板中的预试验数据填入设计参数"));
  connect(useData, &QPushButton::clicked, this, &PowerWindow::useData);
  leftLayout->addWidget(useData);
  leftLayout->addStretch(1);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->addWidget(left);
  splitter_->addWidget(buildResults());
  splitter_->setStretchFactor(1, 1);

  auto* root = new QVBoxLayout(this);
  root->addLayout(designGrid);
  root->addWidget(splitter_, 1);
  root->addWidget(notes_);
  root->addWidget(sentence_);
  auto* actions = new QHBoxLayout;
  auto* copy = named(new QPushButton(QStringLiteral("复制结果"), this), QStringLiteral("Power.copy"));
  auto* copyChart = named(new QPushButton(QStringLiteral("复制图表"), this), QStringLiteral("Power.copy_chart"));
  auto* saveChart = named(new QPushButton(QStringLiteral("保存图表…"), this), QStringLiteral("Power.save_chart"));
  connect(copy, &QPushButton::clicked, this, &PowerWindow::copyToClipboard);
  connect(copyChart, &QPushButton::clicked, this, &PowerWindow::copyChart);
  connect(saveChart, &QPushButton::clicked, this, &PowerWindow::saveChart);
  for (QPushButton* button : {copy, copyChart, saveChart}) actions->addWidget(button);
  actions->addStretch(1);
  root->addLayout(actions);

  // Ctrl+Shift+C copies this window's results while it has the focus.
  auto* copyAction = new QAction(QStringLiteral("复制结果"), this);
  copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  connect(copyAction, &QAction::triggered, this, &PowerWindow::copyToClipboard);
  addAction(copyAction);

  resize(960, 680);
  selectDesign(0);
  fitInputs();
  setZoom(main_.Zoom());
}

PowerWindow::~PowerWindow() = default;

template <class Widget>
Widget* PowerWindow::named(Widget* widget, const QString& name) {
  widget->setObjectName(name);
  named_.push_back(widget);
  return widget;
}

void PowerWindow::buildButtons(QGridLayout* designGrid, QWidget* modes) {
  designs_ = new QButtonGroup(this);
  for (int i = 0; i < int(PowerDesigns().size()); ++i) {
    auto* button = named(new QPushButton(Design(i).name, this), QStringLiteral("Power.design(%1)").arg(i));
    button->setCheckable(true);
    designs_->addButton(button, i);
    designGrid->addWidget(button, i / 4, i % 4);
  }
  connect(designs_, &QButtonGroup::idClicked, this, &PowerWindow::selectDesign);

  auto* layout = new QGridLayout(modes);
  layout->setContentsMargins(0, 0, 0, 0);
  modes_ = new QButtonGroup(this);
  sideButtons_ = new QButtonGroup(this);
  const std::pair<int, QString> modeCaptions[] = {{0, QStringLiteral("求样本量")}, {1, QStringLiteral("求检验效能")}};
  for (const auto& [id, caption] : modeCaptions) {
    auto* button = named(new QPushButton(caption, modes), QStringLiteral("Power.mode(%1)").arg(id));
    button->setCheckable(true);
    modes_->addButton(button, id);
    layout->addWidget(button, 0, id);
  }
  const std::pair<int, QString> sideCaptions[] = {{2, QStringLiteral("双侧检验")}, {1, QStringLiteral("单侧检验")}};
  for (const auto& [id, caption] : sideCaptions) {
    auto* button = named(new QPushButton(caption, modes), QStringLiteral("Power.sides(%1)").arg(id));
    button->setCheckable(true);
    sideButtons_->addButton(button, id);
    layout->addWidget(button, 1, 2 - id);
  }
  connect(modes_, &QButtonGroup::idClicked, this, [this](int id) {
    findPower_ = id == 1;
    layOutInputs();
    changed();
  });
  connect(sideButtons_, &QButtonGroup::idClicked, this, [this](int id) {
    sides_ = id;
    changed();
  });
  setChecked(modes_, 0);
  setChecked(sideButtons_, 2);
}

// One cell per key over every design; designs that share a key share its cell.
void PowerWindow::buildInputs() {
  for (const PowerDesign& design : PowerDesigns()) {
    for (const PlanningInput& input : design.inputs) {
      if (cells_.contains(input.key)) continue;
      auto* cell = named(new QLineEdit(input.initial, this), QStringLiteral("Power.") + input.key);
      cells_[input.key] = cell;
      labels_[input.key] = new QLabel(this);
      hints_[input.key] = new QLabel(input.hint, this);
      hints_[input.key]->setStyleSheet(QStringLiteral("color: #606060;"));
      for (QWidget* widget : {static_cast<QWidget*>(cell), static_cast<QWidget*>(labels_[input.key]),
                              static_cast<QWidget*>(hints_[input.key])})
        widget->hide();
      connect(cell, &QLineEdit::textChanged, this, [this] {
        // The numbers of groups and categories decide which cells are asked for.
        if (Design(design_).shownKeys(state()) != shown_) layOutInputs();
        changed();
      });
    }
  }
}

QWidget* PowerWindow::buildResults() {
  auto* results = new QWidget(this);
  title_ = new QLabel(results);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  table_ = new QTableWidget(0, 2, results);
  table_->setObjectName(QStringLiteral("PowerTable"));
  table_->horizontalHeader()->hide();
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setShowGrid(false);
  chart_ = new ChartView(results);
  chart_->setObjectName(QStringLiteral("PowerChart"));
  chart_->setMinimumHeight(220);
  connect(chart_, &ChartView::copyRequested, this, &PowerWindow::copyChart);
  connect(chart_, &ChartView::saveRequested, this, &PowerWindow::saveChart);
  auto* layout = new QVBoxLayout(results);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(title_);
  layout->addWidget(table_, 1);
  layout->addWidget(chart_, 1);
  notes_ = new QLabel(this);
  notes_->setObjectName(QStringLiteral("PowerNotes"));
  notes_->setStyleSheet(QStringLiteral("color: #B00020;"));
  notes_->setWordWrap(true);
  sentence_ = new QLabel(this);
  sentence_->setObjectName(QStringLiteral("PowerSentence"));
  sentence_->setWordWrap(true);
  sentence_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  return results;
}

void PowerWindow::setChecked(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) button->setChecked(true);
}

void PowerWindow::open(int design) {
  // Opening on the selected test's design is not an edit of the plan.
  restoring_ = true;
  selectDesign(design);
  restoring_ = false;
  show();
  fitOnScreen();
  activateWindow();
}

void PowerWindow::selectDesign(int design) {
  if (design < 0 || design >= int(PowerDesigns().size())) return;
  design_ = design;
  setChecked(designs_, design);
  title_->setText(Design(design).name);
  pilotNote_.clear();
  layOutInputs();
  changed();
}

void PowerWindow::layOutInputs() {
  const PowerDesign& design = Design(design_);
  const QStringList shown = design.shownKeys(state());
  const auto widgets = [this](const QString& key) {
    return std::array<QWidget*, 3>{labels_[key], cells_[key], hints_[key]};
  };
  // A cell that stays keeps its focus: only the ones leaving are hidden.
  for (const QString& key : shown_)
    for (QWidget* widget : widgets(key)) {
      inputsGrid_->removeWidget(widget);
      if (!shown.contains(key)) widget->hide();
    }
  shown_ = shown;
  for (int row = 0; row < shown_.size(); ++row) {
    const QString& key = shown_[row];
    if (const PlanningInput* input = FindInput(design, key)) labels_[key]->setText(input->label);
    int column = 0;
    for (QWidget* widget : widgets(key)) {
      inputsGrid_->addWidget(widget, row, column++);
      widget->show();
    }
  }
  for (QAbstractButton* button : sideButtons_->buttons()) button->setEnabled(design.usesSides);
}

QStringList PowerWindow::shownKeys() const { return shown_; }

PlanningState PowerWindow::state() const {
  PlanningState state;
  state.design = design_;
  state.findPower = findPower_;
  state.sides = sides_;
  for (auto it = cells_.begin(); it != cells_.end(); ++it) state.inputs[it.key()] = it.value()->text();
  if (!pilotSource().isEmpty()) {
    state.pilotKeys = pilot_.texts.keys();
    state.pilotSource = pilot_.source;
  }
  return state;
}

void PowerWindow::restore(const PlanningState& state) {
  for (const PowerDesign& design : PowerDesigns())
    for (const PlanningInput& input : design.inputs) {
      QLineEdit* cell = cells_.value(input.key);
      const QSignalBlocker blocker(cell);
      cell->setText(state.inputs.value(input.key, input.initial));
    }
  findPower_ = state.findPower;
  sides_ = state.sides == 1 ? 1 : 2;
  setChecked(modes_, findPower_ ? 1 : 0);
  setChecked(sideButtons_, sides_);
  pilot_ = PilotValues();
  // The pilot data named again only where the inputs still hold them.
  for (const QString& key : state.pilotKeys)
    if (QLineEdit* cell = cells_.value(key)) pilot_.texts.insert(key, cell->text());
  if (!pilot_.texts.isEmpty()) pilot_.source = state.pilotSource;
  restoring_ = true;
  selectDesign(state.design >= 0 && state.design < int(PowerDesigns().size()) ? state.design : 0);
  restoring_ = false;
}

void PowerWindow::changed() {
  if (!pilotNote_.isEmpty()) pilotNote_.clear();
  requestRecompute();
  if (!restoring_) emit edited();
}

void PowerWindow::requestRecompute() {
  if (!timer_.isActive()) timer_.start();
}

QString PowerWindow::pilotSource() const {
  if (pilot_.texts.isEmpty()) return QString();
  for (auto it = pilot_.texts.begin(); it != pilot_.texts.end(); ++it)
    if (!cells_.contains(it.key()) || cells_[it.key()]->text() != it.value()) return QString();
  return pilot_.source;
}

void PowerWindow::recomputeNow() {
  timer_.stop();
  const std::uint64_t generation = ++generation_;
  awaiting_ = true;
  runner_.submit([this, generation, state = state(), source = pilotSource()](const std::atomic<bool>& cancel) {
    auto report = std::make_shared<PlanningReport>();
    try {
      *report = Design(state.design).compute(state, source, cancel);
    } catch (...) {
      // A computation that fails leaves every figure empty.
      report->notes = QStringList{QStringLiteral("无法计算")};
    }
    if (cancel.load()) return;
    QMetaObject::invokeMethod(
        this, [this, generation, report] { finish(generation, std::move(*report)); }, Qt::QueuedConnection);
  });
}

void PowerWindow::finish(std::uint64_t generation, PlanningReport report) {
  if (generation != generation_) return;
  awaiting_ = false;
  report_ = std::move(report);
  display();
}

void PowerWindow::ensureCurrent() {
  for (;;) {
    if (timer_.isActive()) recomputeNow();
    if (!awaiting_) return;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

QStringList PowerWindow::notes() const {
  QStringList all = report_.notes;
  if (!pilotNote_.isEmpty()) all.prepend(pilotNote_);
  return all;
}

void PowerWindow::display() {
  table_->setRowCount(int(report_.rows.size()));
  QFont headingFont = table_->font();
  headingFont.setBold(true);
  for (std::size_t i = 0; i < report_.rows.size(); ++i) SetTableRow(*table_, int(i), report_.rows[i], headingFont);
  const QStringList shownNotes = notes();
  notes_->setText(shownNotes.join(QLatin1Char('\n')));
  notes_->setVisible(!shownNotes.isEmpty());
  sentence_->setText(report_.sentence);
  chart_->draw(report_.chart);
}

void PowerWindow::useData() {
  PilotValues pilot = Design(design_).pilot(main_);
  if (pilot.texts.isEmpty()) {
    pilot_ = PilotValues();
    pilotNote_ = pilot.note.isEmpty() ? QStringLiteral("此设计没有可用的当前数据") : pilot.note;
    display();
    return;
  }
  for (auto it = pilot.texts.begin(); it != pilot.texts.end(); ++it) {
    QLineEdit* cell = cells_.value(it.key());
    if (cell == nullptr) continue;
    const QSignalBlocker blocker(cell);
    cell->setText(it.value());
  }
  pilot_ = std::move(pilot);
  pilotNote_.clear();
  layOutInputs();
  requestRecompute();
  emit edited();
}

// The cells hold a dozen digits at the current font, and the inputs' side
// of the window is as wide as they need.
void PowerWindow::fitInputs() {
  for (QLineEdit* cell : cells_) cell->setMinimumWidth(cell->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
  QWidget* inputs = splitter_->widget(0);
  const int wanted = inputs->sizeHint().width();
  const QList<int> sizes = splitter_->sizes();
  if (sizes.size() == 2) splitter_->setSizes({wanted, std::max(1, sizes[0] + sizes[1] - wanted)});
}

void PowerWindow::setZoom(int percent) {
  if (percent <= 0 || percent == zoom_) return;
  const double factor = double(percent) / zoom_;
  zoom_ = percent;
  ScaleFonts(this, factor);
  fitInputs();
  resize(QSize(int(width() * factor), int(height() * factor)));
  fitOnScreen();
  chart_->draw(report_.chart);  // its fonts follow the plot's own
}

// Scaled with a large zoom the window would reach past the screen's edge and
// hide its buttons: it keeps within the free area, its frame included.
void PowerWindow::fitOnScreen() {
  const QScreen* screen = main_.screen();
  if (screen == nullptr || main_.scriptMode()) return;
  const QRect area = screen->availableGeometry();
  const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(16, 48);
  resize(size().boundedTo(area.size() - frame));
  if (!isVisible()) return;
  QRect placed = frameGeometry();
  placed.moveRight(std::min(placed.right(), area.right()));
  placed.moveBottom(std::min(placed.bottom(), area.bottom()));
  placed.moveLeft(std::max(placed.left(), area.left()));
  placed.moveTop(std::max(placed.top(), area.top()));
  move(placed.topLeft());
}

}  // namespace kelvasta
