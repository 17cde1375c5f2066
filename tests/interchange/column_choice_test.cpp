#include "interchange/column_choice.h"

#include <gtest/gtest.h>

#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

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

struct LongCase {
  const char* name;
  std::vector<std::optional<std::string>> groups;
  std::vector<std::vector<std::string>> lists;
  std::size_t groupNotChosen, notANumber;
  const char* source;
};

TEST(ArrangeColumns, GroupsAreComparedTrimmedAndWidthFolded) {
  // Values in column 0, groups in column 1, no title row.
  const SheetColumns sheet = Sheet({{"1", "2", "3", "4", "5", "6", "x", "", ""},
                                    {"A", "A ", " A", "Ａ", "", "B", "A", "B", ""}});
  // clang-format off
  std::vector<LongCase> cases{
      {"spellings of one group", {"A", "B"}, {{"1", "2", "3", "4", "x"}, {"6"}}, 1, 2,
       "A, A , ␣A and Ａ are one group; row 5 has a blank group; x and the empty value of row 8 count"},
      {"empty choice fills nothing", {"A", std::nullopt}, {{"1", "2", "3", "4", "x"}, {}}, 3, 1,
       "a list left without a group takes no rows, not the blank ones"},
      {"blank chosen explicitly", {"(空白)", "B"}, {{"5"}, {"6"}}, 5, 1,
       "only the chooser's (空白) takes the row with a blank group cell"},
  };
  // clang-format on
  ForEachCase(cases, [&](const LongCase& c) {
    ColumnChoice tall{.sheet = 0, .header = false, .columns = {}, .valueColumn = 0, .groupColumn = 1, .groups = c.groups};
    for (auto& group : tall.groups)
      if (group && *group == kBlankGroupName) group = "";
    LeftOutRows left;
    SheetColumns out = ArrangeColumns(sheet, tall, 2, &left);
    std::vector<std::vector<std::string>> lists = c.lists;
    for (auto& list : lists) list.resize(out.columns[0].size());
    EXPECT_EQ(out.columns, lists);
    EXPECT_EQ(left.groupNotChosen, c.groupNotChosen);
    EXPECT_EQ(left.notANumber, c.notANumber);
  });
}

struct NamesCase {
  const char* name;
  ColumnChoice choice;
  std::vector<std::optional<std::string>> lists;
  std::optional<std::string> values;
  const char* source;
};

TEST(OfferedNames, TitlesOrGroupsNameTheLists) {
  using Names = std::vector<std::optional<std::string>>;
  // The columns read: for the wide rows the chosen columns in list order,
  // for the long rows the value column, then the group column.
  const SheetColumns wide = Sheet({{" 身高 ", "170"}, {"", "65"}, {"体重", "1"}});
  const SheetColumns tall = Sheet({{"收缩压", "120"}, {"组", "男"}});
  const auto wideChoice = [](std::vector<int> columns, bool header, bool names) {
    ColumnChoice choice;
    choice.header = header;
    choice.columns = std::move(columns);
    choice.headerNames = names;
    return choice;
  };
  ColumnChoice tallChoice;
  tallChoice.header = true;
  tallChoice.valueColumn = 1;
  tallChoice.groupColumn = 0;
  tallChoice.groups = {" 男", "", std::nullopt};
  // clang-format off
  std::vector<NamesCase> cases{
      {"a title per chosen column", wideChoice({0, 4, 1}, true, true), {"身高", std::nullopt, "体重"}, std::nullopt,
       "blanks around a title go; the blank title of the second list offers none"},
      {"a list left empty", wideChoice({0, -1}, true, true), {"身高", std::nullopt}, std::nullopt,
       "（不导入） names nothing"},
      {"no header row", wideChoice({0, 2}, false, true), {std::nullopt, std::nullopt}, std::nullopt,
       "without titles the first row is data"},
      {"names declined", wideChoice({0, 2}, true, false), {std::nullopt, std::nullopt}, std::nullopt,
       "the chooser's switch (names=no) off"},
      {"long format", tallChoice, {"男", std::nullopt, std::nullopt}, "收缩压",
       "each list's group, the blank group and no group name nothing; the value column's title names the values"},
  };
  // clang-format on
  ForEachCase(cases, [&](const NamesCase& c) {
    const HeaderNames names = OfferedNames(c.choice.valueColumn >= 0 ? tall : wide, c.choice, c.lists.size());
    EXPECT_EQ(names.lists, Names(c.lists));
    EXPECT_EQ(names.values, c.values);
  });
}

TEST(ListGroups, TheWholeColumnUpToALimit) {
  std::vector<std::string> column{"组"};
  for (int row = 0; row < 300; ++row) column.push_back(row < 250 ? "A" : " Ｂ ");
  column.push_back("");
  column.push_back("C");
  ColumnGroups groups = ListGroups(column, true, 1000);
  EXPECT_EQ(groups.names, (std::vector<std::string>{"A", "Ｂ", "C"})) << "B first comes after row 250";
  EXPECT_TRUE(groups.blanks);
  EXPECT_FALSE(groups.more);
  groups = ListGroups(column, true, 2);
  EXPECT_EQ(groups.names.size(), 2u);
  EXPECT_TRUE(groups.more);
}

// What the chooser offers first: a title row when text stands over numbers,
// the first column of numbers for values, the column of few repeated texts
// for groups.
TEST(SuggestColumns, TitleValuesAndGroupsFromThePreview) {
  using Rows = std::vector<std::vector<std::string>>;
  struct Case {
    const char* name;
    Rows rows;
    bool header;
    int value, group;
  };
  const Case cases[] = {
      {"patients", {{"编号", "性别", "血压"}, {"1", "男", "120"}, {"2", "女", "110"}, {"3", "男", "130"}},
       true, 0, 1},
      {"no title", {{"男", "120"}, {"女", "110"}, {"男", "130"}}, false, 1, 0},
      {"numbers only", {{"1", "2"}, {"3", "4"}}, false, 0, -1},
      {"groups as codes", {{"组", "值"}, {"1", "5.5"}, {"2", "6.1"}, {"1", "7"}, {"2", "8"}}, true, 1, 0},
      {"text only", {{"a", "b"}, {"c", "d"}}, false, -1, -1},
      {"empty", {}, false, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int columns = c.rows.empty() ? 0 : int(c.rows[0].size());
    const ColumnDefaults d = SuggestColumns(c.rows, columns);
    EXPECT_EQ(d.header, c.header);
    EXPECT_EQ(d.valueColumn, c.value);
    EXPECT_EQ(d.groupColumn, c.group);
  }
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
