// Writes .xlsx through libxlsxwriter, and CSV UTF-8 with a byte order mark.

#include <xlsxwriter.h>

#include <algorithm>
#include <new>

#include "interchange/cell_text.h"
#include "interchange/file_replace.h"
#include "interchange/workbook.h"

namespace kelvasta {
namespace {

constexpr std::size_t kXlsxMaxRows = 1048576;
constexpr std::size_t kXlsxMaxColumns = 16384;
// Excel keeps at most this many characters (UTF-16 units) in a cell.
constexpr std::size_t kMaxCellUnits = 32767;

// Rows up to the last non-empty text of any column; the empty items that pad
// the lists after it write nothing.
std::size_t UsedRows(const std::vector<std::vector<std::string>>& columns) {
  std::size_t rows = 0;
  for (const std::vector<std::string>& column : columns) {
    std::size_t last = column.size();
    while (last > rows && column[last - 1].empty()) --last;
    rows = std::max(rows, last);
  }
  return rows;
}

// The text cut to Excel's cell limit, never inside a surrogate pair.
std::string CellLimited(const std::string& text) {
  if (text.size() <= kMaxCellUnits) return text;
  std::u16string units = Utf8ToUtf16(text);
  if (units.size() <= kMaxCellUnits) return text;
  std::size_t keep = kMaxCellUnits;
  if (units[keep - 1] >= 0xD800 && units[keep - 1] <= 0xDBFF) --keep;
  units.resize(keep);
  return Utf16ToUtf8(units);
}

bool WriteXlsxTo(const std::string& temporary, const std::vector<std::vector<std::string>>& columns,
                 std::size_t rows) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* workbook = workbook_new_opt(temporary.c_str(), &options);
  if (workbook == nullptr) return false;
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
  bool ok = sheet != nullptr;
  // Constant-memory mode takes the cells row by row, each row once.
  for (std::size_t r = 0; ok && r < rows; ++r) {
    for (std::size_t c = 0; ok && c < columns.size(); ++c) {
      if (r >= columns[c].size() || columns[c][r].empty()) continue;
      const std::string& text = columns[c][r];
      const auto row = static_cast<lxw_row_t>(r);
      const auto col = static_cast<lxw_col_t>(c);
      if (const std::optional<double> number = WrittenNumber(text)) {
        ok = worksheet_write_number(sheet, row, col, *number, nullptr) == LXW_NO_ERROR;
      } else {
        ok = worksheet_write_string(sheet, row, col, CellLimited(text).c_str(), nullptr) == LXW_NO_ERROR;
      }
    }
  }
  // Closing writes the package and frees the workbook in every case.
  const lxw_error closed = workbook_close(workbook);
  return ok && closed == LXW_NO_ERROR;
}

bool NeedsQuotes(std::string_view text) {
  if (text.empty()) return false;
  if (text.front() == ' ' || text.back() == ' ') return true;
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

WorkbookError WriteWorkbookXlsx(const std::string& path, const std::vector<std::vector<std::string>>& columns) {
  if (columns.size() > kXlsxMaxColumns) return WorkbookError::CannotWrite;
  const std::size_t rows = UsedRows(columns);
  if (rows > kXlsxMaxRows) return WorkbookError::TooManyRowsForXlsx;
  return ReplaceFileWith(path,
                         [&](int, const std::string& temporary) { return WriteXlsxTo(temporary, columns, rows); });
}

std::string BuildWorkbookCsv(const std::vector<std::vector<std::string>>& columns) {
  const std::size_t rows = UsedRows(columns);
  std::size_t bytes = 3;
  for (const std::vector<std::string>& column : columns)
    for (std::size_t r = 0; r < std::min(rows, column.size()); ++r) bytes += column[r].size() + 1;
  std::string out;
  out.reserve(bytes + 2 * rows);
  out += "\xEF\xBB\xBF";
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c != 0) out += ',';
      if (r >= columns[c].size()) continue;
      const std::string& text = columns[c][r];
      if (!NeedsQuotes(text)) {
        out += text;
        continue;
      }
      out += '"';
      for (char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
      }
      out += '"';
    }
    out += "\r\n";
  }
  return out;
}

WorkbookError WriteWorkbookCsv(const std::string& path, const std::vector<std::vector<std::string>>& columns) {
  std::string text;
  try {
    text = BuildWorkbookCsv(columns);
  } catch (const std::bad_alloc&) {
    return WorkbookError::OutOfMemory;
  }
  return ReplaceFileContents(path, std::span(reinterpret_cast<const std::byte*>(text.data()), text.size()));
}

}  // namespace kelvasta
