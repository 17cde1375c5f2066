// The planning window driven through the automation script: the dump's
// `power`, the protocol sentence, bad input, the pilot data, copying, the
// saved curve, the zoom and the state the work file keeps.
#include "tests/app/script_fixture.h"

#include "app/controls.h"
#include "app/power/power_window.h"

#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cmath>

#include <sys/stat.h>

namespace kelvasta::testing {
namespace {

using PowerWindowTest = ScriptTest;

const QString kOpen = QStringLiteral("menu 样本量与检验效能…\n");

QJsonObject Power(const QJsonObject& dump) { return dump.value(QStringLiteral("power")).toObject(); }
QJsonValue PowerFigure(const QJsonObject& dump, const char* key) {
  return Power(dump).value(QStringLiteral("figures")).toObject().value(QLatin1String(key));
}
QStringList Notes(const QJsonObject& dump) {
  QStringList notes;
  for (const QJsonValue& note : Power(dump).value(QStringLiteral("notes")).toArray()) notes.push_back(note.toString());
  return notes;
}

TEST_F(PowerWindowTest, NullUntilOpenedThenOnTheSelectedTestsDesign) {
  EXPECT_TRUE(RunAndDump(QString()).value(QStringLiteral("power")).isNull());
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(6)\n") + kOpen);
  EXPECT_EQ(Power(dump).value(QStringLiteral("design")).toInt(), 6);
  EXPECT_EQ(Power(dump).value(QStringLiteral("mode")).toString(), QStringLiteral("n"));
  EXPECT_EQ(Text(dump, QStringLiteral("Power.alpha")), QStringLiteral("0.05"));
  EXPECT_EQ(Text(dump, QStringLiteral("Power.power")), QStringLiteral("0.80"));
  EXPECT_TRUE(Control(dump, QStringLiteral("Power.design(6)")).value(QStringLiteral("checked")).toBool());
}

// The protocol example: 120 against 112, SD 15, 10% dropout.
TEST_F(PowerWindowTest, ProtocolSentenceCarriesTheSizesAndTheSides) {
  const QString plan = kOpen + QStringLiteral("set Power.mean1 120\nset Power.mean2 112\nset Power.sd 15\n"
                                              "set Power.dropout 10%\n");
  const QJsonObject dump = RunAndDump(plan);
  EXPECT_EQ(Power(dump).value(QStringLiteral("sentence")).toString(),
            QStringLiteral("本研究采用两独立样本t检验比较两组均数。按双侧α = 0.05、检验效能1−β = 0.80，"
                           "预期两组均数分别为120和112，共同标准差为15，采用非中心t分布计算，每组需57例；"
                           "考虑10%的脱落率，每组需64例，共128例。"));
  EXPECT_EQ(PowerFigure(dump, "n1").toDouble(), 57);
  EXPECT_EQ(PowerFigure(dump, "n_total_dropout").toDouble(), 128);
  EXPECT_GT(Power(dump).value(QStringLiteral("chart")).toObject().value(QStringLiteral("points")).toInt(), 10);

  const QJsonObject oneSided = RunAndDump(QStringLiteral("click Power.sides(1)\nclick Power.mode(1)\n"
                                                         "set Power.n1 57\nset Power.n2 57\n"));
  EXPECT_TRUE(Power(oneSided).value(QStringLiteral("sentence")).toString().contains(QStringLiteral("单侧α = 0.05")));
  EXPECT_EQ(Power(oneSided).value(QStringLiteral("mode")).toString(), QStringLiteral("power"));
  EXPECT_GT(PowerFigure(oneSided, "power").toDouble(), 0.8);
}

struct BadInput {
  const char* name;
  const char* script;  // after opening on design 0 with 0.5 / 0 / 1
  const char* note;
  const char* nullFigure;
};

TEST_F(PowerWindowTest, BadInputNotesTheInputAndEmptiesTheFigures) {
  const BadInput cases[] = {
      {"alpha_large", "set Power.alpha 0.6", "检验水准 α须大于0且不超过0.5", "n1"},
      {"power_below_alpha", "set Power.power 0.01", "检验效能 1−β须大于α且小于1", "n1"},
      {"sd_zero", "set Power.sd 0", "共同标准差 σ须大于0", "effect_d"},
      {"equal_means", "set Power.mean2 0.5", "两组均数相等，无差异可供检出", "n1"},
      {"not_a_number", "set Power.mean1 abc", "第1组均数 μ1不是有效的数值", "n1"},
      {"empty", "set Power.sd ", "请输入共同标准差 σ", "n1"},
      {"beyond_limit", "set Power.mean1 0.0003", "所需样本量超过 10,000,000", "n1"},
      {"rho_one", "click Power.design(6)\nset Power.rho 1", "总体相关系数 ρ须大于−1且小于1", "n"},
      {"groups", "click Power.design(2)\nset Power.k 7", "组数 k须为2至6之间的整数", "n_per_group"},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump = RunAndDump(kOpen + QStringLiteral("click Power.design(0)\nclick Power.mode(0)\n"
                                                               "set Power.alpha 0.05\nset Power.power 0.80\n"
                                                               "set Power.k 3\nset Power.mean1 0.5\nset Power.mean2 0\n"
                                                               "set Power.sd 1\n") +
                                        QLatin1String(c.script));
    EXPECT_TRUE(Notes(dump).contains(QString::fromUtf8(c.note))) << Notes(dump).join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(PowerFigure(dump, c.nullFigure).isNull());
  }
}

// A million characters in every cell of every design: a note, no hang.
TEST_F(PowerWindowTest, MillionCharacterTextsInEveryCell) {
  ASSERT_EQ(Run(kOpen).status, 0);
  PowerWindow* power = window_->powerWindow();
  ASSERT_NE(power, nullptr);
  const QString huge(1'000'000, QLatin1Char('7'));
  for (QWidget* widget : power->namedControls())
    if (auto* cell = qobject_cast<QLineEdit*>(widget)) cell->setText(huge);
  for (int design = 0; design < 8; ++design) {
    const QJsonObject dump = RunAndDump(QStringLiteral("click Power.design(%1)\n").arg(design));
    EXPECT_FALSE(Notes(dump).isEmpty()) << design;
  }
}

TEST_F(PowerWindowTest, UseDataTakesThePanelsFigures) {
  // Typed summary figures of the two-sample panel: 20, 5, 12 and 16, 4, 10.
  const QJsonObject dump = RunAndDump(QStringLiteral("set Text4(0) 20\nset Text4(1) 5\nset Text4(2) 12\n"
                                                     "set Text4(3) 16\nset Text4(4) 4\nset Text4(5) 10\n") +
                                      kOpen + QStringLiteral("click Power.use_data\n"));
  const QJsonObject figures = Details(dump).value(QStringLiteral("figures")).toObject();
  const auto figure = [&figures](const char* key) { return figures.value(QLatin1String(key)).toDouble(); };
  EXPECT_EQ(Text(dump, QStringLiteral("Power.mean1")).toDouble(), figure("mean1"));
  EXPECT_EQ(Text(dump, QStringLiteral("Power.mean2")).toDouble(), figure("mean2"));
  // The pooled SD: √((11·25 + 9·16)/20).
  EXPECT_DOUBLE_EQ(Text(dump, QStringLiteral("Power.sd")).toDouble(), std::sqrt((11 * 25.0 + 9 * 16.0) / 20));
  EXPECT_TRUE(Power(dump).value(QStringLiteral("sentence")).toString().contains(QStringLiteral("取自预试验数据")));
  // Another design's panel is not on screen.
  const QJsonObject other = RunAndDump(QStringLiteral("click Power.design(6)\nclick Power.use_data\n"));
  EXPECT_TRUE(Notes(other).contains(QStringLiteral("请先在“直线相关与回归”面板中输入预试验数据")));
}

TEST_F(PowerWindowTest, CopyWhileActiveSaveTheCurveAndFollowTheZoom) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("curve.svg"));
  const QJsonObject dump =
      RunAndDump(kOpen + QStringLiteral("set Power.mean1 0.5\nset Power.mean2 0\nset Power.sd 1\nmenu 复制结果\n"
                                        "answer %1\nclick Power.save_chart\nmenu 放大\n").arg(path));
  const QString copied = dump.value(QStringLiteral("clipboard")).toString();
  EXPECT_TRUE(copied.contains(QStringLiteral("第1组例数 n1\t64"))) << copied.toStdString();
  EXPECT_TRUE(copied.contains(QStringLiteral("共同标准差 σ\t1")));
  EXPECT_TRUE(copied.contains(Power(dump).value(QStringLiteral("sentence")).toString()));
  EXPECT_GT(QFile(path).size(), 0);
  EXPECT_NEAR(window_->powerWindow()->font().pointSizeF(), window_->controls().Text1(0)->font().pointSizeF(), 0.01);
  EXPECT_NEAR(window_->powerWindow()->font().pointSizeF(), 9 * 1.1, 0.01);
}

// A named pipe is never opened for writing (that would wait for a reader).
TEST_F(PowerWindowTest, SavingOntoAPipeSaysSoAndReturns) {
  QTemporaryDir dir;
  const QString pipe = dir.filePath(QStringLiteral("curve.png"));
  ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
  const QJsonObject dump = RunAndDump(kOpen + QStringLiteral("set Power.rho 0.3\nanswer %1\nclick Power.save_chart\n").arg(pipe));
  const QJsonArray messages = dump.value(QStringLiteral("messages")).toArray();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].toObject().value(QStringLiteral("text")).toString().startsWith(QStringLiteral("无法保存图表")));
}

TEST_F(PowerWindowTest, RestoreSetsEveryInputExactly) {
  ASSERT_EQ(Run(kOpen + QStringLiteral("click Power.design(2)\nset Power.k 4\nset Power.mean_4 3\n")).status, 0);
  PowerWindow& power = *window_->powerWindow();
  PlanningState kept = power.state();
  kept.findPower = true;
  kept.sides = 1;
  kept.inputs[QStringLiteral("n")] = QStringLiteral("20");
  ASSERT_EQ(Run(QStringLiteral("click Power.design(0)\nset Power.k 2\n")).status, 0);
  int edits = 0;
  QObject::connect(&power, &PowerWindow::edited, [&edits] { ++edits; });
  power.restore(kept);
  EXPECT_EQ(power.state(), kept);
  EXPECT_EQ(edits, 0);
  const QJsonObject dump = RunAndDump(QString());
  EXPECT_EQ(Power(dump).value(QStringLiteral("design")).toInt(), 2);
  EXPECT_EQ(Power(dump).value(QStringLiteral("inputs")).toObject().value(QStringLiteral("mean_4")).toString(),
            QStringLiteral("3"));
  EXPECT_TRUE(Notes(dump).contains(QStringLiteral("请输入第1组均数 μ1")));
}

TEST_F(PowerWindowTest, CountDesignsKeepTheirNamesAndOpenOnTheirTest) {
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(7)\n") + kOpen);
  EXPECT_EQ(Power(dump).value(QStringLiteral("design")).toInt(), 7);
  EXPECT_EQ(Text(dump, QStringLiteral("Power.design(3)")), QStringLiteral("两样本率比较"));
  EXPECT_EQ(Text(dump, QStringLiteral("Power.design(5)")), QStringLiteral("多个率（R×C）比较"));
  // Before any grade is typed the figures are "—" and the note asks for them.
  EXPECT_TRUE(Notes(dump).contains(QStringLiteral("请输入第1组（+）构成比")));
  EXPECT_TRUE(PowerFigure(dump, "n1").isNull());
}

}  // namespace
}  // namespace kelvasta::testing
