#include "interchange/column_choice.h"

#include <algorithm>
#include <unordered_set>

#include "stats/raw_value.h"

namespace kelvasta {

namespace {

bool LongFormat(const ColumnChoice& choice) { return choice.valueColumn >= 0; }

// The code point of a three-byte UTF-8 sequence at `at`, or 0.
char32_t ThreeByteAt(std::string_view text, std::size_t at) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  if (at + 2 >= text.size() || (b(0) & 0xF0) != 0xE0 || (b(1) & 0xC0) != 0x80 || (b(2) & 0xC0) != 0x80) return 0;
  return char32_t(b(0) & 0x0F) << 12 | char32_t(b(1) & 0x3F) << 6 | char32_t(b(2) & 0x3F);
}

// The list whose group `key` is, or `lists` when none chose it.
std::size_t ListOfGroup(const std::vector<std::optional<std::string>>& keys, const std::string& key) {
  for (std::size_t list = 0; list < keys.size(); ++list)
    if (keys[list] && *keys[list] == key) return list;
  return keys.size();
}

}  // namespace

std::string GroupKey(std::string_view text) {
  std::string key;
  key.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char32_t c = ThreeByteAt(text, at);
    if (c >= U'\uFF01' && c <= U'\uFF5E') {
      key += static_cast<char>(c - 0xFEE0);  // full-width forms of ASCII
      at += 2;
    } else if (c == U'\u3000') {
      key += ' ';
      at += 2;
    } else if (text.substr(at, 2) == "\u00A0") {
      key += ' ';
      at += 1;
    } else {
      key += text[at];
    }
  }
  const std::size_t first = key.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return key.substr(first, key.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<int> ColumnsToRead(const ColumnChoice& choice) {
  if (LongFormat(choice)) return {choice.valueColumn, choice.groupColumn};
  return choice.columns;
}

namespace {

// `name` without blanks around it; nullopt for none or only blanks.
std::optional<std::string> Trimmed(const std::optional<std::string>& name) {
  if (!name) return std::nullopt;
  const std::size_t first = name->find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::nullopt;
  return name->substr(first, name->find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<std::string> Title(const SheetColumns& read, std::size_t column) {
  if (column >= read.columns.size() || read.columns[column].empty()) return std::nullopt;
  return Trimmed(read.columns[column].front());
}

}  // namespace

HeaderNames OfferedNames(const SheetColumns& read, const ColumnChoice& choice, std::size_t lists) {
  HeaderNames names;
  names.lists.resize(lists);
  if (!choice.header || !choice.headerNames) return names;
  if (LongFormat(choice)) names.values = Title(read, 0);
  for (std::size_t list = 0; list < lists; ++list) {
    if (LongFormat(choice)) {
      if (list < choice.groups.size()) names.lists[list] = Trimmed(choice.groups[list]);
    } else if (list < choice.columns.size() && choice.columns[list] >= 0) {
      names.lists[list] = Title(read, list);
    }
  }
  return names;
}

SheetColumns ArrangeColumns(SheetColumns read, const ColumnChoice& choice, std::size_t lists, LeftOutRows* left) {
  const std::size_t first = choice.header ? 1 : 0;
  SheetColumns out;
  out.columns.resize(lists);
  LeftOutRows counted;
  if (LongFormat(choice)) {
    std::vector<std::optional<std::string>> keys;
    for (const std::optional<std::string>& group : choice.groups)
      keys.push_back(group ? std::optional<std::string>(GroupKey(*group)) : std::nullopt);
    std::vector<std::string>& values = read.columns.at(0);
    const std::vector<std::string>& groups = read.columns.at(1);
    for (std::size_t row = first; row < values.size() && row < groups.size(); ++row) {
      const std::string key = GroupKey(groups[row]);
      if (values[row].empty() && key.empty()) continue;
      const std::size_t list = ListOfGroup(keys, key);
      if (list >= lists) {
        ++counted.groupNotChosen;
      } else if (ReadRawValue(values[row]) == kMissingRaw) {
        ++counted.notANumber;
        if (!values[row].empty()) out.columns[list].push_back(std::move(values[row]));
      } else {
        out.columns[list].push_back(std::move(values[row]));
      }
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
  if (left != nullptr) *left = counted;
  return out;
}

namespace {

bool Blank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// A number as the lists would count it, with blanks around it allowed.
bool IsNumber(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  return first != std::string::npos && ReadRawValue(std::string_view(text).substr(first, last - first + 1)) != kMissingRaw;
}

struct ColumnTally {
  std::size_t filled = 0, numbers = 0, distinct = 0;
};

ColumnTally Tally(const std::vector<std::vector<std::string>>& rows, int column, std::size_t from) {
  ColumnTally tally;
  std::unordered_set<std::string> seen;
  for (std::size_t r = from; r < rows.size(); ++r) {
    if (std::size_t(column) >= rows[r].size() || Blank(rows[r][std::size_t(column)])) continue;
    const std::string& text = rows[r][std::size_t(column)];
    ++tally.filled;
    if (IsNumber(text)) ++tally.numbers;
    seen.insert(GroupKey(text));
  }
  tally.distinct = seen.size();
  return tally;
}

bool MostlyNumbers(const ColumnTally& t) { return t.filled > 0 && t.numbers * 5 >= t.filled * 4; }

}  // namespace

ColumnDefaults SuggestColumns(const std::vector<std::vector<std::string>>& rows, int columns) {
  ColumnDefaults defaults;
  if (rows.empty() || columns <= 0) return defaults;
  // A title row: some text in the first row over a column of numbers.
  for (int c = 0; c < columns && !defaults.header; ++c) {
    const std::string& top = c < int(rows[0].size()) ? rows[0][std::size_t(c)] : std::string();
    defaults.header = !Blank(top) && !IsNumber(top) && MostlyNumbers(Tally(rows, c, 1));
  }
  const std::size_t from = defaults.header ? 1 : 0;
  std::vector<ColumnTally> tallies;
  for (int c = 0; c < columns; ++c) tallies.push_back(Tally(rows, c, from));
  // Groups repeat: the column with the fewest different entries that has
  // more rows than entries, texts before numbers (codes such as 1 and 2).
  const auto better = [&](int a, int b) {
    const ColumnTally &x = tallies[std::size_t(a)], &y = tallies[std::size_t(b)];
    const bool textA = !MostlyNumbers(x), textB = !MostlyNumbers(y);
    if (textA != textB) return textA;
    return x.distinct < y.distinct;
  };
  for (int c = 0; c < columns; ++c) {
    const ColumnTally& t = tallies[std::size_t(c)];
    if (t.filled < 2 || t.distinct >= t.filled) continue;
    if (defaults.groupColumn < 0 || better(c, defaults.groupColumn)) defaults.groupColumn = c;
  }
  for (int c = 0; c < columns && defaults.valueColumn < 0; ++c)
    if (c != defaults.groupColumn && MostlyNumbers(tallies[std::size_t(c)])) defaults.valueColumn = c;
  return defaults;
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

ColumnGroups ListGroups(const std::vector<std::string>& column, bool header, std::size_t limit) {
  ColumnGroups found;
  std::unordered_set<std::string> seen;
  for (std::size_t row = header ? 1 : 0; row < column.size(); ++row) {
    std::string key = GroupKey(column[row]);
    if (key.empty()) {
      found.blanks = true;
      continue;
    }
    if (seen.count(key) != 0) continue;
    if (found.names.size() == limit) {
      found.more = true;
      continue;
    }
    seen.insert(key);
    const std::string& text = column[row];
    const std::size_t start = text.find_first_not_of(" \t");
    found.names.push_back(text.substr(start, text.find_last_not_of(" \t") - start + 1));
  }
  return found;
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
