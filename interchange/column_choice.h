#pragma once

#include <string>
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
  std::vector<std::string> groups;  // the long format: each list's group
};

// The columns to read for `choice`, in the order ArrangeColumns expects.
std::vector<int> ColumnsToRead(const ColumnChoice& choice);

// The lists' texts from the columns read: the header row left out, and in
// the long format each value put in the list of its group (rows of other
// groups left out). Every list is as long as the longest.
SheetColumns ArrangeColumns(SheetColumns read, const ColumnChoice& choice, std::size_t lists);

// The different non-empty texts of a column in the given rows, in the order
// they first appear (the groups a long-format sheet holds).
std::vector<std::string> DistinctTexts(const std::vector<std::vector<std::string>>& rows, int column, bool header);

// "A" for 0, "AB" for 27; and back, -1 for a text that is no column name.
std::string ColumnName(int column);
int ColumnIndex(const std::string& name);

}  // namespace kelvasta
