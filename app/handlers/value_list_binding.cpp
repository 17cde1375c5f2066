#include "app/handlers/value_list_binding.h"

#include "app/cell_filter_widget.h"
#include "entry/list_window.h"
#include "stats/cell_filter.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

namespace kelvasta {

namespace {
constexpr int kLastRow = ListWindow::kRows - 1;
// Empty rows left after a pasted block, as after the rows a list starts with.
constexpr std::size_t kRowsAfterPaste = 5;
}

ValueListBinding::ValueListBinding(Config config, bool& loading, QObject* parent)
    : QObject(parent), config_(std::move(config)), loading_(loading) {
  for (std::size_t column = 0; column < config_.columns.size(); ++column) {
    for (const auto& [row, cell] : *config_.columns[column]) {
      const int r = row;
      QObject::connect(cell, &QLineEdit::textChanged, this, [this, r, column] { cellChanged(r, column); });
      cell->installEventFilter(this);
    }
  }
  // The bar's value and maximum are the lists' scroll position; moving it
  // refreshes the rows.
  QObject::connect(config_.bar, &QScrollBar::rangeChanged, this,
                   [this](int, int maximum) { config_.lists->setMaximum(maximum); });
  QObject::connect(config_.bar, &QScrollBar::valueChanged, this, [this](int value) {
    config_.lists->setTop(value);
    refreshRows();
  });
}

void ValueListBinding::cellChanged(int row, std::size_t column) {
  if (loading_) return;
  QLineEdit* cell = (*config_.columns[column])(row);
  FilterLastCharacter(cell, true);
  cell->end(false);
  if (config_.lists->growForRow(row)) syncBar();
  if (loading_) return;
  config_.lists->store(row, column, cell->text().toStdString());
  if (config_.afterStore) config_.afterStore(column);
}

void ValueListBinding::refreshRows() {
  loading_ = true;
  const ListWindow& lists = *config_.lists;
  for (int row = 0; row < ListWindow::kRows; ++row) {
    for (std::size_t column = 0; column < config_.columns.size(); ++column)
      (*config_.columns[column])(row)->setText(QString::fromStdString(lists.shown(row, column)));
    (*config_.rowNumbers)(row)->setText(QString::number(qint64(lists.top()) + row + 1));
  }
  loading_ = false;
}

bool ValueListBinding::locate(const QLineEdit* cell, int& row, std::size_t& column) const {
  for (std::size_t c = 0; c < config_.columns.size(); ++c) {
    for (const auto& [r, candidate] : *config_.columns[c]) {
      if (candidate != cell) continue;
      row = r;
      column = c;
      return true;
    }
  }
  return false;
}

void ValueListBinding::pasteBlock(int row, std::size_t column, const TextBlock& block) {
  ListWindow& lists = *config_.lists;
  const std::size_t first = std::size_t(lists.top()) + std::size_t(row);
  // Rows the bar can reach stay within int, as typing keeps them.
  const std::size_t limit = std::size_t(std::numeric_limits<int>::max()) - ListWindow::kRows;
  const std::size_t wanted = std::min(first + block.size() + kRowsAfterPaste, limit);
  std::vector<std::size_t> counts = lists.counts();
  for (std::size_t& count : counts) count = std::max(count, wanted);
  lists.resizeLists(counts);
  for (std::size_t i = 0; i < block.size() && first + i < wanted; ++i) {
    for (std::size_t j = 0; j < block[i].size() && column + j < lists.columnCount(); ++j)
      lists.storeAt(first + i, column + j, FilterFully(block[i][j], true));
  }
  const int maximum = int(*std::max_element(counts.begin(), counts.end())) - ListWindow::kRows;
  if (maximum > lists.maximum()) {
    const QSignalBlocker blocker(config_.bar);
    config_.bar->setMaximum(maximum);
    lists.setMaximum(maximum);
  }
  refreshRows();
  if (config_.afterPaste) config_.afterPaste();
}

void ValueListBinding::syncBar() {
  config_.bar->setMaximum(config_.lists->maximum());
  config_.bar->setValue(config_.lists->top());
}

void ValueListBinding::focusRow(int row, std::size_t column) {
  QLineEdit* cell = (*config_.columns[column])(row);
  cell->setFocus(Qt::OtherFocusReason);
  cell->end(false);
}

void ValueListBinding::move(const ListWindow::Move& move, std::size_t column) {
  if (move.kind == ListWindow::Move::Focus) focusRow(move.row, column);
  if (move.kind == ListWindow::Move::Scroll) {
    syncBar();
    refreshRows();
  }
}

bool ValueListBinding::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  for (std::size_t column = 0; column < config_.columns.size(); ++column) {
    for (const auto& [row, cell] : *config_.columns[column]) {
      if (cell != watched) continue;
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool press = event->type() == QEvent::KeyPress;
      const bool upActsOnRelease = config_.upOnReleaseInFirstColumn && column == 0;
      switch (key->key()) {
        case Qt::Key_Down:
          if (press) move(config_.lists->nextRow(row), column);
          return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
          if (press) move(config_.lists->nextRow(row), column);
          return true;
        case Qt::Key_Up:
          if (press != upActsOnRelease) move(config_.lists->previousRow(row), column);
          return true;
        default:
          return false;
      }
    }
  }
  return false;
}

}  // namespace kelvasta
