#include "app/undo/window_history.h"

#include "app/details/details_pane.h"
#include "app/main_window.h"
#include "app/names/names_dialog.h"
#include "app/test_table.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <set>

namespace kelvasta {

namespace {

constexpr std::size_t kMaxSteps = 100;

// Ctrl+Z and Ctrl+Y (or the platform's redo keys) in an entry cell work the
// window's history, not the cell's own undo of its text.
class HistoryKeys : public QObject {
 public:
  HistoryKeys(WindowHistory& history, QObject* parent) : QObject(parent), history_(history) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) ||
                      (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier);
    if (!undo && !redo) return false;
    // Claiming the override makes the key arrive here as a key press.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
      if (undo) history_.undo();
      if (redo) history_.redo();
    }
    return true;
  }

 private:
  WindowHistory& history_;
};

// The single list item (window, column, index) all edits of a step touch, or
// -1 components when they touch none or several.
struct ItemKey {
  int window = -1;
  std::size_t column = 0, index = 0;
  bool several = false;
  friend bool operator==(const ItemKey&, const ItemKey&) = default;
};

ItemKey SingleItem(const std::vector<ListWindow::ItemEdit> (&edits)[2]) {
  ItemKey key;
  for (int w = 0; w < 2; ++w) {
    for (const ListWindow::ItemEdit& edit : edits[w]) {
      const ItemKey here{w, edit.column, edit.index, false};
      if (key.window < 0) {
        key = here;
      } else if (!(key == here)) {
        key.several = true;
      }
    }
  }
  return key;
}

}  // namespace

WindowHistory::WindowHistory(MainWindow& window) : QObject(&window), window_(window) {
  const Controls& c = window.controls();
  auto* keys = new HistoryKeys(*this, this);
  for (QWidget* widget : window.namedControls()) {
    controls_.push_back(widget);
    if (auto* cell = qobject_cast<QLineEdit*>(widget); cell != nullptr && cell != c.Text5) {
      cells_.push_back(cell);
      cell->installEventFilter(keys);
      connect(cell, &QLineEdit::textChanged, this, &WindowHistory::noteChange);
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) labels_.push_back(label);
  }
  std::set<const QLineEdit*> data;
  for (const ControlArray<QLineEdit>* cells : {&c.Text4, &c.Text41, &c.Text11, &c.Text111, &c.Text12})
    for (const auto& [index, cell] : *cells) data.insert(cell);
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (data.count(cells_[i]) != 0) dataCells_.push_back(i);
  window.storage_.twoColumnLists.attachJournal(&pending_.edits[0]);
  window.storage_.groupLists.attachJournal(&pending_.edits[1]);
}

void WindowHistory::reset() {
  commitQueued_ = false;
  pending_.edits[0].clear();
  pending_.edits[1].clear();
  undo_.clear();
  redo_.clear();
  last_ = capture();
  setCurrent(++lastId_);
  emit availabilityChanged();
}

void WindowHistory::setCurrent(std::uint64_t id) {
  if (id == current_) return;
  current_ = id;
  emit stateChanged();
}

WindowHistory::State WindowHistory::capture() const {
  const Controls& c = window_.c_;
  const Storage& s = window_.storage_;
  State state;
  state.test = window_.currentTest_;
  state.cells.reserve(cells_.size());
  for (const QLineEdit* cell : cells_) state.cells.push_back(cell->text());
  state.captions.reserve(labels_.size());
  for (const QLabel* label : labels_) state.captions.push_back(label->text());
  state.hidden.reserve(controls_.size());
  for (const QWidget* widget : controls_) state.hidden.push_back(widget->isHidden());
  for (const auto& [i, button] : c.Command1) state.bold.push_back(button->font().bold());
  const QScrollBar* bars[2] = {c.VS1, c.VSl1};
  const ListWindow* lists[2] = {&s.twoColumnLists, &s.groupLists};
  for (int k = 0; k < 2; ++k) {
    state.barValue[k] = bars[k]->value();
    state.barMaximum[k] = bars[k]->maximum();
    state.listTop[k] = lists[k]->top();
    state.listMaximum[k] = lists[k]->maximum();
    state.counts[k] = lists[k]->counts();
  }
  state.List8 = s.List8;
  state.withinSS = s.WithinGroupsSS;
  state.withinDf = s.WithinGroupsDf;
  state.Text4FromLists = s.Text4FromLists;
  state.Text41FromLists = s.Text41FromLists;
  state.names = window_.names_;
  return state;
}

// Writes the state back without running any change handling: the captions
// are restored as they were, not computed again.
void WindowHistory::restore(const State& state) {
  const Controls& c = window_.c_;
  Storage& s = window_.storage_;
  restoring_ = true;
  window_.currentTest_ = state.test;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (cells_[i]->text() == state.cells[i]) continue;
    const QSignalBlocker blocker(cells_[i]);
    cells_[i]->setText(state.cells[i]);
  }
  for (std::size_t i = 0; i < labels_.size(); ++i)
    if (labels_[i]->text() != state.captions[i]) labels_[i]->setText(state.captions[i]);
  for (std::size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i]->isHidden() != bool(state.hidden[i])) controls_[i]->setHidden(state.hidden[i]);
  for (const auto& [i, button] : c.Command1) {
    QFont font = button->font();
    font.setBold(state.bold.at(std::size_t(i)));
    button->setFont(font);
  }
  QScrollBar* bars[2] = {c.VS1, c.VSl1};
  ListWindow* lists[2] = {&s.twoColumnLists, &s.groupLists};
  for (int k = 0; k < 2; ++k) {
    const QSignalBlocker blocker(bars[k]);
    bars[k]->setMaximum(state.barMaximum[k]);
    bars[k]->setValue(state.barValue[k]);
    lists[k]->setMaximum(state.listMaximum[k]);
    lists[k]->setTop(state.listTop[k]);
  }
  s.List8 = state.List8;
  s.WithinGroupsSS = state.withinSS;
  s.WithinGroupsDf = state.withinDf;
  s.Text4FromLists = state.Text4FromLists;
  s.Text41FromLists = state.Text41FromLists;
  window_.setNameBook(state.names);
  window_.setSpreadsheetItemsEnabled(kTests.at(std::size_t(state.test)).valueList);
  restoring_ = false;
  window_.detailsPane().requestRefresh();
}

void WindowHistory::noteChange() {
  if (restoring_ || inAction_ || commitQueued_) return;
  commitQueued_ = true;
  QTimer::singleShot(0, this, &WindowHistory::commit);
}

bool WindowHistory::dataDiffers(const Step& step) const {
  if (step.wholeLists || !step.edits[0].empty() || !step.edits[1].empty()) return true;
  if (step.before.test != step.after.test || step.before.names != step.after.names) return true;
  for (int k = 0; k < 2; ++k)
    if (step.before.counts[k] != step.after.counts[k]) return true;
  for (std::size_t i : dataCells_)
    if (step.before.cells[i] != step.after.cells[i]) return true;
  return false;
}

void WindowHistory::commit() {
  commitQueued_ = false;
  if (restoring_ || inAction_) return;
  Step step;
  for (int k = 0; k < 2; ++k) step.edits[k].swap(pending_.edits[k]);
  step.before = std::move(last_);
  step.after = capture();
  last_ = step.after;
  if (!dataDiffers(step)) return;
  // Keystrokes run together while they go into the focused cell and, in the
  // value lists, into the same item.
  const QWidget* focus = window_.focusWidget();
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i] == focus && step.before.cells[i] != step.after.cells[i]) step.typedIn = focus;
  // Typing a name runs together like typing into a cell.
  const QWidget* typing = QApplication::focusWidget();
  if (typing != nullptr && window_.namesDialog_->holds(typing) && step.before.names != step.after.names)
    step.typedIn = typing;
  if (step.typedIn != nullptr && !closed_ && !undo_.empty() && undo_.back().typedIn == step.typedIn &&
      redo_.empty()) {
    Step& previous = undo_.back();
    const ItemKey was = SingleItem(previous.edits);
    const ItemKey now = SingleItem(step.edits);
    if (!was.several && !now.several && (was.window < 0 || now.window < 0 || was == now)) {
      for (int k = 0; k < 2; ++k)
        previous.edits[k].insert(previous.edits[k].end(), std::make_move_iterator(step.edits[k].begin()),
                                 std::make_move_iterator(step.edits[k].end()));
      previous.after = std::move(step.after);
      previous.afterId = ++lastId_;
      setCurrent(previous.afterId);
      return;
    }
  }
  push(std::move(step));
}

void WindowHistory::closeStep() {
  commit();
  closed_ = true;
}

void WindowHistory::push(Step step) {
  closed_ = false;
  step.beforeId = current_;
  step.afterId = ++lastId_;
  const std::uint64_t after = step.afterId;
  undo_.push_back(std::move(step));
  // Each step keeps two snapshots of the window, and a replacing step whole
  // lists: a long session keeps only its latest steps.
  if (undo_.size() > kMaxSteps) undo_.erase(undo_.begin());
  redo_.clear();
  setCurrent(after);
  emit availabilityChanged();
}

void WindowHistory::runStep(const std::function<void()>& action, bool replacesLists) {
  commit();
  Step step;
  ListWindow* lists[2] = {&window_.storage_.twoColumnLists, &window_.storage_.groupLists};
  if (replacesLists)
    for (int k = 0; k < 2; ++k) lists[k]->attachKeep(&step.otherLists[k]);
  inAction_ = true;
  action();
  inAction_ = false;
  for (int k = 0; k < 2; ++k) {
    lists[k]->attachKeep(nullptr);
    step.edits[k].swap(pending_.edits[k]);
    // Edits after the lists were handed over went into the new lists.
    if (!step.otherLists[k].empty()) step.edits[k].clear();
  }
  step.wholeLists = !step.otherLists[0].empty() || !step.otherLists[1].empty();
  commitQueued_ = false;
  step.before = std::move(last_);
  step.after = capture();
  last_ = step.after;
  if (dataDiffers(step)) push(std::move(step));
}

void WindowHistory::apply(Step& step, bool forward) {
  ListWindow* lists[2] = {&window_.storage_.twoColumnLists, &window_.storage_.groupLists};
  for (int k = 0; k < 2; ++k) {
    if (!step.otherLists[k].empty()) {
      lists[k]->swapLists(step.otherLists[k]);
      continue;
    }
    const std::vector<ListWindow::ItemEdit>& edits = step.edits[k];
    if (forward) {
      lists[k]->resizeLists(step.after.counts[k]);
      for (const ListWindow::ItemEdit& edit : edits) lists[k]->column(edit.column).setItem(edit.index, edit.after);
    } else {
      for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
        lists[k]->column(edit->column).setItem(edit->index, edit->before);
      lists[k]->resizeLists(step.before.counts[k]);
    }
  }
}

void WindowHistory::undo() {
  commit();
  if (undo_.empty()) return;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  apply(step, false);
  restore(step.before);
  last_ = step.before;
  setCurrent(step.beforeId);
  redo_.push_back(std::move(step));
  emit availabilityChanged();
}

void WindowHistory::redo() {
  commit();
  if (redo_.empty()) return;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  apply(step, true);
  restore(step.after);
  last_ = step.after;
  setCurrent(step.afterId);
  undo_.push_back(std::move(step));
  emit availabilityChanged();
}

}  // namespace kelvasta
