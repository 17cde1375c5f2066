// Names and units: where each name reaches (the pane, the sentence, the
// chart, the copies), hostile names, names kept per test and in the
// history, the work file, and the names a header row offers.
#include "tests/app/script_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QMimeData>
#include <QTemporaryDir>

#include <vector>

namespace kelvasta::testing {
namespace {

using NamesTest = ScriptTest;

enum class Place { RowLabel, Sentence, XTitle, YTitle, Series, Clipboard };

struct Reach {
  Place place;
  const char* text;  // a row label or series name whole; a part of the others
};

struct ReachCase {
  const char* name;
  QString script;
  std::vector<Reach> reaches;
  const char* source;
};

QString Names(const QJsonObject& dump, const char* key) {
  return dump.value(QStringLiteral("names")).toObject().value(QLatin1String(key)).toString();
}

QStringList Column(const QJsonArray& rows, int column, const char* key = nullptr) {
  QStringList texts;
  for (const QJsonValue& row : rows)
    texts << (key ? row.toObject().value(QLatin1String(key)).toString() : row.toArray().at(column).toString());
  return texts;
}

// Where `reach` is looked for in a dump taken after "复制结果".
bool Reached(const QJsonObject& dump, const Reach& reach) {
  const QJsonObject details = ScriptTest::Details(dump);
  const QJsonObject chart = details.value(QStringLiteral("chart")).toObject();
  const QString text = QString::fromUtf8(reach.text);
  switch (reach.place) {
    case Place::RowLabel: return Column(details.value(QStringLiteral("rows")).toArray(), 0).contains(text);
    case Place::Sentence: return details.value(QStringLiteral("sentence")).toString().contains(text);
    case Place::XTitle: return chart.value(QStringLiteral("x_title")).toString() == text;
    case Place::YTitle: return chart.value(QStringLiteral("y_title")).toString() == text;
    case Place::Series: return Column(chart.value(QStringLiteral("series")).toArray(), 0, "name").contains(text);
    case Place::Clipboard: return dump.value(QStringLiteral("clipboard")).toString().contains(text);
  }
  return false;
}

const QString kTwoGroups = QStringLiteral(
    "set Text1(0) 120\nkey Text1(0) Enter\nset Text1(1) 130\nkey Text1(1) Enter\nset Text1(2) 125\nkey Text1(2) Enter\n"
    "set Text2(0) 110\nkey Text2(0) Enter\nset Text2(1) 115\nkey Text2(1) Enter\nset Text2(2) 112\nkey Text2(2) Enter\n");
const QString kThreeGroups = QStringLiteral(
    "click Command1(2)\nset Text30(0) 5\nkey Text30(0) Enter\nset Text30(1) 6\nkey Text30(1) Enter\n"
    "set Text40(0) 7\nkey Text40(0) Enter\nset Text40(1) 9\nkey Text40(1) Enter\n"
    "set Text50(0) 12\nkey Text50(0) Enter\nset Text50(1) 14\nkey Text50(1) Enter\n");

TEST_F(NamesTest, EachNameReachesThePaneTheSentenceTheChartAndTheCopy) {
  using enum Place;
  // clang-format off
  const std::vector<ReachCase> cases{
      {"two-sample groups", kTwoGroups + "set Names.group1 治疗组\nset Names.group2 Control",
       {{RowLabel, "治疗组例数(n1)"}, {RowLabel, "Control 均数(X̄2)"}, {Sentence, "治疗组与Control均数差异"},
        {Series, "治疗组"}, {Clipboard, "治疗组\t3\t125.0000"}},
       "the group rows, the sentence's subject, the chart's dots, the copied summary grid"},
      {"two-sample variable and unit", kTwoGroups + "set Names.variable 收缩压\nset Names.unit mmHg",
       {{RowLabel, "各组：收缩压 (mmHg)"}, {Sentence, "两组收缩压均数"}, {Sentence, "12.6667 mmHg（95%CI"},
        {YTitle, "收缩压 (mmHg)"}, {Clipboard, "均数 (mmHg)\t标准差 (mmHg)"}},
       "the heading, the subject and the difference's unit, the value axis, the grid's headings"},
      {"paired measurements", "click Command1(1)\n" + kTwoGroups +
           "set Names.group1 治疗前\nset Names.group2 治疗后\nset Names.variable 体重\nset Names.unit kg",
       {{RowLabel, "差值均数(d̄)（治疗前 − 治疗后）"}, {RowLabel, "配对数据：体重 (kg)"},
        {Sentence, "治疗前与治疗后体重差异"}, {YTitle, "体重 (kg)"}, {Clipboard, "第1列\t治疗前"},
        {Clipboard, "序号\t治疗前\t治疗后\t差值"}},
       "the difference's direction, the heading, the subject, the pairs' axis, the copied inputs and pairs"},
      {"analysis of variance", kThreeGroups + "set Names.group3 对照组",
       {{RowLabel, "两两比较：第1组与对照组"}, {Sentence, "第1组、第2组与对照组均数"}, {Series, "对照组"},
        {Clipboard, "对照组\t2\t13.0000"}},
       "the pairs' headings, the subject (unnamed groups keep 第N组), the dots, the grid"},
      {"fourfold rows and outcome", "click Command1(3)\nset Text11(0) 30\nset Text11(1) 20\nset Text11(2) 10\n"
           "set Text11(3) 40\nset Names.row1 吸烟组\nset Names.column1 患病",
       {{Sentence, "吸烟组与对照组患病率差异"}, {YTitle, "患病率（%）"}, {Clipboard, "吸烟组\t30\t20"},
        {Clipboard, "组别\t患病\t结果（-）"}, {Clipboard, "患病合计"}},
       "the subject, the rates' axis, the grid's row and column, the column total; the other column keeps its caption"},
      {"paired table ratings and grade", "click Command1(4)\nset Text11(0) 30\nset Text11(1) 12\nset Text11(2) 3\n"
           "set Text11(3) 40\nset Names.rating1 甲法\nset Names.grade1 检出",
       {{Sentence, "甲法与治疗后检出率差异"}, {YTitle, "检出率（%）"}, {Series, "检出率"},
        {Clipboard, "治疗后\t甲法检出\t甲法（-）"}, {Clipboard, "治疗后检出合计"}},
       "the subject, the chart, the grid's corner and columns, the rows' totals (rating 2 by the rows)"},
      {"R x C rows and columns", "click Command1(5)\nset Text111(0) 10\nset Text111(1) 20\nset Text111(4) 15\n"
           "set Text111(5) 15\nset Text111(10) 5\nset Names.row2 B药\nset Names.column2 无效",
       {{Sentence, "R1、B药与R3率"}, {Series, "无效"}, {Clipboard, "B药\t15\t15"}, {Clipboard, "无效合计"},
        {Clipboard, "R1合计"}},
       "the rows holding counts in the subject, the legend, the grid, the totals; unnamed totals unchanged"},
      {"correlation variables", "click Command1(6)\n" + kTwoGroups + "set Names.x 身高\nset Names.x_unit cm",
       {{RowLabel, "直线回归（Y：Y，X：身高 (cm)）"}, {Sentence, "身高 (cm)与Y之间"}, {XTitle, "身高 (cm)"},
        {YTitle, "Y"}, {Clipboard, "X\t身高 (cm)"}, {Clipboard, "序号\t身高 (cm)\t第2组"}},
       "the regression heading, the subject, the axes (Y unnamed stays Y), the copied inputs and pairs"},
      {"ordinal groups and grades", "click Command1(7)\nset Text12(0) 5\nset Text12(3) 2\nset Text12(4) 3\n"
           "set Text12(7) 6\nset Names.group2 安慰剂\nset Names.grade4 痊愈",
       {{RowLabel, "安慰剂例数(n₂)"}, {RowLabel, "安慰剂平均Ridit"}, {Sentence, "试验组与安慰剂等级分布"},
        {Series, "痊愈"}, {Clipboard, "组别\t（+）\t（++）\t（+++）\t痊愈"}, {Clipboard, "痊愈合计"}},
       "the group rows, the subject, the stacked layers, the grid's grades and totals"},
  };
  // clang-format on
  for (const ReachCase& c : cases) {
    TearDown();
    SetUp();
    const QJsonObject dump = RunAndDump(c.script + QStringLiteral("\nmenu 显示图表\nmenu 复制结果"));
    for (const Reach& reach : c.reaches)
      EXPECT_TRUE(Reached(dump, reach)) << c.name << ": " << reach.text << " [" << c.source << "]";
  }
}

struct CleanCase {
  const char* name;
  QString text;
  QString kept;
  QString label;  // of the first group's count
  const char* source;
};

TEST_F(NamesTest, NamesAreCutTrimmedAndEmptyMeansTheDefault) {
  const QString count = QStringLiteral("例数(n1)");
  const std::vector<CleanCase> cases{
      {"a million characters", QString(1000000, u'长'), QString(100, u'长'), QString(100, u'长') + count,
       "cut to the 100 characters a name holds"},
      {"blanks around", QStringLiteral("  治疗组  "), QStringLiteral("治疗组"), QStringLiteral("治疗组") + count,
       "trimmed as kept"},
      {"a tab inside", QStringLiteral("A\tB"), QStringLiteral("A B"), QStringLiteral("A B ") + count,
       "a tab would split a copied table's column; a Latin name is set off by a blank"},
      {"a character at the cut", QString(99, u'x') + QStringLiteral("😀"), QString(99, u'x'),
       QString(99, u'x') + u' ' + count, "the cut never keeps half a surrogate pair"},
      {"only blanks", QStringLiteral("   "), QString(), count, "the default caption again"},
      {"empty", QString(), QString(), count, "the default caption again"},
  };
  for (const CleanCase& c : cases) {
    TearDown();
    SetUp();
    const QJsonObject dump = RunAndDump(kTwoGroups + "set Names.group1 旧名\nset Names.group1 " + c.text);
    EXPECT_EQ(Names(dump, "group1"), c.kept) << c.name << " [" << c.source << "]";
    EXPECT_EQ(RowValue(Details(dump), QStringLiteral("各组"), c.label), QStringLiteral("3")) << c.name;
  }
}

struct CopyCase {
  const char* name;
  QString given;
  QString html;   // a part of the copied HTML
  QString plain;  // a part of the copied text
  const char* source;
};

TEST_F(NamesTest, HostileNamesAreCopiedAsTheyRead) {
  const std::vector<CopyCase> cases{
      {"markup", QStringLiteral("<b>A&B</b>"), QStringLiteral("<td>&lt;b&gt;A&amp;B&lt;/b&gt;</td>"),
       QStringLiteral("\n<b>A&B</b>\t3\t"), "HTML escapes it; the text keeps it"},
      {"a leading quote", QStringLiteral("\"甲\"组"), QStringLiteral("<td>&quot;甲&quot;组</td>"),
       QStringLiteral("\n\"\"\"甲\"\"组\"\t3\t"),
       "a spreadsheet reads a cell that begins with a quote as quoted (RFC 4180 doubling)"},
      {"separators", QStringLiteral("A,B;C"), QStringLiteral("<td>A,B;C</td>"), QStringLiteral("\nA,B;C\t3\t"),
       "the text is tab-separated: commas and semicolons stay"},
  };
  for (const CopyCase& c : cases) {
    TearDown();
    SetUp();
    const QJsonObject dump = RunAndDump(kTwoGroups + "set Names.group1 " + c.given + "\nmenu 复制结果");
    const QString html = QApplication::clipboard()->mimeData()->html();
    EXPECT_TRUE(html.contains(c.html)) << c.name << " [" << c.source << "] " << html.toStdString();
    EXPECT_TRUE(dump.value(QStringLiteral("clipboard")).toString().contains(c.plain)) << c.name << " [" << c.source << "]";
    EXPECT_TRUE(Details(dump).value(QStringLiteral("sentence")).toString().startsWith(c.given)) << c.name;
  }
}

TEST_F(NamesTest, AnotherTestsKeyChangesNothing) {
  const QJsonObject dump = RunAndDump(kTwoGroups + "set Names.row1 试验组");
  EXPECT_FALSE(dump.value(QStringLiteral("names")).toObject().contains(QStringLiteral("row1")));
  EXPECT_EQ(Text(dump, QStringLiteral("Names.row1")), QString()) << "the fourfold table's cell is not this test's";
}

TEST_F(NamesTest, NamesAreKeptPerTestAndAreStepsOfTheHistory) {
  Run("set Names.group1 治疗组\nclick Command1(3)\nset Names.row1 吸烟组\n");
  EXPECT_EQ(Names(RunAndDump(QString()), "row1"), QStringLiteral("吸烟组"));
  QJsonObject dump = RunAndDump(QStringLiteral("click Command1(0)"));
  EXPECT_EQ(Names(dump, "group1"), QStringLiteral("治疗组")) << "back on the first test, its names are still there";
  EXPECT_EQ(Text(dump, QStringLiteral("Names.group1")), QStringLiteral("治疗组"));
  EXPECT_TRUE(dump.value(QStringLiteral("modified")).toBool());
  // Four steps: the name, the test, the other name, the test.
  dump = RunAndDump(QStringLiteral("menu 撤销\nmenu 撤销\nmenu 撤销"));
  EXPECT_EQ(Names(dump, "group1"), QStringLiteral("治疗组"));
  dump = RunAndDump(QStringLiteral("menu 撤销"));
  EXPECT_EQ(Names(dump, "group1"), QString());
  EXPECT_FALSE(dump.value(QStringLiteral("modified")).toBool());
  EXPECT_EQ(Names(RunAndDump(QStringLiteral("menu 重做")), "group1"), QStringLiteral("治疗组"));
  // Typed into the shown dialog, a name is one step, as a cell's keystrokes are.
  dump = RunAndDump(QStringLiteral("menu 名称与单位…\ntype Names.group2 Placebo\nmenu 撤销"));
  EXPECT_TRUE(Control(dump, QStringLiteral("NamesDialog")).value(QStringLiteral("visible")).toBool());
  EXPECT_EQ(Names(dump, "group2"), QString());
  dump = RunAndDump(QStringLiteral("click Names.reset"));
  EXPECT_EQ(Names(dump, "group1"), QString()) << "恢复默认";
}

TEST_F(NamesTest, EveryTestsNamesSurviveTheWorkFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("names.kelvasta"));
  Run("click Command1(3)\nset Names.row1 吸烟组\nclick Command1(0)\n" + kTwoGroups +
      "set Names.group2 <对照>\nset Names.unit mmHg\nanswer " + path + "\nmenu 另存为…");
  SetUp();
  QJsonObject dump = RunAndDump("answer " + path + "\nmenu 打开…");
  EXPECT_EQ(Names(dump, "group2"), QStringLiteral("<对照>"));
  EXPECT_EQ(Names(dump, "unit"), QStringLiteral("mmHg"));
  EXPECT_FALSE(dump.value(QStringLiteral("modified")).toBool());
  EXPECT_EQ(Names(RunAndDump(QStringLiteral("click Command1(3)")), "row1"), QStringLiteral("吸烟组"));
}

TEST_F(NamesTest, AHeaderRowOffersItsTitlesAsNames) {
  QTemporaryDir dir;
  const QString wide = dir.filePath(QStringLiteral("wide.csv"));
  const QString tall = dir.filePath(QStringLiteral("tall.csv"));
  for (const auto& [path, text] : {std::pair{wide, "身高,体重\n170,65\n160,55\n175,72\n"},
                                   std::pair{tall, "收缩压,组别\n120,男\n118,女\n125,男\n\n"}}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  QJsonObject dump = RunAndDump("click Command1(6)\nanswer " + wide +
                                "\ncolumns sheet=1 header=yes use=B,A\nmenu 导入数据（选择列）…\nmenu 显示图表");
  EXPECT_EQ(Names(dump, "x"), QStringLiteral("体重"));
  EXPECT_EQ(Names(dump, "y"), QStringLiteral("身高"));
  EXPECT_EQ(Details(dump).value(QStringLiteral("chart")).toObject().value(QStringLiteral("x_title")).toString(),
            QStringLiteral("体重"));
  dump = RunAndDump("click Command1(0)\nanswer " + tall +
                    "\ncolumns sheet=1 header=yes value=A group=B groups=男,女\nmenu 导入数据（选择列）…");
  EXPECT_EQ(Names(dump, "group1"), QStringLiteral("男"));
  EXPECT_EQ(Names(dump, "group2"), QStringLiteral("女"));
  EXPECT_EQ(Names(dump, "variable"), QStringLiteral("收缩压"));
  dump = RunAndDump("menu 撤销");
  EXPECT_EQ(Names(dump, "group1"), QString()) << "the names are part of the import's step";
  dump = RunAndDump("click Command1(1)\nanswer " + wide + "\ncolumns sheet=1 header=yes names=no use=A,B\n"
                    "menu 导入数据（选择列）…");
  EXPECT_EQ(Names(dump, "group1"), QString()) << "declined";
}

}  // namespace
}  // namespace kelvasta::testing
