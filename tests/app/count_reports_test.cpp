// The details of the four count tables in the real window: published and
// hand-computed tables typed through the script, checked on the dump's
// figures, shown rows and sentence; hostile cells; the panel's own captions.
#include "tests/app/script_fixture.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <cmath>
#include <utility>
#include <vector>

namespace kelvasta::testing {
namespace {

using CountReportsTest = ScriptTest;

// One script line per non-empty cell: `type` goes through the cell filter
// like a user; `set` puts texts the filter would not let through.
QString Cells(const char* command, const char* grid, const QStringList& cells) {
  QString script;
  for (int i = 0; i < cells.size(); ++i)
    if (!cells[i].isEmpty())
      script += QStringLiteral("%1 %2(%3) %4\n").arg(QLatin1String(command), QLatin1String(grid)).arg(i).arg(cells[i]);
  return script;
}

struct Shown {
  const char* heading;
  const char* label;
  const char* value;
};
struct Figure {
  const char* key;
  double value;
};

struct ExampleCase {
  const char* name;
  int test;  // Command1 index
  const char* grid;
  QStringList cells;
  std::vector<Shown> rows;
  std::vector<Figure> figures;  // to 1e-9 relative
  const char* sentence;
};

const char* const kFisher = "Fisher确切概率法";

// Expected values: Agresti, Categorical Data Analysis (2nd ed., 2002), §3.5.2,
// the tea tasting table, Fisher two-sided P = 0.486 and one-sided 0.243; the
// others by the independent formulas of the hypergeometric and binomial
// tails, Woolf's interval exp(ln OR ± 1.959964·√Σ1/cell), Clopper-Pearson by
// bisection on the binomial tails and the rank sum and Ridit by hand; the
// fourfold chi-squares equal the panel's captions in count_table_window_test.
const ExampleCase kExamples[] = {
    {"fourfold_tea_tasting", 3, "Text11", {"3", "1", "1", "3"},
     {{kFisher, "双侧P值", "0.4857"}, {kFisher, "单侧P值(左)", "0.9857"}, {kFisher, "单侧P值(右)", "0.2429"},
      {"效应量", "比值比(OR)", "9.0000"}, {"效应量", "OR的95%置信区间", "0.3666 ~ 220.9270"}, {"", "总例数(n)", "8"}},
     {{"fisher_p", 34.0 / 70}, {"fisher_p_greater", 17.0 / 70}, {"odds_ratio", 9}, {"n", 8}},
     "两组率差异无统计学意义（Fisher确切概率法，P = 0.4857），条件最大似然OR = 6.4083（95%CI：0.2117 ~ 626.2435）。"},
    // Conditional OR and its exact interval: the noncentral hypergeometric
    // law in exact integers, roots by bisection in mpmath (Python); Fisher's
    // P in exact fractions. Woolf's interval excludes 1, the exact one not.
    {"fourfold_fisher_beside_woolf", 3, "Text11", {"3", "7", "8", "2"},
     {{kFisher, "双侧P值", "0.0698"}, {"效应量", "OR的95%置信区间", "0.0137 ~ 0.8379"},
      {"效应量", "条件最大似然OR", "0.1226"}, {"效应量", "条件OR的确切95%置信区间", "0.0079 ~ 1.1336"}},
     {{"fisher_p", 0.06977851869492736}, {"conditional_odds_ratio", 0.12264167096396988},
      {"conditional_odds_ratio_ci_low", 0.0078734562165696961}, {"conditional_odds_ratio_ci_high", 1.1336387977546227}},
     "两组率差异无统计学意义（Fisher确切概率法，P = 0.0698），条件最大似然OR = 0.1226（95%CI：0.0079 ~ 1.1336）。"},
    // No exact P of decimals: the corrected McNemar chi-square instead,
    // (|10.3 − 20.52| − 1)²/30.82, P by mpmath erfc.
    {"paired_decimals", 4, "Text11", {"22.5", "10.3", "20.52", "47.86"},
     {{"McNemar检验", "校正χ²", "2.7582"}, {"确切概率法(二项分布)", "双侧P值", "—"}},
     {{"mcnemar_cc_chi2", 9.22 * 9.22 / 30.82}, {"mcnemar_cc_p", 0.09675572039}},
     "存在非整数频数，不能计算确切概率，改用校正McNemar检验：治疗前后阳性率差异无统计学意义（校正χ² = 2.7582，ν = 1，"
     "P = 0.0968），不一致对比值 = 0.5019。"},
    // χ² = 7420283/1932084 = 3.8406 reaches the panel's 3.84 but not the
    // exact 3.8415: P = 0.050027 (mpmath erfc), and a note says why.
    {"fourfold_panel_critical_value", 3, "Text11", {"5", "12", "37", "29"},
     {{"效应量", "注", "面板为 χ² = 3.8406、p < 0.05，与本栏不同：面板以界值3.84判断，χ²(0.05)确切为3.8415"}},
     {{"pearson_p", 0.050026833522146714}},
     "两组率差异无统计学意义（χ² = 3.8406，ν = 1，P = 0.0500），OR = 0.3266（95%CI：0.1033 ~ 1.0324）。"},
    {"fourfold_empty_column", 3, "Text11", {"5", "0", "7", "0"}, {}, {},
     "某行或某列合计为0，不能计算χ²及确切概率。"},
    {"ordinal_one_grade", 7, "Text12", {"", "5", "", "", "", "7"}, {}, {}, "全部观察值在同一等级，不能进行秩和检验。"},
    {"fourfold_pearson", 3, "Text11", {"30", "10", "15", "25"},
     {{"Pearson χ²检验", "χ²", "11.4286"}, {"Pearson χ²检验", "ν", "1"}, {"Pearson χ²检验", "P值", "0.0007"},
      {kFisher, "双侧P值", "0.0014"}, {"", "最小理论数(T)", "17.5000"}},
     {{"pearson_chi2", 80.0 / 7}, {"fisher_p", 0.0014328738241224238}, {"odds_ratio_ci_low", 1.9141153873071528}},
     "两组率差异有统计学意义（χ² = 11.4286，ν = 1，P = 0.0007），OR = 5.0000（95%CI：1.9141 ~ 13.0609）。"},
    {"fourfold_yates", 3, "Text11", {"30", "2", "10", "5"},
     {{"校正χ²检验(Yates)", "χ²", "3.9664"}, {"校正χ²检验(Yates)", "P值", "0.0464"}, {kFisher, "双侧P值", "0.0263"}},
     {{"yates_chi2", 3.966411830357143}, {"fisher_p", 0.026332382378101687}},
     "两组率差异有统计学意义（校正χ² = 3.9664，ν = 1，P = 0.0464），OR = 7.5000（95%CI：1.2532 ~ 44.8847）。"},
    // P(X ≤ 1 | 9, ½) = 10/512.
    {"paired_exact_binomial", 4, "Text11", {"20", "1", "8", "11"},
     {{"McNemar检验", "χ²", "5.4444"}, {"McNemar检验", "校正χ²", "4.0000"}, {"McNemar检验", "校正P值", "0.0455"},
      {"确切概率法(二项分布)", "双侧P值", "0.0391"}, {"确切概率法(二项分布)", "mid-P值", "0.0215"},
      {"效应量", "b/c的95%置信区间", "0.0028 ~ 0.9324"}, {"Kappa一致性", "κ", "0.5408"}},
     {{"mcnemar_exact_p", 20.0 / 512}, {"mcnemar_mid_p", 11.0 / 512}, {"kappa", 0.5408163265306123}},
     "治疗前后阳性率差异有统计学意义（McNemar确切概率法，P = 0.0391），不一致对比值 = 0.1250（95%CI：0.0028 ~ "
     "0.9324）。"},
    // The tea tasting table in the R x C grid: Freeman-Halton on 2 x 2 is Fisher.
    {"rxc_exact_from_the_job", 5, "Text111", {"3", "1", "", "", "1", "3"},
     {{"Fisher确切概率法(Freeman-Halton)", "P值", "0.4857"}, {"Pearson χ²检验", "ν", "1"},
      {"理论数", "理论数<5的格子比例", "1.0000"}},
     {{"fisher_p", 34.0 / 70}, {"cramers_v", 0.5}, {"df", 1}},
     "各组率差异无统计学意义（Fisher确切概率法，P = 0.4857），Cramér's V = 0.5000。"},
    {"ordinal_rank_sum", 7, "Text12", {"5", "10", "15", "20", "20", "15", "10", "5"},
     {{"Wilcoxon秩和检验(Mann-Whitney U)", "U", "1875"}, {"Wilcoxon秩和检验(Mann-Whitney U)", "z", "4.3086"},
      {"Wilcoxon秩和检验(Mann-Whitney U)", "校正z", "4.4497"}, {"Wilcoxon秩和检验(Mann-Whitney U)", "P值", "<0.0001"},
      {"Ridit分析", "试验组平均Ridit", "0.6250"}, {"Ridit分析", "试验组95%置信区间", "0.5450 ~ 0.7050"}},
     {{"u", 1875}, {"z_corrected", 4.449719092257398}, {"ridit_2", 0.375}},
     "两组等级分布差异有统计学意义（Wilcoxon秩和检验，z = 4.4497，P < 0.0001），优势概率 = 0.7500。"},
};

TEST_F(CountReportsTest, PublishedExamples) {
  static const QRegularExpression kNumber(QStringLiteral("\\d+\\.\\d{4}"));
  for (const ExampleCase& c : kExamples) {
    SCOPED_TRACE(c.name);
    const QJsonObject details =
        Details(RunAndDump(QStringLiteral("click Command1(%1)\n").arg(c.test) + Cells("type", c.grid, c.cells)));
    for (const Shown& row : c.rows)
      EXPECT_EQ(RowValue(details, QString::fromUtf8(row.heading), QString::fromUtf8(row.label)),
                QString::fromUtf8(row.value))
          << row.heading << " / " << row.label;
    const QJsonObject figures = details.value(QStringLiteral("figures")).toObject();
    for (const Figure& figure : c.figures)
      EXPECT_NEAR(figures.value(QLatin1String(figure.key)).toDouble(), figure.value, 1e-9 * std::fabs(figure.value))
          << figure.key;
    const QString sentence = details.value(QStringLiteral("sentence")).toString();
    EXPECT_EQ(sentence, QString::fromUtf8(c.sentence));
    // Every number of the sentence is shown in a row.
    QString shown;
    for (const QJsonValue& row : details.value(QStringLiteral("rows")).toArray())
      shown += row.toArray().at(1).toString() + QLatin1Char('|');
    for (const QRegularExpressionMatch& number : kNumber.globalMatch(sentence))
      EXPECT_TRUE(shown.contains(number.captured())) << number.captured().toStdString();
  }
}

// The paired table leads with the chi-square its panel shows: corrected
// below 40 discordant pairs (b = 18, c = 6: 5.0417 before 6.0000).
TEST_F(CountReportsTest, PairedTableLeadsWithThePanelsChiSquare) {
  for (const auto& [b, first] : {std::pair{"18", "校正χ²"}, std::pair{"40", "χ²"}}) {
    const QJsonObject details = Details(RunAndDump(QStringLiteral("click Command1(4)\n") +
                                                   Cells("type", "Text11", {"4", b, "6", "9"})));
    const QJsonArray rows = details.value(QStringLiteral("rows")).toArray();
    ASSERT_GT(rows.size(), 2);
    EXPECT_EQ(rows.at(1).toArray().at(0).toString(), QStringLiteral("McNemar检验"));
    EXPECT_EQ(rows.at(2).toArray().at(0).toString(), QString::fromUtf8(first)) << b;
  }
}

// The keys of each test, in the pane's order, whatever the data.
TEST_F(CountReportsTest, FigureKeysFollowTheTest) {
  const std::pair<int, QStringList> kKeys[] = {
      {3, {"n", "min_expected", "pearson_chi2", "pearson_p", "yates_chi2", "yates_p", "fisher_p", "fisher_p_less",
           "fisher_p_greater", "conditional_odds_ratio", "conditional_odds_ratio_ci_low",
           "conditional_odds_ratio_ci_high", "odds_ratio", "odds_ratio_ci_low", "odds_ratio_ci_high", "relative_risk",
           "relative_risk_ci_low", "relative_risk_ci_high", "risk_difference", "risk_difference_ci_low",
           "risk_difference_ci_high"}},
      {4, {"n", "mcnemar_chi2", "mcnemar_p", "mcnemar_cc_chi2", "mcnemar_cc_p", "mcnemar_exact_p", "mcnemar_mid_p",
           "discordant_ratio", "discordant_ratio_ci_low", "discordant_ratio_ci_high", "kappa", "kappa_ci_low",
           "kappa_ci_high"}},
      {5, {"n", "chi2", "df", "p", "cramers_v", "min_expected", "share_expected_below_5", "fisher_p"}},
      {7, {"n1", "n2", "u", "z", "z_corrected", "p", "prob_superiority", "ridit_1", "ridit_2", "ridit_1_ci_low",
           "ridit_1_ci_high", "ridit_2_ci_low", "ridit_2_ci_high"}},
  };
  for (const auto& [test, keys] : kKeys) {
    SCOPED_TRACE(test);
    const char* grid = test == 5 ? "Text111" : test == 7 ? "Text12" : "Text11";
    const QJsonObject empty = Details(RunAndDump(QStringLiteral("click Command1(%1)").arg(test)));
    EXPECT_TRUE(empty.value(QStringLiteral("figures")).toObject().isEmpty());
    EXPECT_EQ(empty.value(QStringLiteral("sentence")).toString(), QString());
    const QJsonObject details = Details(RunAndDump(Cells("type", grid, {"0"})));
    QStringList listed = details.value(QStringLiteral("figures")).toObject().keys();
    QStringList expected = keys;
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);
  }
}

struct HostileCase {
  const char* name;
  int test;
  const char* grid;
  QStringList cells;  // set, not typed
  const char* note;
  struct {
    const char* heading;
    const char* label;
  } missing;         // a row showing "—"
  const char* null;  // a figure printed as null
};

const QString kLong = QString(100000, QLatin1Char('9'));
const char* const kUnreadable = "存在无法读取或超出范围的频数，不能计算";
const char* const kNonWhole = "存在非整数频数，不能计算确切概率";
const char* const kNegative = "存在负数频数，不能计算";

const HostileCase kHostile[] = {
    {"fourfold_decimal", 3, "Text11", {"1.5", "2", "3", "4"}, kNonWhole, {kFisher, "双侧P值"}, "fisher_p"},
    {"fourfold_negative", 3, "Text11", {"-3", "2", "3", "4"}, kNegative, {"Pearson χ²检验", "χ²"}, "pearson_chi2"},
    {"fourfold_beyond_range", 3, "Text11", {"1e308", "2", "3", "4"}, kUnreadable, {"", "总例数(n)"}, "n"},
    {"fourfold_long_text", 3, "Text11", {kLong, "2", "3", "4"}, kUnreadable, {"效应量", "比值比(OR)"}, "odds_ratio"},
    {"paired_decimal", 4, "Text11", {"5", "2.5", "3", "4"}, kNonWhole, {"确切概率法(二项分布)", "双侧P值"},
     "mcnemar_exact_p"},
    {"rxc_decimal", 5, "Text111", {"2.5", "3", "", "", "4", "5"}, kNonWhole,
     {"Fisher确切概率法(Freeman-Halton)", "P值"}, "fisher_p"},
    {"rxc_huge", 5, "Text111", {"1e308", "3", "", "", "4", "5"}, "频数过大，不能计算确切概率",
     {"Fisher确切概率法(Freeman-Halton)", "P值"}, "fisher_p"},
    {"rxc_long_text", 5, "Text111", {kLong, "3", "", "", "4", "5"}, kUnreadable, {"Pearson χ²检验", "χ²"}, "chi2"},
    {"rxc_too_many_tables", 5, "Text111", QStringList(12, QStringLiteral("100")),
     "表格组合数超过1,000,000，未计算确切概率", {"Fisher确切概率法(Freeman-Halton)", "P值"}, "fisher_p"},
    {"ordinal_negative", 7, "Text12", {"-1", "2", "3", "4", "5", "6", "7", "8"}, kNegative,
     {"Wilcoxon秩和检验(Mann-Whitney U)", "P值"}, "p"},
    {"ordinal_long_text", 7, "Text12", {kLong, "2", "3", "4", "5", "6", "7", "8"}, kUnreadable,
     {"Ridit分析", "试验组平均Ridit"}, "ridit_1"},
};

TEST_F(CountReportsTest, HostileCellsGiveDashesAndANote) {
  for (const HostileCase& c : kHostile) {
    SCOPED_TRACE(c.name);
    const QJsonObject details =
        Details(RunAndDump(QStringLiteral("click Command1(%1)\n").arg(c.test) + Cells("set", c.grid, c.cells)));
    const QJsonArray rows = details.value(QStringLiteral("rows")).toArray();
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.last().toArray().at(1).toString(), QString::fromUtf8(c.note));
    EXPECT_EQ(RowValue(details, QString::fromUtf8(c.missing.heading), QString::fromUtf8(c.missing.label)),
              QStringLiteral("—"));
    EXPECT_TRUE(details.value(QStringLiteral("figures")).toObject().value(QLatin1String(c.null)).isNull());
  }
}

// The panel writes its captions as before; the copy carries the grid, those
// captions, the rows and the sentence.
TEST_F(CountReportsTest, PanelCaptionsUnchangedAndCopied) {
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\n") +
                                      Cells("type", "Text11", {"30", "10", "15", "25"}) +
                                      QStringLiteral("menu 复制结果"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(5)")), QStringLiteral("80"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), QStringLiteral("11.4286"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), QStringLiteral("p < 0.01"));
  const QString copied = dump.value(QStringLiteral("clipboard")).toString();
  for (const char* line : {"组别\t结果（+）\t结果（-）", "试验组\t30\t10", "试验组合计\t40", "例数(n)\t80",
                           "χ²\t11.4286", "结果判断\tp < 0.01", "双侧P值\t0.0014"})
    EXPECT_TRUE(copied.contains(QString::fromUtf8(line))) << line;
  EXPECT_TRUE(copied.contains(Details(dump).value(QStringLiteral("sentence")).toString()));
}

}  // namespace
}  // namespace kelvasta::testing
