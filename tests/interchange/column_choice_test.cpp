#include "interchange/column_choice.h"

#include <gtest/gtest.h>

namespace kelvasta {
namespace {

SheetColumns Sheet(std::vector<std::vector<std::string>> columns) {
  SheetColumns sheet;
  sheet.columns = std::move(columns);
  sheet.lastUsedRow = std::int64_t(sheet.columns.at(0).size());
  return sheet;
}

TEST(ArrangeColumns, ColumnsPerGroupAndRowsPerPatient) {
  ColumnChoice wide{.sheet = 0, .header = true, .columns = {2, 0}, .valueColumn = -1, .groupColumn = -1, .groups = {}};
  EXPECT_EQ(ColumnsToRead(wide), (std::vector<int>{2, 0}));
  SheetColumns out = ArrangeColumns(Sheet({{"C", "1", "2", "3"}, {"A", "4", "5", ""}}), wide, 2);
  EXPECT_EQ(out.columns, (std::vector<std::vector<std::string>>{{"1", "2", "3"}, {"4", "5", ""}}));
  EXPECT_EQ(out.lastUsedRow, 3);

  // One row per patient: sex in column A, the value in column B.
  ColumnChoice tall{.sheet = 0, .header = true, .columns = {}, .valueColumn = 1, .groupColumn = 0,
                    .groups = {"女", "男"}};
  EXPECT_EQ(ColumnsToRead(tall), (std::vector<int>{1, 0}));
  out = ArrangeColumns(Sheet({{"值", "5", "6", "7", "8", "9"}, {"性别", "男", "女", "男", "未知", "男"}}), tall, 2);
  EXPECT_EQ(out.columns, (std::vector<std::vector<std::string>>{{"6", "", ""}, {"5", "7", "9"}}))
      << "each value in its group's list, other groups left out, lists padded to the longest";
}

TEST(ColumnNames, LettersBothWays) {
  for (const auto& [index, name] : std::vector<std::pair<int, std::string>>{{0, "A"}, {25, "Z"}, {26, "AA"}, {16383, "XFD"}}) {
    EXPECT_EQ(ColumnName(index), name);
    EXPECT_EQ(ColumnIndex(name), index);
  }
  EXPECT_EQ(ColumnIndex("b"), 1);
  EXPECT_EQ(ColumnIndex("1"), -1);
  EXPECT_EQ(DistinctTexts({{"性别"}, {"男"}, {"女"}, {"男"}, {""}}, 0, true), (std::vector<std::string>{"男", "女"}));
}

}  // namespace
}  // namespace kelvasta
