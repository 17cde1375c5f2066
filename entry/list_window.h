#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "entry/value_list.h"

namespace kelvasta {

// The ten visible entry rows over parallel value lists (two for List1/List2,
// three for List3..List5) and the scroll bar that moves them: which item each
// row shows, where a typed text is stored, when the lists grow and how the
// Down, Enter and Up keys move. No widgets; the panel mirrors top() and
// maximum() into its scroll bar and the shown texts into its cells.
class ListWindow {
 public:
  static constexpr int kRows = 10;

  // Empty lists (no items), top 0, maximum 5.
  explicit ListWindow(std::size_t columns);

  std::size_t columnCount() const { return columns_.size(); }
  ValueList& column(std::size_t c) { return columns_.at(c); }
  const ValueList& column(std::size_t c) const { return columns_.at(c); }

  // Every list emptied (no items); top and maximum are left as they are.
  // See attachKeep.
  void clearLists();
  // Appends `howMany` empty items to every list.
  void appendEmptyRows(std::size_t howMany);

  // The scroll bar: the list index of row 0, and how far it can go.
  int top() const { return top_; }
  int maximum() const { return maximum_; }
  // Clamped to 0..maximum().
  void setTop(int value);
  // Clamped to 0 and above; top comes down with it if needed. The lists are
  // not padded (an import sizes them itself).
  void setMaximum(int value);

  // After a change in visible row `row`: typing in the last row raises the
  // maximum to top + 4 when it is below that, and pads every list with empty
  // items to maximum + 10 so each reachable row has an item behind it.
  // Returns true when the maximum changed; false, changing nothing, when
  // top + 4 would leave the int range.
  bool growForRow(int row);

  // Stores `text` without leading and trailing blanks as item top + row of
  // column c; nothing happens for a row without an item behind it.
  void store(int row, std::size_t c, std::string_view text);
  // The same for item `index`, which must exist.
  void storeAt(std::size_t index, std::size_t c, std::string_view text);

  // A change store() made to an item: its column, index and texts.
  struct ItemEdit {
    std::size_t column;
    std::size_t index;
    std::string before;
    std::string after;
  };
  // While a journal is attached, every store() that changes an item is
  // recorded in it (for undoing typed edits without copying the lists).
  void attachJournal(std::vector<ItemEdit>* journal) { journal_ = journal; }

  // The number of items of each list, and the lists cut or padded with
  // empty items to such numbers.
  std::vector<std::size_t> counts() const;
  void resizeLists(const std::vector<std::size_t>& counts);
  // Exchanges the lists (not the scroll position or the journal) with
  // `other` in constant time; `other` must hold as many lists.
  void swapLists(std::vector<ValueList>& other) { columns_.swap(other); }

  // While `keep` is attached and empty, the next clearLists() hands the lists
  // over to it instead of emptying them, with the journal's edits undone
  // first, so a step that replaces the lists can be undone without a copy.
  void attachKeep(std::vector<ValueList>* keep) { keep_ = keep; }

  // The text row `row` of column c shows: item top + row, "" past the end.
  const std::string& shown(int row, std::size_t c) const;

  struct Move {
    enum Kind { None, Focus, Scroll } kind;
    int row;  // the row that has the focus afterwards
  };
  // Down or Enter: the next row gets the focus; in the last row the lists
  // scroll by one while top < maximum, and the focus stays in that row.
  Move nextRow(int row);
  // Up: the previous row gets the focus; in row 0 the lists scroll back by
  // one while top > 0.
  Move previousRow(int row);

 private:
  // The list index behind visible row `row`, or -1 when there is none.
  long long indexOf(int row, std::size_t c) const;

  std::vector<ValueList> columns_;
  int top_ = 0;
  int maximum_ = 5;
  std::vector<ItemEdit>* journal_ = nullptr;
  std::vector<ValueList>* keep_ = nullptr;
};

}  // namespace kelvasta
