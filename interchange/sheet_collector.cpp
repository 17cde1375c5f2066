#include "interchange/sheet_collector.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <utility>

namespace kelvasta {
namespace {

// Room reserved past the announced rows: a caller that pads the columns with
// a few empty rows (the window does) then keeps the storage it was handed.
constexpr std::size_t kRoomAfterRows = 32;

}  // namespace

SheetCollector::SheetCollector(int columnCount, std::int64_t maxRows, const ReadLimits& limits)
    : maxRows_(maxRows), limits_(limits) {
  columnCount = std::clamp(columnCount, 0, static_cast<int>(kMaxSheetColumn));
  slotOf_.resize(static_cast<std::size_t>(columnCount));
  for (int c = 0; c < columnCount; ++c) {
    slotOf_[static_cast<std::size_t>(c)] = c;
  }
  sheet_.columns.resize(static_cast<std::size_t>(columnCount));
  for (int c = 1; c <= columnCount; ++c) kept_.push_back(c);
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
    kept_.push_back(column);
  }
  std::sort(kept_.begin(), kept_.end());
  kept_.erase(std::unique(kept_.begin(), kept_.end()), kept_.end());
}

std::int64_t SheetCollector::NextKept(std::int64_t column) const {
  auto next = std::lower_bound(kept_.begin(), kept_.end(), column);
  return next == kept_.end() ? keptColumnSpan() + 1 : *next;
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
  rows = std::min(rows, stopRow_);  // a preview keeps only its first rows
  StopPrefault();
  for (std::vector<std::string>& column : sheet_.columns) {
    column.reserve(static_cast<std::size_t>(rows) + kRoomAfterRows);
  }
  Prefault();
}

// A million rows of cells are tens of megabytes that the kernel would hand
// over page by page, zeroing each on the reading thread as the cells reach
// it. Asking for them up front on another thread takes that off the read.
// Only the reserved storage is touched, and never its contents, so this
// may run while cells are written; storage about to be given up waits for
// it to stop (StopPrefault). A preview, which stops after a few rows, and
// storage past what a read may hold are left alone.
void SheetCollector::Prefault() {
#if defined(MADV_POPULATE_WRITE)
  std::vector<std::pair<char*, std::size_t>> ranges;
  std::size_t total = 0;
  for (std::vector<std::string>& column : sheet_.columns) {
    const std::size_t bytes = column.capacity() * sizeof(std::string);
    ranges.emplace_back(reinterpret_cast<char*>(column.data()), bytes);
    total += bytes;
  }
  if (stopRow_ != INT64_MAX || total > limits_.maxHeldBytes) {
    return;
  }
  stopPrefault_ = false;
  try {
    prefault_ = std::thread([this, ranges = std::move(ranges)] {
      // A chunk of every column in turn, as the rows fill them together.
      constexpr std::size_t kChunk = std::size_t{1} << 20;
      const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
      for (std::size_t offset = 0;; offset += kChunk) {
        bool more = false;
        for (const auto& [data, bytes] : ranges) {
          if (stopPrefault_.load(std::memory_order_relaxed)) return;
          if (offset >= bytes) continue;
          more = true;
          // Whole pages inside the range only: the ends belong to the heap.
          const auto first = (reinterpret_cast<std::uintptr_t>(data + offset) + page - 1) & ~(page - 1);
          const auto last = reinterpret_cast<std::uintptr_t>(data + std::min(bytes, offset + kChunk)) & ~(page - 1);
          if (first < last) {
            ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
          }
        }
        if (!more) return;
      }
    });
  } catch (const std::system_error&) {
    // Without a thread the pages come as the cells are written.
  }
#endif
}

void SheetCollector::StopPrefault() {
  if (prefault_.joinable()) {
    stopPrefault_ = true;
    prefault_.join();
  }
}

SheetCollector::~SheetCollector() { StopPrefault(); }

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
  if (index >= cells.capacity()) {
    StopPrefault();  // the storage is about to move
  }
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
  StopPrefault();
  for (std::vector<std::string>& column : sheet_.columns) {
    column.resize(static_cast<std::size_t>(sheet_.lastUsedRow));
    // Storage for far more rows than came (a dimension that overstates the
    // sheet) is given back: faulted in, it would stay resident with the list.
    if (column.capacity() / 2 > column.size() + kRoomAfterRows) {
      column.shrink_to_fit();
    }
  }
  return std::move(sheet_);
}

}  // namespace kelvasta
