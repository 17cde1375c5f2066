// The details of the tests of means and of correlation in the real window:
// published data typed through the script, checked on the dump's source,
// figures, shown rows and sentence; typed summary figures; the lists' full
// precision; Spearman's rank correlation from the worker thread.
#include "tests/app/script_fixture.h"

#include "entry/list_window.h"
#include "stats/mean_figures.h"

#include <QFile>
#include <QJsonArray>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace kelvasta::testing {
namespace {

using MeanReportsTest = ScriptTest;

// Types each column down its list, pressing Enter after each item; the bar
// goes back to the top before the next column.
QString TypeColumns(const char* bar, const std::vector<const char*>& cells, const std::vector<QStringList>& columns) {
  QString script;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    script += QStringLiteral("scroll %1 0\n").arg(QLatin1String(bar));
    for (int v = 0; v < columns[c].size(); ++v) {
      const QString cell = QStringLiteral("%1(%2)").arg(QLatin1String(cells[c])).arg(std::min(v, 9));
      script += QStringLiteral("type %1 %2\nkey %1 Enter\n").arg(cell, columns[c][v]);
    }
  }
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
  std::vector<QStringList> columns;
  std::vector<Shown> rows;
  std::vector<Figure> figures;  // to 1e-9 relative
  const char* sentence;
};

// Student's sleep data (Cushny and Peebles, as in R's `sleep`): extra hours
// of sleep of ten patients under two drugs.
const QStringList kSleep1{"0.7", "-1.6", "-0.2", "-1.2", "-0.1", "3.4", "3.7", "0.8", "0", "2"};
const QStringList kSleep2{"1.9", "0.8", "1.1", "0.1", "-0.1", "4.4", "5.5", "1.6", "4.6", "3.4"};
// R's PlantGrowth (Dobson 1983): dried weight under control, treatment 1, 2.
const QStringList kCtrl{"4.17", "5.58", "5.18", "6.11", "4.5", "4.61", "5.17", "4.53", "5.33", "5.14"};
const QStringList kTrt1{"4.81", "4.17", "4.41", "3.59", "5.87", "3.83", "6.03", "4.89", "4.32", "4.69"};
const QStringList kTrt2{"6.31", "5.12", "5.54", "5.5", "5.37", "5.29", "4.92", "6.15", "5.8", "5.26"};

// Expected values: scipy 1.10 (stats.ttest_ind with and without equal_var,
// ttest_rel, f_oneway, bartlett, tukey_hsd) and the textbook formulas
// (Welch-Satterthwaite df, Cohen's d over the pooled SD, Welch's analysis
// of variance) evaluated in numpy; they agree with R's printed t.test and
// TukeyHSD results for the same data.
const ExampleCase kExamples[] = {
    {"sleep_two_sample_pooled", 0, {kSleep1, kSleep2},
     {{"两样本t检验", "t", "-1.8608"}, {"两样本t检验", "ν", "18"}, {"两样本t检验", "P值", "0.0792"},
      {"两样本t检验", "95%置信区间", "-3.3639 ~ 0.2039"}, {"Welch校正t检验", "ν'", "17.7765"},
      {"方差齐性检验(F检验)", "F", "1.2526"}, {"方差齐性检验(F检验)", "P值", "0.7427"},
      {"各组", "均数(X̄2)", "2.3300"}, {"效应量", "Hedges' g", "-0.7970"}},
     {{"t", -1.8608134674868524}, {"p", 0.07918671421593829}, {"welch_p", 0.07939414018735823},
      {"welch_df", 17.776473516178495}, {"variance_ratio", 1.2525950355841002},
      {"variance_ratio_p", 0.7427199317260456}, {"cohens_d", -0.8321810813495395},
      {"hedges_g", -0.7970185004474464}, {"mean_difference", -1.58}},
     "两组均数差异无统计学意义（t = -1.8608，ν = 18，P = 0.0792），均数差值为 -1.5800（95%CI：-3.3639 ~ 0.2039）。"},
    {"unequal_variances_take_welch", 0, {{"1", "2", "3", "4", "5"}, {"10", "20", "30", "40", "50"}},
     {{"Welch校正t检验", "t'", "-3.7994"}, {"Welch校正t检验", "ν'", "4.0800"},
      {"方差齐性检验(F检验)", "P值", "0.0006"}},
     {{"welch_t", -3.7994267415435763}, {"welch_p", 0.01843085899746702}, {"welch_df", 4.07999200079992},
      {"welch_ci_low", -46.5787232279598}, {"variance_ratio", 100}, {"variance_ratio_p", 0.000584295269052442}},
     "两组均数差异有统计学意义（Welch校正t检验：t' = -3.7994，ν' = 4.0800，P = 0.0184），均数差值为 -27.0000"
     "（95%CI：-46.5787 ~ -7.4213）。"},
    {"sleep_paired", 1, {kSleep1, kSleep2},
     {{"", "对子数(n)", "10"}, {"", "差值标准差(Sd)", "1.2300"}, {"配对t检验", "P值", "0.0028"},
      {"配对t检验", "95%置信区间", "-2.4599 ~ -0.7001"}, {"效应量", "Cohen's dz", "-1.2846"}},
     {{"t", -4.062127683382037}, {"p", 0.00283289019738427}, {"df", 9}, {"cohens_dz", -1.2845575625910546}},
     "治疗前后差异有统计学意义（配对t检验：t = -4.0621，ν = 9，P = 0.0028），差值均数为 -1.5800（95%CI：-2.4599 ~ "
     "-0.7001）。"},
    {"plant_growth_anova", 2, {kCtrl, kTrt1, kTrt2},
     {{"方差分析表", "组内 ν", "27"}, {"方差分析表", "总 ν", "29"}, {"方差分析表", "F", "4.8461"},
      {"方差分析表", "P值", "0.0159"}, {"Bartlett方差齐性检验", "χ²", "2.8786"},
      {"两两比较：第2组与第3组", "Tukey 95%置信区间", "-1.5562 ~ -0.1738"}, {"Welch方差分析", "ν2", "17.1284"}},
     {{"f", 4.846087862380136}, {"p", 0.0159099583256229}, {"bartlett_chi2", 2.8785737872360935},
      {"bartlett_p", 0.23709677363455822}, {"tukey_p_12", 0.39087114}, {"tukey_p_13", 0.19799599},
      {"tukey_p_23", 0.01200642}, {"tukey_ci_high_23", -0.17378395}, {"welch_f", 5.180972408113194},
      {"welch_df2", 17.128418616644137}, {"welch_p", 0.01739282149016994}},
     "三组均数差异有统计学意义（F = 4.8461，ν1 = 2，ν2 = 27，P = 0.0159）。经Tukey法两两比较，第2组与第3组差异有统计学"
     "意义（P = 0.0120）。"},
};

void ExpectFigures(const QJsonObject& details, const std::vector<Figure>& figures, double tolerance) {
  const QJsonObject values = details.value(QStringLiteral("figures")).toObject();
  for (const Figure& f : figures) {
    SCOPED_TRACE(f.key);
    const QJsonValue value = values.value(QLatin1String(f.key));
    ASSERT_TRUE(value.isDouble());
    EXPECT_NEAR(value.toDouble(), f.value, tolerance * std::max(1.0, std::fabs(f.value)));
  }
}

TEST_F(MeanReportsTest, PublishedExamples) {
  for (const ExampleCase& c : kExamples) {
    SCOPED_TRACE(c.name);
    const bool groups = c.test == 2;
    const QJsonObject details = Details(RunAndDump(
        QStringLiteral("click Command1(%1)\n").arg(c.test) +
        TypeColumns(groups ? "VSl1" : "VS1",
                    groups ? std::vector<const char*>{"Text30", "Text40", "Text50"}
                           : std::vector<const char*>{"Text1", "Text2"},
                    c.columns)));
    EXPECT_EQ(details.value(QStringLiteral("source")).toString(), QStringLiteral("raw"));
    // Tukey's figures are checked to scipy's printed eight decimals.
    ExpectFigures(details, c.figures, groups ? 1e-8 : 1e-9);
    for (const Shown& row : c.rows)
      EXPECT_EQ(RowValue(details, QString::fromUtf8(row.heading), QString::fromUtf8(row.label)),
                QString::fromUtf8(row.value))
          << row.label;
    EXPECT_EQ(details.value(QStringLiteral("sentence")).toString(), QString::fromUtf8(c.sentence));
  }
}

TEST_F(MeanReportsTest, TypedSummaryFiguresAreUsedAsShown) {
  // The sleep data's summaries typed by hand: SD 1.789 and 2.0022 as printed.
  QJsonObject details =
      Details(RunAndDump(QStringLiteral("click Command1(0)\ntype Text4(0) 0.75\ntype Text4(1) 1.789\ntype Text4(2) 10\n"
                                        "type Text4(3) 2.33\ntype Text4(4) 2.0022\ntype Text4(5) 10")));
  EXPECT_EQ(details.value(QStringLiteral("source")).toString(), QStringLiteral("summary"));
  ExpectFigures(details, {{"sd1", 1.789}, {"sd2", 2.0022}, {"n2", 10}, {"df", 18}}, 1e-15);
  EXPECT_EQ(RowValue(details, QStringLiteral("两样本t检验"), QStringLiteral("t")), QStringLiteral("-1.8608"));
  // The copy holds the typed summary grid and the panel's own verdict.
  const QString copied =
      RunAndDump(QStringLiteral("menu 复制结果")).value(QStringLiteral("clipboard")).toString();
  EXPECT_TRUE(copied.contains(QStringLiteral("第1组\t10\t0.75\t1.789"))) << copied.toStdString();
  EXPECT_TRUE(copied.contains(QStringLiteral("结果判断\tt = 1.8608"))) << copied.toStdString();
  // A summary cell that does not begin with a number leaves its group out.
  details = Details(RunAndDump(QStringLiteral("set Text4(1) -")));
  EXPECT_TRUE(details.value(QStringLiteral("figures")).toObject().value(QStringLiteral("t")).isNull());
  EXPECT_EQ(details.value(QStringLiteral("sentence")).toString(),
            QStringLiteral("每组至少需要2例，且均数、标准差完整，不能进行t检验。"));
}

// The panel's t from its four-decimal summaries (2.3333, 1.5275 / 10.3750,
// 2.2867: t = 5.2186 by the pooled formula in Python) beside the exact
// 5.2185: a note names the reason, the sentence keeps the exact figures.
// Spearman's rs = 1 has a note for its missing P.
TEST_F(MeanReportsTest, NotesWhereThePanelDiffersOrAFigureIsUndefined) {
  QJsonObject details = Details(RunAndDump(
      QStringLiteral("click Command1(0)\n") + TypeColumns("VS1", {"Text1", "Text2"}, {{"1", "2", "4"}, {"8", "9", "11.5", "13"}})));
  EXPECT_EQ(RowValue(details, QStringLiteral("效应量"), QStringLiteral("注")),
            QStringLiteral("面板为 t = 5.2186、p < 0.01，与本栏不同：面板按四位小数的均数、标准差计算"));
  EXPECT_TRUE(details.value(QStringLiteral("sentence")).toString().contains(QStringLiteral("t = -5.2185")));
  details = Details(RunAndDump(QStringLiteral("click Command1(6)\n") +
                               TypeColumns("VS1", {"Text1", "Text2"}, {{"1", "2", "3", "4"}, {"1", "4", "9", "17"}})));
  EXPECT_EQ(RowValue(details, QStringLiteral("Spearman秩相关"), QStringLiteral("P值")), QStringLiteral("—"));
  EXPECT_EQ(RowValue(details, QStringLiteral("Spearman秩相关"), QStringLiteral("注")),
            QStringLiteral("rs = ±1（完全等级相关），其P值不能按t近似计算"));
}

TEST_F(MeanReportsTest, ListsCountAtFullPrecision) {
  // The captions show both means as 1.0000; the lists keep 1.00000001.
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(0)\n") +
                                      TypeColumns("VS1", {"Text1", "Text2"}, {{"1.00000001", "1"}, {"1", "1"}}));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("1.0000"));
  const QJsonObject details = Details(dump);
  EXPECT_EQ(details.value(QStringLiteral("source")).toString(), QStringLiteral("raw"));
  ExpectFigures(details, {{"mean_difference", 0.000000005}, {"mean1", 1.000000005}}, 1e-16);
  // The groups' lists too: group 1 differs from groups 2 and 3 by 5e-9.
  const QJsonObject anova = Details(RunAndDump(
      QStringLiteral("click Command1(2)\n") +
      TypeColumns("VSl1", {"Text30", "Text40", "Text50"}, {{"1.00000001", "1"}, {"1", "1"}, {"1", "1.00000002"}})));
  EXPECT_EQ(anova.value(QStringLiteral("source")).toString(), QStringLiteral("raw"));
  ExpectFigures(anova, {{"diff_12", 0.000000005}, {"diff_23", -0.00000001}}, 1e-16);
}

// Past 200,000 rows the figures are computed on the worker thread from the
// lists' values as they stood; they must be those of the same values
// computed at once. The lists are a data set repeated, row 1 typed last.
TEST_F(MeanReportsTest, LongListsGiveTheFiguresOfTheirValues) {
  constexpr int kRepeats = 20001;  // 200,010 rows
  const auto longList = [](const QStringList& data, std::vector<std::string>& texts, std::vector<double>& values) {
    for (int r = 0; r < kRepeats; ++r)
      for (const QString& item : data) {
        texts.push_back(item.toStdString());
        values.push_back(item.toDouble());
      }
    texts[0].clear();  // typed by the script below
  };
  struct Case {
    const char* name;
    int test;
    std::vector<QStringList> columns;
    const char* cell;
  };
  const Case cases[] = {
      {"two-sample", 0, {kSleep1, kSleep2}, "Text1(0)"},
      {"paired", 1, {kSleep1, kSleep2}, "Text1(0)"},
      {"anova", 2, {kCtrl, kTrt1, kTrt2}, "Text30(0)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Run(QStringLiteral("click Command1(%1)\n").arg(c.test)).status, 0);
    ListWindow& lists = c.test == 2 ? window_->storage().groupLists : window_->storage().twoColumnLists;
    std::vector<std::vector<double>> values(c.columns.size());
    for (std::size_t k = 0; k < c.columns.size(); ++k) {
      std::vector<std::string> texts;
      longList(c.columns[k], texts, values[k]);
      if (k > 0) values[k][0] = std::nan("");  // left empty
      lists.column(k).assign(std::move(texts), 0);
    }
    const QJsonObject details =
        Details(RunAndDump(QStringLiteral("set %1 %2").arg(QLatin1String(c.cell), c.columns[0][0])));
    std::vector<Figure> expected;
    if (c.test == 0) {
      const TwoSampleFigures f = ComputeTwoSampleFigures(ComputeGroupMoments(values[0]), ComputeGroupMoments(values[1]));
      expected = {{"n1", *f.n1}, {"t", *f.t}, {"p", *f.p}, {"welch_t", *f.welch_t}, {"hedges_g", *f.hedges_g}};
    } else if (c.test == 1) {
      const PairedTFigures f = ComputePairedTFigures(values[0], values[1]);
      expected = {{"n", *f.n}, {"t", *f.t}, {"p", *f.p}, {"cohens_dz", *f.cohens_dz}};
    } else {
      const AnovaFigures f = ComputeAnovaFigures(
          {ComputeGroupMoments(values[0]), ComputeGroupMoments(values[1]), ComputeGroupMoments(values[2])});
      expected = {{"df_within", *f.df_within}, {"f", *f.f}, {"p", *f.p}, {"eta_squared", *f.eta_squared}};
    }
    ExpectFigures(details, expected, 0);
    EXPECT_FALSE(details.value(QStringLiteral("sentence")).toString().isEmpty());
    // The table, which kept the previous figures while these were computed,
    // shows them now.
    const auto* table = window_->findChild<const QTableWidget*>(QStringLiteral("DetailsTable"));
    const QJsonArray rows = details.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(table->rowCount(), rows.size());
    for (int r = 0; r < table->rowCount(); ++r) {
      const QJsonArray row = rows[r].toArray();
      EXPECT_EQ(table->item(r, 0)->text(), row[0].toString());
      if (!row[1].toString().isEmpty()) {
        EXPECT_EQ(table->item(r, 1)->text(), row[1].toString());
      }
    }
  }
}

// Spearman's rho the textbook way: average ranks, then Pearson r of ranks.
std::vector<double> Ranks(const std::vector<double>& v) {
  std::vector<std::size_t> order(v.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&v](std::size_t a, std::size_t b) { return v[a] < v[b]; });
  std::vector<double> rank(v.size());
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    while (j < order.size() && v[order[j]] == v[order[i]]) ++j;
    for (std::size_t k = i; k < j; ++k) rank[order[k]] = double(i + 1 + j) / 2;
    i = j;
  }
  return rank;
}

double PearsonR(const std::vector<double>& x, const std::vector<double>& y) {
  const double n = double(x.size());
  const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n, my = std::accumulate(y.begin(), y.end(), 0.0) / n;
  double xx = 0, yy = 0, xy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    xx += (x[i] - mx) * (x[i] - mx), yy += (y[i] - my) * (y[i] - my), xy += (x[i] - mx) * (y[i] - my);
  }
  return xy / std::sqrt(xx * yy);
}

TEST_F(MeanReportsTest, NistNorrisCorrelation) {
  QFile file(qEnvironmentVariable("KELVASTA_NIST_DIR") + QStringLiteral("/Norris.dat"));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) GTEST_SKIP() << "NIST reference data not available";
  QStringList xs, ys;
  std::vector<double> x, y;
  bool inData = false;
  while (!file.atEnd()) {
    const QStringList words = QString::fromLatin1(file.readLine()).simplified().split(QLatin1Char(' '));
    if (inData && words.size() == 2) {
      ys << words[0], xs << words[1];
      y.push_back(words[0].toDouble()), x.push_back(words[1].toDouble());
    }
    if (words.value(0) == QStringLiteral("Data:") && words.value(1) == QStringLiteral("y")) inData = true;
  }
  ASSERT_EQ(xs.size(), 36);
  const QJsonObject details = Details(
      RunAndDump(QStringLiteral("click Command1(6)\n") + TypeColumns("VS1", {"Text1", "Text2"}, {xs, ys})));
  EXPECT_EQ(details.value(QStringLiteral("source")).toString(), QStringLiteral("raw"));
  // NIST StRD certified values, 15 digits; Spearman's by the formula above.
  ExpectFigures(details,
                {{"n", 36}, {"slope", 1.00211681802045}, {"slope_se", 0.429796848199937e-3},
                 {"intercept", -0.262323073774029}, {"intercept_se", 0.232818234301152},
                 {"r_squared", 0.999993745883712}, {"spearman_rho", PearsonR(Ranks(x), Ranks(y))}},
                1e-10);
  EXPECT_EQ(RowValue(details, QStringLiteral("Spearman秩相关"), QStringLiteral("rs")), QStringLiteral("0.9932"));
  EXPECT_EQ(RowValue(details, QStringLiteral("直线回归"), QStringLiteral("回归方程")),
            QStringLiteral("Ŷ = -0.2623 + 1.0021X"));
  EXPECT_TRUE(details.value(QStringLiteral("sentence")).toString().startsWith(QStringLiteral("两变量之间存在线性相关（r = 1.0000，")));
}

}  // namespace
}  // namespace kelvasta::testing
