#include "interchange/sheet_collector.h"

#include <algorithm>
#include <utility>

namespace kelvasta {

SheetCollector::SheetCollector(int columnCount, std::int64_t maxRows, const ReadLimits& limits)
    : maxRows_(maxRows), limits_(limits) {
  columnCount = std::clamp(columnCount, 0, static_cast<int>(kMaxSheetColumn));
  slotOf_.resize(static_cast<std::size_t>(columnCount));
  for (int c = 0; c < columnCount; ++c) {
    slotOf_[static_cast<std::size_t>(c)] = c;
  }
  sheet_.columns.resize(static_cast<std::size_t>(columnCount));
}

SheetCollector::SheetCollector(const std::vector<std::int64_t>& columns, std::int64_t maxRows,
                               const ReadLimits& limits)
    : maxRows_(maxRows), limits_(limits) {
  sheet_.columns.resize(columns.size());
  for (std::size_t slot = 0; slot < columns.size(); ++slot) {
    std::int64_t column = columns[slot];
    if (column < 1 || column > kMaxSheetColumn) {
      continue;
    }
    if (static_cast<std::int64_t>(slotOf_.size()) < column) {
      slotOf_.resize(static_cast<std::size_t>(column), -1);
    }
    slotOf_[static_cast<std::size_t>(column - 1)] = static_cast<int>(slot);
  }
}

WorkbookError SheetCollector::Hold(std::size_t bytes) {
  if (bytes > limits_.maxHeldBytes - std::min(held_, limits_.maxHeldBytes)) {
    held_ = limits_.maxHeldBytes;  // stays refused
    return WorkbookError::TooMuchText;
  }
  held_ += bytes;
  return WorkbookError::None;
}

WorkbookError SheetCollector::HoldText(std::size_t bytes) {
  if (bytes > limits_.maxTextBytes) {
    return WorkbookError::TooMuchText;
  }
  return Hold(sizeof(std::string) + bytes);
}

void SheetCollector::ExpectRows(std::int64_t rows) {
  if (rows <= 0 || rows > maxRows_ || rows > kMaxSheetRow) {
    return;
  }
  // A little room past the last row: a caller that pads the columns with a
  // few empty rows (the window does) then keeps the storage it was handed.
  constexpr std::size_t kRoomAfter = 32;
  for (std::vector<std::string>& column : sheet_.columns) {
    column.reserve(static_cast<std::size_t>(rows) + kRoomAfter);
  }
}

WorkbookError SheetCollector::Check(std::int64_t row, std::int64_t column) {
  if (row < 1 || row > kMaxSheetRow || column < 1 || column > kMaxSheetColumn) {
    return WorkbookError::Corrupt;
  }
  if (row > stopRow_) {
    satisfied_ = true;
    return WorkbookError::None;
  }
  if (row > maxRows_) {
    return WorkbookError::TooManyRows;
  }
  sheet_.lastUsedRow = std::max(sheet_.lastUsedRow, row);
  return WorkbookError::None;
}

WorkbookError SheetCollector::Add(std::int64_t row, std::int64_t column, std::string_view text) {
  if (text.empty()) {
    return WorkbookError::None;
  }
  if (WorkbookError error = Check(row, column); error != WorkbookError::None) {
    return error;
  }
  if (!Keeps(column) || row > stopRow_) {
    return WorkbookError::None;
  }
  if (WorkbookError error = HoldText(text.size()); error != WorkbookError::None) {
    return error;
  }
  std::vector<std::string>& cells =
      sheet_.columns[static_cast<std::size_t>(slotOf_[static_cast<std::size_t>(column - 1)])];
  auto index = static_cast<std::size_t>(row - 1);
  if (index == cells.size()) {
    cells.emplace_back(text);
    return WorkbookError::None;
  }
  if (index > cells.size()) {
    cells.resize(index + 1);
  }
  cells[index].assign(text);
  return WorkbookError::None;
}

WorkbookError SheetCollector::MarkUsed(std::int64_t row, std::int64_t column) {
  return Check(row, column);
}

SheetColumns SheetCollector::Finish() {
  for (std::vector<std::string>& column : sheet_.columns) {
    column.resize(static_cast<std::size_t>(sheet_.lastUsedRow));
  }
  return std::move(sheet_);
}

}  // namespace kelvasta
