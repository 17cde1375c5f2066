#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "interchange/workbook.h"

namespace kelvasta {

// Largest row and column numbers any Excel format can address (.xlsx).
inline constexpr std::int64_t kMaxSheetRow = 1048576;
inline constexpr std::int64_t kMaxSheetColumn = 16384;

// Gathers the cells of one worksheet, in any order, into the columns the
// caller asked for, and tracks the last row holding a non-empty cell in any
// column. Rows and columns are 1-based.
class SheetCollector {
 public:
  SheetCollector(int columnCount, std::int64_t maxRows, const ReadLimits& limits = {});
  // Keeps the given distinct 1-based columns, in this order.
  SheetCollector(const std::vector<std::int64_t>& columns, std::int64_t maxRows, const ReadLimits& limits = {});
  ~SheetCollector();
  SheetCollector(const SheetCollector&) = delete;
  SheetCollector& operator=(const SheetCollector&) = delete;

  // Which worksheet a reader takes (0-based among the worksheets; the first
  // unless chosen), and whether it lists the names of all of them.
  void ChooseSheet(int index, bool listNames) {
    sheetIndex_ = index;
    listNames_ = listNames;
  }
  int sheetIndex() const { return sheetIndex_; }
  bool listsNames() const { return listNames_; }
  void AddSheetName(std::string name) { sheetNames_.push_back(std::move(name)); }
  std::vector<std::string>& sheetNames() { return sheetNames_; }

  // Ignores the rows after `row` instead of refusing them; Satisfied() tells
  // once a cell past it came, so that a reader going row by row may stop.
  void StopAfterRow(std::int64_t row) { stopRow_ = row; }
  bool Satisfied() const { return satisfied_; }

  const ReadLimits& limits() const { return limits_; }

  // Counts `bytes` more held by the read: TooMuchText once the total passes
  // limits().maxHeldBytes. Shared strings and relationships are counted
  // through this, the cells kept by Add itself.
  WorkbookError Hold(std::size_t bytes);

  // Hold() for one text kept in a std::string: its bytes and bookkeeping;
  // TooMuchText for a text past limits().maxTextBytes.
  WorkbookError HoldText(std::size_t bytes);

  // The sheet announces about this many rows (its dimension): storage for
  // them is reserved when they fit within maxRows, and its pages are made
  // ready on a helper thread while the cells are read.
  void ExpectRows(std::int64_t rows);

  // True when the text of a cell in this column is kept.
  bool Keeps(std::int64_t column) const {
    return column >= 1 && column <= static_cast<std::int64_t>(slotOf_.size()) &&
           slotOf_[static_cast<std::size_t>(column - 1)] >= 0;
  }

  // Columns past this are never kept.
  std::int64_t keptColumnSpan() const { return static_cast<std::int64_t>(slotOf_.size()); }

  // The first kept column at or after `column`, or a column past
  // keptColumnSpan() when there is none: a cell repeated across many
  // columns visits only the kept ones, however wide it is.
  std::int64_t NextKept(std::int64_t column) const;

  // Records a cell. Outside the sheet's limits gives Corrupt; a non-empty
  // cell below maxRows gives TooManyRows; a kept text beyond the limits
  // TooMuchText. An empty text changes nothing; a
  // later cell at the same place replaces an earlier one.
  WorkbookError Add(std::int64_t row, std::int64_t column, std::string_view text);

  // Records a non-empty cell of a column that is not kept.
  WorkbookError MarkUsed(std::int64_t row, std::int64_t column);

  // Hands over the columns, each cut or padded to lastUsedRow.
  SheetColumns Finish();

 private:
  WorkbookError Check(std::int64_t row, std::int64_t column);
  void Prefault();
  void StopPrefault();

  std::vector<int> slotOf_;  // by column - 1: the index in sheet_.columns, or -1
  std::vector<std::int64_t> kept_;  // the kept columns, ascending
  std::int64_t maxRows_;
  std::int64_t stopRow_ = INT64_MAX;
  bool satisfied_ = false;
  int sheetIndex_ = 0;
  bool listNames_ = false;
  std::vector<std::string> sheetNames_;
  ReadLimits limits_;
  std::size_t held_ = 0;
  SheetColumns sheet_;
  std::thread prefault_;
  std::atomic<bool> stopPrefault_ = false;
};

}  // namespace kelvasta
