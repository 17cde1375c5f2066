#pragma once

#include "app/control_array.h"
#include "entry/list_window.h"
#include "entry/pasted_block.h"

#include <QObject>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QScrollBar;

namespace kelvasta {


// Binds ten rows of entry cells and a scroll bar to the value lists behind
// them: the change handling of a cell (filter, growth, store, hand-over),
// the keys that move between rows, and the refresh of the rows from the lists.
class ValueListBinding : public QObject {
 public:
  struct Config {
    std::vector<const ControlArray<QLineEdit>*> columns;  // cells of each list, rows 0 to 9
    const ControlArray<QLabel>* rowNumbers = nullptr;
    QScrollBar* bar = nullptr;
    ListWindow* lists = nullptr;
    // The two-column lists move up when Up is released in their first column
    // and when it is pressed in the second; the group lists on the press.
    bool upOnReleaseInFirstColumn = false;
    // Runs after a changed cell was stored, with the column's index.
    std::function<void(std::size_t column)> afterStore;
    // Runs once after a pasted block was stored.
    std::function<void()> afterPaste;
  };

  // `loading` is the window's flag, shared by every binding: while it is set
  // the cells neither store nor compute.
  ValueListBinding(Config config, bool& loading, QObject* parent);

  // Refills the visible rows from the lists without storing anything.
  void refreshRows();

  // The row and column of one of the binding's cells; false for another cell.
  bool locate(const QLineEdit* cell, int& row, std::size_t& column) const;
  // Stores a pasted block from visible row `row` and `column` downward and to
  // the right (columns beyond the lists are left out), each value read as a
  // typed one would be, with the lists grown so five empty rows follow the
  // block; then refreshes the rows and computes once.
  void pasteBlock(int row, std::size_t column, const TextBlock& block);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cellChanged(int row, std::size_t column);
  // Carries out a key's move: focus another row, or scroll and refresh.
  void move(const ListWindow::Move& move, std::size_t column);
  void focusRow(int row, std::size_t column);
  void syncBar();

  Config config_;
  bool& loading_;
};

}  // namespace kelvasta
