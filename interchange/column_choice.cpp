#include "interchange/column_choice.h"

#include <algorithm>

namespace kelvasta {

namespace {
bool LongFormat(const ColumnChoice& choice) { return choice.valueColumn >= 0; }
}  // namespace

std::vector<int> ColumnsToRead(const ColumnChoice& choice) {
  if (LongFormat(choice)) return {choice.valueColumn, choice.groupColumn};
  return choice.columns;
}

SheetColumns ArrangeColumns(SheetColumns read, const ColumnChoice& choice, std::size_t lists) {
  const std::size_t first = choice.header ? 1 : 0;
  SheetColumns out;
  out.columns.resize(lists);
  if (LongFormat(choice)) {
    const std::vector<std::string>& values = read.columns.at(0);
    const std::vector<std::string>& groups = read.columns.at(1);
    for (std::size_t row = first; row < values.size() && row < groups.size(); ++row) {
      const auto group = std::find(choice.groups.begin(), choice.groups.end(), groups[row]);
      const auto list = std::size_t(group - choice.groups.begin());
      if (group != choice.groups.end() && list < lists) out.columns[list].push_back(std::move(read.columns[0][row]));
    }
  } else {
    for (std::size_t list = 0; list < lists && list < read.columns.size(); ++list) {
      std::vector<std::string>& column = read.columns[list];
      if (choice.columns.at(list) < 0 || column.size() <= first) continue;
      out.columns[list].assign(std::make_move_iterator(column.begin() + std::ptrdiff_t(first)),
                               std::make_move_iterator(column.end()));
    }
  }
  std::size_t longest = 0;
  for (const auto& column : out.columns) longest = std::max(longest, column.size());
  for (auto& column : out.columns) column.resize(longest);
  out.lastUsedRow = std::int64_t(longest);
  return out;
}

std::vector<std::string> DistinctTexts(const std::vector<std::vector<std::string>>& rows, int column, bool header) {
  std::vector<std::string> seen;
  for (std::size_t row = header ? 1 : 0; row < rows.size(); ++row) {
    if (column < 0 || std::size_t(column) >= rows[row].size()) continue;
    const std::string& text = rows[row][std::size_t(column)];
    if (!text.empty() && std::find(seen.begin(), seen.end(), text) == seen.end()) seen.push_back(text);
  }
  return seen;
}

std::string ColumnName(int column) {
  std::string name;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
  return name;
}

int ColumnIndex(const std::string& name) {
  if (name.empty() || name.size() > 3) return -1;
  int index = 0;
  for (char c : name) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return -1;
    index = index * 26 + (c - 'A' + 1);
  }
  return index - 1;
}

}  // namespace kelvasta
