#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/workbook.h"

namespace kelvasta {

// Which columns of which worksheet fill the value lists: either one column
// per list (a sheet with a column per group), or a value column and a group
// column (one row per patient) with the group each list takes.
struct ColumnChoice {
  int sheet = 0;
  bool header = false;       // the first row holds titles, not data
  std::vector<int> columns;  // one column per list, 0 = A; -1 leaves a list empty
  int valueColumn = -1;      // the long format when 0 or more
  int groupColumn = -1;
  // The long format: each list's group. nullopt takes no rows; "" takes the
  // rows whose group cell is blank ("(空白)" in the chooser); any other text
  // the rows of that group, compared as GroupKey compares them.
  std::vector<std::optional<std::string>> groups;
  // With `header`: the titles (or, in the long format, the groups) name the
  // lists.
  bool headerNames = true;
};

// The name the chooser and the automation script give the blank group.
inline constexpr std::string_view kBlankGroupName = "(空白)";

// A group cell's text as groups are compared: blanks and ideographic spaces
// around it removed and full-width letters, digits and signs made ASCII, so
// "A", " A", "A " and "Ａ" are one group. Letter case counts.
std::string GroupKey(std::string_view text);

// Rows the long format leaves out of every list.
struct LeftOutRows {
  std::size_t groupNotChosen = 0;  // a value or group given, but the group is no list's
  std::size_t notANumber = 0;      // in a chosen group, the value empty or not a number
};

// The columns to read for `choice`, in the order ArrangeColumns expects.
std::vector<int> ColumnsToRead(const ColumnChoice& choice);

// The lists' texts from the columns read: the header row left out, and in
// the long format each number put in the list of its group; rows left out
// (other groups, values that are not numbers) are counted in `left` when
// given. Rows with neither a value nor a group are nobody's. Every list is
// as long as the longest.
SheetColumns ArrangeColumns(SheetColumns read, const ColumnChoice& choice, std::size_t lists,
                            LeftOutRows* left = nullptr);

// The names a header row offers: for each list of `choice` in a column per
// list the chosen column's title (from `read`, the columns ColumnsToRead
// gave, before ArrangeColumns takes them), in the long format the list's
// group, and there the value column's title for the values. nullopt where
// there is none: no header row or `headerNames` off, a list left empty, a
// blank title, the blank group. Blanks around a name go.
struct HeaderNames {
  std::vector<std::optional<std::string>> lists;
  std::optional<std::string> values;
};
HeaderNames OfferedNames(const SheetColumns& read, const ColumnChoice& choice, std::size_t lists);

// The different non-empty texts of a column in the given rows, in the order
// they first appear (the groups a long-format sheet holds).
std::vector<std::string> DistinctTexts(const std::vector<std::vector<std::string>>& rows, int column, bool header);

// The groups of a whole column for the chooser: each GroupKey once, as first
// written (trimmed), in the order they first appear, at most `limit` of them.
struct ColumnGroups {
  std::vector<std::string> names;
  bool more = false;    // further groups beyond `limit`
  bool blanks = false;  // some row (below the title) has a blank group cell
};
ColumnGroups ListGroups(const std::vector<std::string>& column, bool header, std::size_t limit);

// What the chooser offers first for a sheet, from its preview: the title
// switch on when the first row is text over numbers; the value column the
// first column of numbers; the group column the other column with the
// fewest different texts (-1 for none of either).
struct ColumnDefaults {
  bool header = false;
  int valueColumn = -1;
  int groupColumn = -1;
};
ColumnDefaults SuggestColumns(const std::vector<std::vector<std::string>>& rows, int columns);

// "A" for 0, "AB" for 27; and back, -1 for a text that is no column name.
std::string ColumnName(int column);
int ColumnIndex(const std::string& name);

}  // namespace kelvasta
