// Writes CSV UTF-8 with a byte order mark.

#include <algorithm>
#include <new>

#include "interchange/cell_text.h"
#include "interchange/file_replace.h"
#include "interchange/workbook.h"

namespace kelvasta {
namespace {

bool NeedsQuotes(std::string_view text) {
  if (text.empty()) return false;
  if (text.front() == ' ' || text.back() == ' ') return true;
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

std::string BuildWorkbookCsv(const std::vector<std::vector<std::string>>& columns) {
  const std::size_t rows = WrittenRows(columns);
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
