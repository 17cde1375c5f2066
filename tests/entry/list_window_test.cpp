#include "entry/list_window.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

// A window as a test selection leaves it, scrolled to `top` under `maximum`.
ListWindow Selected(std::size_t columns, int top, int maximum) {
  ListWindow w(columns);
  w.appendEmptyRows(kInitialListItems);
  w.setMaximum(maximum);
  w.setTop(top);
  return w;
}

struct GrowthCase {
  const char* name;
  std::size_t columns;
  int top, maximum, row;
  bool grown;
  int maximumAfter;
  std::size_t itemsAfter;
  const char* source;
};

TEST(ListWindow, GrowthWhenTheLastRowChanges) {
  // clang-format off
  std::vector<GrowthCase> cases{
      {"top 0 keeps maximum 5", 2, 0, 5, 9, false, 5, 15, "worked example: 5 is not below 0 + 4"},
      {"top 5 grows to 9", 2, 5, 5, 9, true, 9, 19, "worked example: maximum 5 + 4, lists 9 + 10"},
      {"three groups grow alike", 3, 5, 5, 9, true, 9, 19, "the group lists follow the same rule"},
      {"other rows never grow", 2, 5, 5, 8, false, 5, 15, "only row 9 grows the lists"},
      {"maximum already ahead", 2, 3, 9, 9, false, 9, 15, "9 is not below 3 + 4"},
      {"one below top + 4", 2, 4, 7, 9, true, 8, 18, "7 < 4 + 4"},
  };
  // clang-format on
  ForEachCase(cases, [](const GrowthCase& c) {
    ListWindow w = Selected(c.columns, c.top, c.maximum);
    EXPECT_EQ(w.growForRow(c.row), c.grown);
    EXPECT_EQ(w.maximum(), c.maximumAfter);
    EXPECT_EQ(w.top(), c.top);
    for (std::size_t col = 0; col < c.columns; ++col) {
      EXPECT_EQ(w.column(col).count(), c.itemsAfter);
    }
  });
}

TEST(ListWindow, GrowthStopsAtTheEndOfTheIntRange) {
  ListWindow w(2);
  w.setMaximum(INT_MAX);
  w.setTop(INT_MAX - 3);
  EXPECT_FALSE(w.growForRow(9));
  EXPECT_EQ(w.maximum(), INT_MAX);
  EXPECT_EQ(w.column(0).count(), 0u);
}

TEST(ListWindow, StoreAndShowFollowTheTopRow) {
  ListWindow w = Selected(2, 3, 5);
  w.store(0, 1, "  12.5 ");
  EXPECT_EQ(w.column(1).item(3), "12.5");
  EXPECT_EQ(w.column(1).values().at(3), 125000);
  EXPECT_EQ(w.shown(0, 1), "12.5");
  EXPECT_EQ(w.shown(0, 0), "");
  w.setTop(0);
  EXPECT_EQ(w.shown(3, 1), "12.5");
  w.store(3, 1, "   ");
  EXPECT_EQ(w.column(1).item(3), "");
}

TEST(ListWindow, RowsWithoutAnItemShowNothingAndStoreNothing) {
  ListWindow w(2);  // an import that read no rows: no items, maximum 4
  w.setMaximum(4);
  w.store(2, 0, "7");
  EXPECT_EQ(w.column(0).count(), 0u);
  EXPECT_EQ(w.shown(2, 0), "");
  w.appendEmptyRows(3);
  w.store(5, 0, "7");
  w.store(-1, 0, "7");
  w.store(10, 0, "7");
  EXPECT_EQ(w.column(0).items(), (std::vector<std::string>{"", "", ""}));
}

TEST(ListWindow, ScrollBarClamps) {
  ListWindow w(2);
  EXPECT_EQ(w.top(), 0);
  EXPECT_EQ(w.maximum(), 5);
  w.setTop(9);
  EXPECT_EQ(w.top(), 5);
  w.setTop(-2);
  EXPECT_EQ(w.top(), 0);
  w.setTop(4);
  w.setMaximum(2);
  EXPECT_EQ(w.top(), 2);
  w.setMaximum(-1);
  EXPECT_EQ(w.maximum(), 0);
  EXPECT_EQ(w.top(), 0);
}

struct MoveCase {
  const char* name;
  bool down;
  int top, row;
  ListWindow::Move::Kind kind;
  int rowAfter, topAfter;
  const char* source;
};

TEST(ListWindow, KeysMoveBetweenRows) {
  using enum ListWindow::Move::Kind;
  // clang-format off
  std::vector<MoveCase> cases{
      {"down inside", true, 0, 3, Focus, 4, 0, "row r < 9 moves to r + 1"},
      {"down last row scrolls", true, 0, 9, Scroll, 9, 1, "worked example: Enter in row 10 scrolls to 1"},
      {"down at maximum", true, 5, 9, None, 9, 5, "top = maximum: nothing happens"},
      {"up inside", false, 2, 1, Focus, 0, 2, "row r > 0 moves to r - 1"},
      {"up first row scrolls", false, 2, 0, Scroll, 0, 1, "top > 0 scrolls back by one"},
      {"up at the start", false, 0, 0, None, 0, 0, "worked example: Up in row 1 at top 0 does nothing"},
  };
  // clang-format on
  ForEachCase(cases, [](const MoveCase& c) {
    ListWindow w = Selected(2, c.top, 5);
    const ListWindow::Move move = c.down ? w.nextRow(c.row) : w.previousRow(c.row);
    EXPECT_EQ(move.kind, c.kind);
    EXPECT_EQ(move.row, c.rowAfter);
    EXPECT_EQ(w.top(), c.topAfter);
  });
}

// 2^20 rows read from a sheet leave 2^20 + 14 items and maximum 2^20 + 4.
TEST(ListWindow, HoldsMoreThanSixteenBitRows) {
  constexpr int kItems = 1'048'590;
  ListWindow w(2);
  w.appendEmptyRows(kItems);
  w.setMaximum(kItems - 10);
  w.setTop(kItems - 10);
  w.store(9, 1, "42");
  EXPECT_EQ(w.column(1).item(kItems - 1), "42");
  EXPECT_EQ(w.shown(9, 1), "42");
  EXPECT_TRUE(w.growForRow(9));
  EXPECT_EQ(w.maximum(), kItems - 6);
  EXPECT_EQ(w.column(0).count(), static_cast<std::size_t>(kItems + 4));
  EXPECT_EQ(w.nextRow(9).kind, ListWindow::Move::Scroll);
  EXPECT_EQ(w.shown(8, 1), "42");
}

}  // namespace
}  // namespace kelvasta
