#include "entry/value_text.h"

#include <gtest/gtest.h>

#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using Column = std::vector<std::string>;

struct CleanCase {
  const char* name;
  Column cells;
  std::size_t firstRow;
  Column expected;
  std::size_t emptied;
  CommaReading commas;
  const char* source;
};

TEST(CleanValues, EveryCellAsPastedThenTyped) {
  // clang-format off
  std::vector<CleanCase> cases{
      {"typed units and width", {"1", "3kg", "12.5%", "阴性", "１２", "1a2", " 7 ", "\u3000"}, 0,
       {"1", "3", "12.5", "", "12", "1a2", "7", ""}, 1, CommaReading::None,
       "typing 3kg leaves 3 (the filter drops each letter); 阴性 leaves nothing; pasting 1a2 keeps it"},
      {"decimal commas", {"1,5", "2,5", "-0,25"}, 0, {"1.5", "2.5", "-0.25"}, 0, CommaReading::Decimal,
       "a semicolon file from a German Excel"},
      {"quoted thousands", {"1,234.5", "2,000"}, 0, {"1234.5", "2000"}, 0, CommaReading::Grouping,
       "\"1,234.5\",\"2,000\" from an English Excel"},
      {"both ways", {"12,5", "3.5"}, 0, {"12,5", "3.5"}, 0, CommaReading::Unclear, "left as they are, as paste does"},
      {"header row kept", {"体重", "5"}, 1, {"体重", "5"}, 0, CommaReading::None, "the chooser's title row"},
  };
  // clang-format on
  ForEachCase(cases, [](const CleanCase& c) {
    std::vector<Column> columns{c.cells};
    const CleanedValues cleaned = CleanValues(columns, c.firstRow);
    EXPECT_EQ(columns[0], c.expected);
    EXPECT_EQ(cleaned.emptied, c.emptied);
    EXPECT_EQ(cleaned.commas, c.commas);
  });
}

TEST(CleanValues, CellsAreCutToWhatACellHolds) {
  const std::string emoji = "\U0001F600";  // two UTF-16 units
  std::string wide;
  for (int i = 0; i < 20000; ++i) wide += emoji;
  std::vector<Column> columns{{std::string(40000, '1'), wide + "5", "5"}};
  EXPECT_EQ(CleanValues(columns, 0).cut, 2u);
  EXPECT_EQ(columns[0][0].size(), kMaxCellLength);
  EXPECT_EQ(columns[0][1].size(), std::size_t{16383} * emoji.size()) << "a pair is never split";
  EXPECT_EQ(columns[0][2], "5");
}

}  // namespace
}  // namespace kelvasta
