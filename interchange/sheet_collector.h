#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

  const ReadLimits& limits() const { return limits_; }

  // Counts `bytes` more held by the read: TooMuchText once the total passes
  // limits().maxHeldBytes. Shared strings and relationships are counted
  // through this, the cells kept by Add itself.
  WorkbookError Hold(std::size_t bytes);

  // Hold() for one text kept in a std::string: its bytes and bookkeeping;
  // TooMuchText for a text past limits().maxTextBytes.
  WorkbookError HoldText(std::size_t bytes);

  // The sheet announces about this many rows (its dimension): storage for
  // them is reserved when they fit within maxRows.
  void ExpectRows(std::int64_t rows);

  // True when the text of a cell in this column is kept.
  bool Keeps(std::int64_t column) const { return column >= 1 && column <= columnCount_; }

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

  std::int64_t columnCount_;
  std::int64_t maxRows_;
  ReadLimits limits_;
  std::size_t held_ = 0;
  SheetColumns sheet_;
};

}  // namespace kelvasta
