#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace kelvasta::testing {

// Runs `check` on every row of a case table, naming the row and where its
// expected value comes from in any failure. Rows need `name` and `source`;
// case names must be unique within a table.
template <typename Row, typename Check>
void ForEachCase(const std::vector<Row>& rows, Check check) {
  std::set<std::string> names;
  for (const Row& row : rows) {
    ASSERT_TRUE(names.insert(row.name).second) << "repeated case name " << row.name;
    SCOPED_TRACE(std::string(row.name) + " [" + row.source + "]");
    check(row);
  }
}

}  // namespace kelvasta::testing
