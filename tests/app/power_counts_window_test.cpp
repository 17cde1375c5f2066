// The planning window's count designs driven through the automation script:
// the published sizes, the cells asked for as r and c change, bad input and
// the exact methods' reach, and "用当前数据" from each count grid.
#include "tests/app/script_fixture.h"

#include <QJsonArray>

namespace kelvasta::testing {
namespace {

using PowerCountsTest = ScriptTest;

const QString kOpen = QStringLiteral("menu 样本量与检验效能…\n");

QJsonObject Power(const QJsonObject& dump) { return dump.value(QStringLiteral("power")).toObject(); }
QJsonValue Figure(const QJsonObject& dump, const char* key) {
  return Power(dump).value(QStringLiteral("figures")).toObject().value(QLatin1String(key));
}
QString Input(const QJsonObject& dump, const char* key) {
  return Power(dump).value(QStringLiteral("inputs")).toObject().value(QLatin1String(key)).toString();
}
QStringList Notes(const QJsonObject& dump) {
  QStringList notes;
  for (const QJsonValue& note : Power(dump).value(QStringLiteral("notes")).toArray()) notes.push_back(note.toString());
  return notes;
}

struct Plan {
  const char* name;
  const char* script;  // after opening the window
  const char* key;
  double value;
  const char* source;
};

TEST_F(PowerCountsTest, PublishedSizesThroughTheWindow) {
  const Plan plans[] = {
      {"fleiss", "click Power.design(3)\nset Power.p1 0.60\nset Power.p2 0.40", "n1_normal", 97,
       "Fleiss's tables: 97 per group"},
      {"fleiss_corrected", "click Power.design(3)\nset Power.p1 60%\nset Power.p2 40%", "n1_cc", 107,
       "Fleiss's tables: 107 with the correction"},
      {"connor", "click Power.design(4)\nset Power.p10 0.05\nset Power.p01 0.45", "n_normal", 23,
       "Connor (1987) p. 209: 23 pairs"},
      {"rxc_w03", "click Power.design(5)\nset Power.r 2\nset Power.p_1_1 0.65\nset Power.p_1_2 0.35\n"
                  "set Power.p_2_1 0.35\nset Power.p_2_2 0.65", "n_total", 88,
       "w = 0.3, df = 1: λ = 7.849 needed, N = 87.2 → 88"},
      {"noether", "click Power.design(7)\nset Power.p1_1 0.1\nset Power.p1_2 0.2\nset Power.p1_3 0.3\n"
                  "set Power.p1_4 0.4\nset Power.p2_1 0.4\nset Power.p2_2 0.3\nset Power.p2_3 0.2\nset Power.p2_4 0.1",
       "n1", 20, "by hand: N = 39.24, n1 = ⌈19.62⌉"},
  };
  for (const Plan& plan : plans) {
    SCOPED_TRACE(std::string(plan.name) + " [" + plan.source + "]");
    const QJsonObject dump = RunAndDump(kOpen + QLatin1String(plan.script));
    EXPECT_EQ(Figure(dump, plan.key).toDouble(), plan.value) << Notes(dump).join(QLatin1Char('|')).toStdString();
  }
}

TEST_F(PowerCountsTest, SentenceOfTwoRatesNamesFishersSizes) {
  const QJsonObject dump = RunAndDump(kOpen + QStringLiteral("click Power.design(3)\nset Power.p1 0.6\nset Power.p2 0.4\n"
                                                             "set Power.dropout 10%\n"));
  const double n1 = Figure(dump, "n1").toDouble();
  EXPECT_GE(n1, 97);  // Fisher's test needs at least the formula's n
  EXPECT_GE(Figure(dump, "power_achieved").toDouble(), 0.80);
  EXPECT_EQ(Power(dump).value(QStringLiteral("sentence")).toString(),
            QStringLiteral("本研究采用Fisher确切概率法比较两组率。按双侧α = 0.05、检验效能1−β = 0.80，预期两组率分别为0.6和0.4，"
                           "按Fisher确切概率法精确计算检验效能，每组需%1例；考虑10%的脱落率，每组需%2例，共%3例。")
                .arg(n1)
                .arg(Figure(dump, "n1_dropout").toDouble())
                .arg(Figure(dump, "n_total_dropout").toDouble()));
}

TEST_F(PowerCountsTest, GroupsAndCategoriesDecideTheCellsAskedFor) {
  const QJsonObject three = RunAndDump(kOpen + QStringLiteral("click Power.design(5)\nset Power.r 3\nset Power.c 4\n"));
  EXPECT_TRUE(Power(three).value(QStringLiteral("inputs")).toObject().contains(QStringLiteral("p_3_4")));
  const QJsonObject two = RunAndDump(QStringLiteral("set Power.r 2\nset Power.c 2\n"));
  const QJsonObject inputs = Power(two).value(QStringLiteral("inputs")).toObject();
  EXPECT_FALSE(inputs.contains(QStringLiteral("p_3_1")));
  EXPECT_FALSE(inputs.contains(QStringLiteral("share_3")));
  EXPECT_TRUE(inputs.contains(QStringLiteral("p_2_2")));
}

struct Bad {
  const char* name;
  const char* script;
  const char* note;
  const char* nullFigure;
};

TEST_F(PowerCountsTest, BadInputNotesTheInput) {
  const Bad cases[] = {
      {"rate_above_one", "click Power.design(3)\nset Power.p1 1.2\nset Power.p2 0.4", "第1组率 π1须在0与1之间", "n1"},
      {"equal_rates", "click Power.design(3)\nset Power.p1 0.3\nset Power.p2 0.3", "两组率相等，无差异可供检出",
       "n1_normal"},
      {"rate_not_a_number", "click Power.design(3)\nset Power.p1 abc\nset Power.p2 0.3", "第1组率 π1不是有效的数值", "n1"},
      {"discordant_above_one", "click Power.design(4)\nset Power.p10 0.7\nset Power.p01 0.4",
       "不一致比例p10与p01之和须不超过1", "n_normal"},
      {"composition_sum", "click Power.design(5)\nset Power.r 2\nset Power.p_1_1 0.6\nset Power.p_1_2 0.5\n"
                          "set Power.p_2_1 0.3\nset Power.p_2_2 0.7",
       "第1组各类构成比之和须为1（允许误差±0.001）", "n_total"},
      {"group_shares", "click Power.design(5)\nset Power.r 2\nset Power.share_1 0.6\nset Power.share_2 0.3\n"
                       "set Power.p_1_1 0.6\nset Power.p_1_2 0.4\nset Power.p_2_1 0.3\nset Power.p_2_2 0.7",
       "各组所占比例之和须为1（允许误差±0.001）", "effect_w"},
      {"grades_sum", "click Power.design(7)\nset Power.p1_1 0.5\nset Power.p1_2 0.5\nset Power.p1_3 0.5\n"
                     "set Power.p1_4 0\nset Power.p2_1 0.25\nset Power.p2_2 0.25\nset Power.p2_3 0.25\nset Power.p2_4 0.25",
       "第1组各等级构成比之和须为1（允许误差±0.001）", "n1"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump = RunAndDump(kOpen + QLatin1String(c.script));
    EXPECT_TRUE(Notes(dump).contains(QString::fromUtf8(c.note))) << Notes(dump).join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(Figure(dump, c.nullFigure).isNull());
  }
}

// Beyond a thousand a group the formulas answer at once and the exact
// figure is "—" with the note why.
TEST_F(PowerCountsTest, BeyondAThousandTheFormulasAnswer) {
  const QJsonObject rates = RunAndDump(kOpen + QStringLiteral("click Power.design(3)\nset Power.p1 0.5\nset Power.p2 0.48\n"));
  EXPECT_TRUE(Figure(rates, "n1").isNull());
  EXPECT_GT(Figure(rates, "n1_cc").toDouble(), 1000);
  EXPECT_TRUE(Notes(rates).contains(QStringLiteral("每组超过1,000例时不作Fisher确切概率法计算，请参考公式法的结果")));
  EXPECT_TRUE(Power(rates).value(QStringLiteral("sentence")).toString().contains(QStringLiteral("按Fleiss连续性校正公式计算")));
  const QJsonObject pairs =
      RunAndDump(QStringLiteral("click Power.design(4)\nclick Power.mode(1)\nset Power.p10 0.05\nset Power.p01 0.07\n"
                                "set Power.n 2000\n"));
  EXPECT_TRUE(Figure(pairs, "power").isNull());
  EXPECT_GT(Figure(pairs, "power_normal").toDouble(), 0.5);
  EXPECT_TRUE(Notes(pairs).contains(QStringLiteral("超过1,000对时不作确切McNemar检验计算，请参考Connor公式的结果")));
}

struct Pilot {
  const char* name;
  const char* panel;  // select the test and type its pilot data
  const char* key;
  const char* text;
};

TEST_F(PowerCountsTest, UseDataTakesTheGridsShares) {
  const Pilot pilots[] = {
      {"fourfold_rate", "click Command1(3)\nset Text11(0) 12\nset Text11(1) 8\nset Text11(2) 5\nset Text11(3) 15", "p2",
       "0.25"},
      {"paired_discordant", "click Command1(4)\nset Text11(0) 20\nset Text11(1) 4\nset Text11(2) 12\nset Text11(3) 4",
       "p01", "0.3"},
      {"rxc_row_share", "click Command1(5)\nset Text111(0) 10\nset Text111(1) 30\nset Text111(4) 20\nset Text111(5) 20",
       "share_1", "0.5"},
      {"rxc_composition", "click Command1(5)\nset Text111(0) 10\nset Text111(1) 30\nset Text111(4) 20\nset Text111(5) 20",
       "p_1_2", "0.75"},
      {"ordinal_grade", "click Command1(7)\nset Text12(0) 1\nset Text12(1) 1\nset Text12(2) 2\nset Text12(4) 2\n"
                        "set Text12(5) 2",
       "p1_3", "0.5"},
  };
  for (const Pilot& p : pilots) {
    SCOPED_TRACE(p.name);
    const QJsonObject dump = RunAndDump(QLatin1String(p.panel) + QLatin1Char('\n') + kOpen +
                                        QStringLiteral("click Power.use_data\n"));
    EXPECT_EQ(Input(dump, p.key), QString::fromUtf8(p.text)) << Notes(dump).join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(Power(dump).value(QStringLiteral("sentence")).toString().contains(QStringLiteral("取自预试验数据")));
    ASSERT_EQ(Run(QStringLiteral("click Power.design(0)\n")).status, 0);
  }
}

}  // namespace
}  // namespace kelvasta::testing
