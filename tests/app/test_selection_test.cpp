// Start-up state and test switching of the main window, driven through the
// automation script.
#include "tests/app/script_fixture.h"

#include <QAction>
#include <QJsonArray>
#include <QLabel>

namespace kelvasta::testing {
namespace {

using SelectionTest = ScriptTest;

const QString kHint = QStringLiteral("（按回车键或“↓”键输入下一个数据）");
const QStringList kUpperPanels{QStringLiteral("Picture2"), QStringLiteral("Picture6"), QStringLiteral("Picture7"),
                               QStringLiteral("Picture8"), QStringLiteral("Picture9")};

bool Visible(const QJsonObject& dump, const QString& control) {
  return ScriptTest::Control(dump, control).value(QStringLiteral("visible")).toBool();
}
bool Enabled(const QJsonObject& dump, const QString& control) {
  return ScriptTest::Control(dump, control).value(QStringLiteral("enabled")).toBool();
}

void ExpectFreshLists(const QJsonObject& dump) {
  for (int list = 1; list <= 5; ++list) {
    const QJsonArray items =
        ScriptTest::Control(dump, QStringLiteral("List%1").arg(list)).value(QStringLiteral("items")).toArray();
    EXPECT_EQ(items.size(), 15) << "List" << list;
    for (const auto& item : items) EXPECT_EQ(item.toString(), QString()) << "List" << list;
  }
  for (const char* bar : {"VS1", "VSl1"}) {
    const QJsonObject scroll = ScriptTest::Control(dump, QString::fromLatin1(bar));
    EXPECT_EQ(scroll.value(QStringLiteral("value")).toInt(), 0) << bar;
    EXPECT_EQ(scroll.value(QStringLiteral("max")).toInt(), 5) << bar;
  }
  for (int r = 0; r < 10; ++r) {
    EXPECT_EQ(ScriptTest::Text(dump, QStringLiteral("Label3(%1)").arg(r)), QString::number(r + 1));
    EXPECT_EQ(ScriptTest::Text(dump, QStringLiteral("Label30(%1)").arg(r)), QString::number(r + 1));
  }
}

TEST_F(SelectionTest, StartsOnTheTwoSampleTest) {
  const QJsonObject dump = RunAndDump(QString());
  EXPECT_EQ(dump.value(QStringLiteral("CurrentTest")).toInt(), 0);
  EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QStringLiteral("Text1(0)"));
  EXPECT_EQ(Text(dump, QStringLiteral("MainWindow")), QStringLiteral("Kelvasta V10.1"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label1")), QStringLiteral("两样本均数t检验") + kHint);
  EXPECT_TRUE(Control(dump, QStringLiteral("Command1(0)")).value(QStringLiteral("bold")).toBool());
  for (int i = 1; i < 8; ++i)
    EXPECT_FALSE(Control(dump, QStringLiteral("Command1(%1)").arg(i)).value(QStringLiteral("bold")).toBool());
  EXPECT_TRUE(Visible(dump, QStringLiteral("Picture2")));
  EXPECT_TRUE(Visible(dump, QStringLiteral("Picture4(0)")));
  for (int i = 1; i < 8; ++i) EXPECT_FALSE(Visible(dump, QStringLiteral("Picture4(%1)").arg(i)));
  for (const QString& upper : kUpperPanels.mid(1)) EXPECT_FALSE(Visible(dump, upper)) << upper.toStdString();
  for (const char* item : {"Label15(0)", "Label15(1)", "Label28(0)", "Label28(1)"})
    EXPECT_TRUE(Enabled(dump, QString::fromLatin1(item))) << item;
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(4)")), QStringLiteral("0"));
  ExpectFreshLists(dump);
}

struct SelectionCase {
  int index;
  const char* title;
  const char* upper;
  const char* focus;
  bool spreadsheet;
};

// Titles, panels and first cells of the eight tests as the test table of the
// form gives them.
const SelectionCase kSelections[] = {
    {0, "两样本均数t检验（按回车键或“↓”键输入下一个数据）", "Picture2", "Text1(0)", true},
    {1, "配对资料t检验（按回车键或“↓”键输入下一个数据）", "Picture2", "Text1(0)", true},
    {2, "方差分析（F检验）（按回车键或“↓”键输入下一个数据）", "Picture6", "Text30(0)", true},
    {3, "计数资料卡方检验", "Picture8", "Text11(0)", false},
    {4, "配对资料卡方检验", "Picture8", "Text11(0)", false},
    {5, "多个样本率卡方检验", "Picture7", "Text111(0)", false},
    {6, "直线相关与回归（按回车键或“↓”键输入下一个数据）", "Picture2", "Text1(0)", true},
    {7, "秩和检验及Ridit分析", "Picture9", "Text12(0)", false},
};

TEST_F(SelectionTest, EachButtonShowsItsPanelsTitleAndFirstCell) {
  for (const SelectionCase& c : kSelections) {
    SCOPED_TRACE(c.index);
    // Start from another test each time so that every step really switches.
    const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(%1)\nclick Command1(%2)")
                                            .arg((c.index + 3) % 8)
                                            .arg(c.index));
    EXPECT_EQ(dump.value(QStringLiteral("CurrentTest")).toInt(), c.index);
    EXPECT_EQ(Text(dump, QStringLiteral("Label1")), QString::fromUtf8(c.title));
    EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QString::fromLatin1(c.focus));
    for (const QString& upper : kUpperPanels)
      EXPECT_EQ(Visible(dump, upper), upper == QLatin1String(c.upper)) << upper.toStdString();
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(Visible(dump, QStringLiteral("Picture4(%1)").arg(i)), i == c.index) << i;
      EXPECT_EQ(Control(dump, QStringLiteral("Command1(%1)").arg(i)).value(QStringLiteral("bold")).toBool(),
                i == c.index);
    }
    for (const char* item : {"Label15(0)", "Label15(1)", "Label28(0)", "Label28(1)"})
      EXPECT_EQ(Enabled(dump, QString::fromLatin1(item)), c.spreadsheet) << item;
    for (QAction* entry : window_->menuEntries()) {
      const QString caption = entry->text();
      if (caption == QStringLiteral("从Excel导入数据") || caption == QStringLiteral("导出数据到Excel")) {
        EXPECT_EQ(entry->isEnabled(), c.spreadsheet) << caption.toStdString();
      }
    }
    ExpectFreshLists(dump);
  }
}

TEST_F(SelectionTest, FourfoldHeadingsFollowTheChiSquareTest) {
  const QStringList headings{QStringLiteral("Label17(0)"), QStringLiteral("Label17(1)"), QStringLiteral("Label17(3)"),
                             QStringLiteral("Label17(4)"), QStringLiteral("Label16(0)"), QStringLiteral("Label17(2)")};
  const QStringList paired{QStringLiteral("治疗后"), QStringLiteral("  治疗前  "), QStringLiteral("（+）"),
                           QStringLiteral("（-）"), QStringLiteral("配对资料卡方检验"),
                           QStringLiteral("（+）           （-）")};
  const QStringList fourfold{QStringLiteral("组  别"), QStringLiteral("结     果"), QStringLiteral("试验组"),
                             QStringLiteral("对照组"), QStringLiteral("计数资料卡方检验"),
                             QStringLiteral("（+）           （-）")};
  QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\nclick Command1(4)"));
  for (int i = 0; i < headings.size(); ++i) EXPECT_EQ(Text(dump, headings[i]), paired[i]);
  dump = RunAndDump(QStringLiteral("click Command1(3)"));
  for (int i = 0; i < headings.size(); ++i) EXPECT_EQ(Text(dump, headings[i]), fourfold[i]);
}

TEST_F(SelectionTest, SelectingAgainEmptiesCellsAndResults) {
  const QJsonObject dump = RunAndDump(QStringLiteral(
      "click Command1(3)\nset Text11(0) 20\nset Text11(1) 30\nset Text11(2) 25\nset Text11(3) 25\nclick Command1(3)"));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Text(dump, QStringLiteral("Text11(%1)").arg(i)), QString());
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(Text(dump, QStringLiteral("Label18(%1)").arg(i)), QString());
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(Text(dump, QStringLiteral("Label20(%1)").arg(i)), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), QString());
  EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QStringLiteral("Text11(0)"));
}

TEST_F(SelectionTest, SeveralRatesHidesItsWarning) {
  window_->controls().Label22->show();
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(5)"));
  EXPECT_FALSE(Visible(dump, QStringLiteral("Label22")));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(37)")), QStringLiteral("5.99"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(36)")), QStringLiteral("9.21"));
}

TEST_F(SelectionTest, ExitEndsTheScriptAtOnce) {
  const Result result = Run(QStringLiteral("menu 退出\ndump\nbogus"));
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.out.isEmpty());
}

}  // namespace
}  // namespace kelvasta::testing
