// The two-column value lists in the window: typing, keys, scrolling and the
// hand-over to the test named by the title.
#include "tests/app/script_fixture.h"

#include <QJsonArray>

namespace kelvasta::testing {
namespace {

using ValueListWindowTest = ScriptTest;

// Types `values` down one column, pressing Enter after each.
QString TypeDown(const char* column, const QStringList& values) {
  QString script;
  for (int r = 0; r < values.size(); ++r) {
    const QString cell = QStringLiteral("%1(%2)").arg(QLatin1String(column)).arg(r);
    script += QStringLiteral("type %1 %2\nkey %1 Enter\n").arg(cell, values[r]);
  }
  return script;
}

QStringList Items(const QJsonObject& dump, const QString& list) {
  QStringList items;
  for (const auto& item : ScriptTest::Control(dump, list).value(QStringLiteral("items")).toArray())
    items.push_back(item.toString());
  return items;
}

int BarValue(const QJsonObject& dump, const char* bar, const char* field) {
  return ScriptTest::Control(dump, QLatin1String(bar)).value(QLatin1String(field)).toInt();
}

TEST_F(ValueListWindowTest, TwoSampleColumnsFeedTheSummaryCells) {
  const QJsonObject dump =
      RunAndDump(TypeDown("Text1", {"1", "2", "3"}) + TypeDown("Text2", {"2", "4", "6", "8"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("2.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(1)")), QStringLiteral("1.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(2)")), QStringLiteral("3"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(3)")), QStringLiteral("5.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(4)")), QStringLiteral("2.5820"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(5)")), QStringLiteral("4"));
  // Pooled t of the two shown summaries: Sc² = (2·1 + 3·2.582²)/5, df 5.
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(6)")), QStringLiteral("t = 1.8726  p > 0.05"));
  EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QStringLiteral("Text2(4)"));
  EXPECT_EQ(Items(dump, QStringLiteral("List1")).mid(0, 4), (QStringList{"1", "2", "3", ""}));
}

struct TypedCase {
  const char* name;
  const char* typed;
  const char* cell;
  const char* count;
};

// The cell filter with the full-stop replacement, and what counts in n.
const TypedCase kTyped[] = {
    {"letter_dropped", "12a", "12", "1"},
    {"full_stop", "3。5", "3.5", "1"},
    {"lone_minus_not_counted", "-", "-", "0"},
    {"more_than_four_decimals", "1.23456", "1.23456", "1"},
};

TEST_F(ValueListWindowTest, TypedItemsAreFilteredAndStored) {
  for (const TypedCase& c : kTyped) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump =
        RunAndDump(QStringLiteral("click Command1(0)\ntype Text1(0) %1").arg(QString::fromUtf8(c.typed)));
    EXPECT_EQ(Text(dump, QStringLiteral("Text1(0)")), QString::fromUtf8(c.cell));
    EXPECT_EQ(Items(dump, QStringLiteral("List1")).first(), QString::fromUtf8(c.cell));
    EXPECT_EQ(Text(dump, QStringLiteral("Text4(2)")), QString::fromLatin1(c.count));
  }
  // 1.23456 counts as 1.2346.
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(0)\ntype Text1(0) 1.23456"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("1.2346"));
}

TEST_F(ValueListWindowTest, ClearingACellDropsTheCount) {
  const QJsonObject dump = RunAndDump(TypeDown("Text1", {"4", "6", "8"}) + QStringLiteral("set Text1(1) \n"));
  EXPECT_EQ(Items(dump, QStringLiteral("List1")).mid(0, 3), (QStringList{"4", "", "8"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(2)")), QStringLiteral("2"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("6.0000"));
}

TEST_F(ValueListWindowTest, EnterPastTheLastRowScrolls) {
  QStringList values;
  for (int v = 1; v <= 12; ++v) values << QString::number(v);
  QString script;
  for (int v = 0; v < 12; ++v) {
    const int row = std::min(v, 9);
    script += QStringLiteral("type Text1(%1) %2\nkey Text1(%1) Enter\n").arg(row).arg(values[v]);
  }
  const QJsonObject dump = RunAndDump(script);
  EXPECT_EQ(BarValue(dump, "VS1", "value"), 3);
  EXPECT_EQ(Text(dump, QStringLiteral("Label3(0)")), QStringLiteral("4"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text1(0)")), QStringLiteral("4"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text1(9)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(2)")), QStringLiteral("12"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("6.5000"));
  EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QStringLiteral("Text1(9)"));
}

TEST_F(ValueListWindowTest, TypingInTheLastRowGrowsTheLists) {
  // At the top the maximum stays 5; five rows down it becomes 9 and every
  // list holds 19 items.
  QJsonObject dump = RunAndDump(QStringLiteral("type Text1(9) 7\nkey Text1(9) Enter"));
  EXPECT_EQ(BarValue(dump, "VS1", "max"), 5);
  EXPECT_EQ(BarValue(dump, "VS1", "value"), 1);
  EXPECT_EQ(Items(dump, QStringLiteral("List1")).at(9), QStringLiteral("7"));

  dump = RunAndDump(QStringLiteral("click Command1(0)\nscroll VS1 5\ntype Text2(9) 7"));
  EXPECT_EQ(BarValue(dump, "VS1", "max"), 9);
  EXPECT_EQ(Items(dump, QStringLiteral("List1")).size(), 19);
  EXPECT_EQ(Items(dump, QStringLiteral("List2")).size(), 19);
  EXPECT_EQ(Items(dump, QStringLiteral("List2")).at(14), QStringLiteral("7"));
}

TEST_F(ValueListWindowTest, UpMovesBackAndStopsAtTheTop) {
  QJsonObject dump = RunAndDump(QStringLiteral("key Text1(0) Up"));
  EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QStringLiteral("Text1(0)"));
  dump = RunAndDump(QStringLiteral("key Text2(3) Up"));
  EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QStringLiteral("Text2(2)"));
  dump = RunAndDump(QStringLiteral("scroll VS1 2\nkey Text1(0) Up"));
  EXPECT_EQ(BarValue(dump, "VS1", "value"), 1);
  EXPECT_EQ(Text(dump, QStringLiteral("Label3(0)")), QStringLiteral("2"));
}

TEST_F(ValueListWindowTest, PairedTestOnTheColumns) {
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(1)\n") + TypeDown("Text1", {"1", "2", "3"}) +
                                      TypeDown("Text2", {"2", "4", "5"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(5)")), QStringLiteral("3"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(4)")), QStringLiteral("1.6667"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(3)")), QStringLiteral("0.5774"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(7)")), QStringLiteral("t = 5.0000  p < 0.05"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(10)")), QStringLiteral("4.303"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(9)")), QStringLiteral("9.925"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(8)")), QStringLiteral("31.59"));
  // The two-sample cells are not the paired test's to write.
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(2)")), QString());
}

TEST_F(ValueListWindowTest, CorrelationOnTheColumns) {
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(6)\n") +
                                      TypeDown("Text1", {"1", "2", "3", "4", "5"}) +
                                      TypeDown("Text2", {"2", "4", "5", "4", "5"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(6)")), QStringLiteral("5"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(7)")), QStringLiteral("0.7746"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(12)")), QStringLiteral("2.1213"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(13)")), QStringLiteral("3.182"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(16)")), QStringLiteral("p > 0.05"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(17)")), QStringLiteral("Y=2.2000+0.6000X"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label7")), QStringLiteral("+0.6000"));
  EXPECT_FALSE(Control(dump, QStringLiteral("Label7")).value(QStringLiteral("visible")).toBool());
}

}  // namespace
}  // namespace kelvasta::testing
