// The worked examples of the help and tutorial pages, typed into the window:
// every figure a result screen of the pages prints must be what the window
// shows, and every result screen of the pages must have its row here.
#include "tests/app/script_fixture.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <map>

namespace kelvasta::testing {
namespace {

using HelpExamplesTest = ScriptTest;

// Types `values` into cells name(0), name(1), ...; "" skips a cell.
QString Cells(const char* name, const QStringList& values) {
  QString script;
  for (int k = 0; k < values.size(); ++k)
    if (!values[k].isEmpty())
      script += QStringLiteral("type %1(%2) %3\n").arg(QLatin1String(name)).arg(k).arg(values[k]);
  return script;
}

// Types `values` down a value-list column, pressing Enter after each.
QString Down(const char* column, const QStringList& values) {
  QString script;
  for (int r = 0; r < values.size(); ++r)
    script +=
        QStringLiteral("type %1(%2) %3\nkey %1(%2) Enter\n").arg(QLatin1String(column)).arg(r).arg(values[r]);
  return script;
}

QString Select(int test) { return QStringLiteral("click Command1(%1)\n").arg(test); }

const QStringList kAnovaCells{"10", "2", "10", "12", "2.5", "10", "15", "3", "10"};
const QStringList kBefore{"150", "142", "160", "138", "155", "148", "165", "140"};
const QStringList kAfter{"144", "138", "152", "135", "150", "141", "158", "137"};
const QStringList kGrades{"10", "8", "5", "2", "4", "6", "9", "11"};

const QStringList kTCaptions{"Label5(3)", "Label5(4)", "Label5(5)", "Label5(6)"};
const QStringList kPairedTCaptions{"Label13(5)", "Label13(4)", "Label13(3)", "Label5(10)",
                                   "Label5(9)",  "Label5(8)",  "Label5(7)"};
const QStringList kFourfoldCaptions{"Label20(1)", "Label20(2)", "Label20(3)", "Label20(4)", "Label20(5)",
                                    "Label20(6)", "Label5(20)", "Label5(19)", "Label5(21)"};
const QStringList kRankCaptions{"Label20(9)", "Label5(44)", "Label20(10)", "Label5(43)"};
const QStringList kPairwise{"Label10", "Label11", "Label12"};
const QStringList kSummaryCells{"Text4(0)", "Text4(1)", "Text4(2)", "Text4(3)", "Text4(4)", "Text4(5)"};
const QStringList kFourfold{"20", "30", "25", "25"};

struct Example {
  const char* page;  // folder under docs/
  const char* id;    // of the example's result screen
  QString script;
  QStringList controls;  // one per printed figure, in the screen's order (see Shown)
  // A file the script reads, written to the folder its "%DIR%" names.
  const char* fileName = nullptr;
  const char* fileText = nullptr;
};

const Example kExamples[] = {
    {"help", "ex-t2", Select(0) + Cells("Text4", {"12.5", "2.1", "10", "10.2", "2.4", "12"}), kTCaptions},
    {"help", "ex-paired-t", Select(1) + Down("Text1", {"1", "2", "3"}) + Down("Text2", {"2", "4", "5"}),
     kPairedTCaptions},
    {"help",
     "ex-anova",
     Select(2) + Cells("Text41", kAnovaCells),
     {"Label5(29)", "Label5(28)", "Label5(26)"}},
    {"help", "ex-q", Select(2) + Cells("Text41", kAnovaCells), kPairwise},
    {"help", "ex-lsd-t", Select(2) + Cells("Text41", kAnovaCells) + "click Command16\n", kPairwise},
    {"help", "ex-chi4-1", Select(3) + Cells("Text11", {"20", "30", "25", "25"}), kFourfoldCaptions},
    {"help", "ex-chi4-2", Select(3) + Cells("Text11", {"30", "2", "10", "5"}), {"Label20(6)", "Label5(21)"}},
    {"help",
     "ex-chi-paired",
     Select(4) + Cells("Text11", {"40", "30", "12", "18"}),
     {"Label20(8)", "Label20(7)", "Label5(24)", "Label5(25)", "Label5(23)"}},
    {"help",
     "ex-rxc",
     Select(5) + Cells("Text111", {"30", "10", "", "", "20", "20", "", "", "10", "30"}),
     {"Label20(12)", "Label20(13)", "Label5(37)", "Label5(36)", "Label5(35)"}},
    {"help",
     "ex-corr",
     Select(6) + Down("Text1", {"1", "2", "3", "4", "5"}) + Down("Text2", {"2", "4", "5", "4", "5"}),
     {"Label13(6)", "Label13(7)", "Label13(12)", "Label5(13)", "Label5(14)", "Label5(15)", "Label5(16)",
      "Label5(17)"}},
    {"help", "ex-rank", Select(7) + Cells("Text12", kGrades), kRankCaptions},
    {"help", "ex-zoom", "menu 放大\nmenu 放大\nmenu 放大\nmenu 缩小\n", {"zoom"}},
    {"help", "ex-paste", Select(0) + "clip 12\\t8\\n9\\t10\\n15\\t7\\n11\\t9\\n13\\t6\nkey Text1(0) Ctrl+V\n",
     kSummaryCells + kTCaptions},
    {"help",
     "ex-undo",
     Select(3) + Cells("Text11", kFourfold) + Select(4) + "menu 撤销\n",
     {"Label20(6)", "Label5(20)", "Label5(19)", "Label5(21)"}},
    {"help",
     "ex-details",
     Select(0) + Cells("Text4", {"52.91", "5", "24", "50", "5", "24"}),
     {"pane:两样本t检验/t", "pane:两样本t检验/ν", "pane:两样本t检验/P值", "pane:两样本t检验/均数差值",
      "pane:两样本t检验/95%置信区间", "pane:效应量/Cohen's d", "pane:效应量/Hedges' g", "pane:注",
      "sentence"}},
    {"help",
     "ex-chart",
     Select(1) + Down("Text1", kBefore) + Down("Text2", kAfter) + "menu 显示图表\n",
     {"pane:差值均数(d̄)", "pane:配对t检验/95%置信区间"}},
    {"help",
     "ex-copy",
     Select(3) + Cells("Text11", kFourfold) + "menu 复制结果\n",
     {"clip:χ²", "clip:结果判断", "clip:P值", "clip:比值比(OR)", "clip:OR的95%置信区间", "clip:"}},
    {"help",
     "ex-work-file",
     Select(5) + Cells("Text111", {"30", "10", "", "", "20", "20", "", "", "10", "30"}) +
         "answer %DIR%/三种疗法\nmenu 保存\n" + Select(0) + "answer %DIR%/三种疗法.kelvasta\nmenu 打开…\n",
     {"Label20(12)", "Label20(13)", "Label5(37)", "Label5(36)", "Label5(35)"}},
    {"help", "ex-import", Select(0) + "answer %DIR%/数据.csv\nmenu 从Excel导入数据\n", kSummaryCells,
     "数据.csv", "5,6\n7,8\n9,10\n"},
    {"help", "ex-columns",
     Select(0) + "columns header=yes value=B group=A groups=男,女\n"
                 "answer %DIR%/血压.csv\nmenu 导入数据（选择列）…\n",
     kSummaryCells + kTCaptions, "血压.csv",
     "性别,收缩压\n男,132\n女,118\n女,125\n男,141\n男,128\n女,121\n男,137\n女,116\n男,135\n女,122\n"},
    {"help",
     "ex-names",
     Select(0) + Cells("Text4", {"12.5", "2.1", "10", "10.2", "2.4", "12"}) +
         "menu 名称与单位…\ntype Names.group1 降压药组\ntype Names.group2 对照组\n"
         "type Names.variable 舒张压下降值\ntype Names.unit mmHg\n",
     {"pane:降压药组例数(n1)", "pane:降压药组均数(X̄1)", "pane:对照组例数(n2)", "pane:对照组均数(X̄2)",
      "pane:两样本t检验/均数差值", "sentence"}},
    {"tutorial", "ex-walk", Select(3) + Cells("Text11", {"20", "30", "25", "25"}), kFourfoldCaptions},
    {"tutorial", "ex-paired-as-two-samples", Select(0) + Down("Text1", kBefore) + Down("Text2", kAfter),
     QStringList{"Text4(0)", "Text4(1)", "Text4(2)", "Text4(3)", "Text4(4)", "Text4(5)"} + kTCaptions},
    {"tutorial", "ex-paired", Select(1) + Down("Text1", kBefore) + Down("Text2", kAfter), kPairedTCaptions},
    {"tutorial",
     "ex-small",
     Select(3) + Cells("Text11", {"8", "2", "3", "7"}),
     {"Label20(1)", "Label20(2)", "Label20(3)", "Label20(4)", "Label20(5)", "Label20(6)", "Label5(21)"}},
    {"tutorial",
     "ex-nonsig",
     Select(3) + Cells("Text11", {"14", "6", "9", "11"}),
     {"Label20(5)", "Label20(6)", "Label5(21)"}},
    {"tutorial", "ex-ordinal", Select(7) + Cells("Text12", kGrades), kRankCaptions},
    {"tutorial", "ex-clinical", Select(0) + Cells("Text4", {"130", "15", "5000", "129", "15", "5000"}),
     kTCaptions},
    {"tutorial",
     "ex-small-exact",
     Select(3) + Cells("Text11", {"8", "2", "3", "7"}),
     {"pane:Fisher确切概率法/双侧P值", "sentence"}},
    {"tutorial",
     "ex-plan",
     "menu 样本量与检验效能…\nclick Power.design(0)\n"
     "set Power.mean1 130\nset Power.mean2 120\nset Power.sd 15\nset Power.dropout 10%\n",
     {"plan:精确法（非中心t分布）/第1组例数 n1", "plan:精确法（非中心t分布）/第2组例数 n2",
      "plan:精确法（非中心t分布）/实际检验效能 1−β", "plan:考虑脱落率10%（精确法）/总例数 N",
      "plan:sentence"}},
    {"tutorial",
     "ex-report",
     Select(1) + Down("Text1", kBefore) + Down("Text2", kAfter),
     {"pane:对子数(n)", "pane:差值均数(d̄)", "pane:差值标准差(Sd)", "pane:配对t检验/t", "pane:配对t检验/ν",
      "pane:配对t检验/P值", "pane:配对t检验/95%置信区间", "pane:效应量/Cohen's dz", "sentence"}},
    {"help",
     "ex-power-rates",
     "menu 样本量与检验效能…\nclick Power.design(3)\nset Power.p1 0.6\nset Power.p2 0.4\n",
     {"plan:精确法（Fisher确切概率法）/第1组例数 n1", "plan:精确法（Fisher确切概率法）/实际检验效能 1−β",
      "plan:正态近似公式（Fleiss）/第1组例数 n1", "plan:连续性校正公式（Fleiss）/第1组例数 n1"}},
};

// The shown text of the row `address` of a report's rows: "LABEL", the first
// row so labelled, or "HEADING/LABEL", under that heading (a label holding
// "/" needs its heading). A heading is a row with an empty text.
QString ReportRow(const QJsonObject& report, const QString& address) {
  const qsizetype slash = address.indexOf(u'/');
  const QString heading = slash < 0 ? QString() : address.left(slash);
  const QString label = address.mid(slash + 1);
  QString current;
  for (const QJsonValue& row : report.value(QStringLiteral("rows")).toArray()) {
    const QString rowLabel = row.toArray().at(0).toString();
    const QString text = row.toArray().at(1).toString();
    if (text.isEmpty()) {
      current = rowLabel;
    } else if (rowLabel == label && (slash < 0 || current == heading)) {
      return text;
    }
  }
  return QStringLiteral("(no row %1)").arg(address);
}

// The text behind one printed figure: a control's ("Label5(6)"), a row of
// the details pane ("pane:P值") or of the planning window ("plan:总例数 N"),
// either one's sentence ("sentence", "plan:sentence"), the cells after the
// label of a line "复制结果" copied ("clip:结果判断"; "clip:" its last line,
// the sentence) or the zoom ("zoom": "120%").
QString Shown(const QJsonObject& dump, const QString& source) {
  const QJsonObject details = ScriptTest::Details(dump);
  const QJsonObject plan = dump.value(QStringLiteral("power")).toObject();
  if (source == u"sentence") return details.value(QStringLiteral("sentence")).toString();
  if (source == u"plan:sentence") return plan.value(QStringLiteral("sentence")).toString();
  if (source == u"zoom") return QString::number(dump.value(QStringLiteral("zoom")).toInt()) + u'%';
  if (source.startsWith(u"pane:")) return ReportRow(details, source.mid(5));
  if (source.startsWith(u"plan:")) return ReportRow(plan, source.mid(5));
  if (source.startsWith(u"clip:")) {
    const QStringList lines =
        dump.value(QStringLiteral("clipboard")).toString().split(u'\n', Qt::SkipEmptyParts);
    if (source == u"clip:") return lines.value(lines.size() - 1);
    for (const QString& line : lines)
      if (line.startsWith(source.mid(5) + u'\t')) return line.section(u'\t', 1);
    return QStringLiteral("(not copied)");
  }
  return ScriptTest::Text(dump, source);
}

QString ReadPage(const char* page) {
  QFile file(QStringLiteral(KELVASTA_SOURCE_DIR "/docs/%1/index.html").arg(QLatin1String(page)));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  return QString::fromUtf8(file.readAll());
}

// The figures a screen prints: its lines split at runs of three or more
// blanks, each item without its caption ("t0.05 = ", "结果判断：", "注："). Items
// without "=" or "：" are headings ("秩和检验"); pairwise lines and sentences
// (ending in "。") are figures whole.
QStringList PrintedFigures(QString screen) {
  screen.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
      .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  static const QRegularExpression kGap(QStringLiteral("\\s{3,}|\\n"));
  static const QRegularExpression kCaption(
      QStringLiteral("^(结果判断：|回归方程：|注：|(?!.*。$)[^=：]*=\\s*)"));
  QStringList figures;
  for (QString item : screen.split(kGap, Qt::SkipEmptyParts)) {
    if (!item.contains(u'=') && !item.contains(u'：')) continue;
    figures.push_back(item.remove(kCaption).trimmed());
  }
  return figures;
}

// The screens of a page by id; fails for a screen without an id, and for an
// example block without a screen.
std::map<QString, QStringList> Screens(const QString& html) {
  static const QRegularExpression kScreen(QStringLiteral("<div class=\"screen\" id=\"([^\"]+)\">(.*?)</div>"),
                                          QRegularExpression::DotMatchesEverythingOption);
  std::map<QString, QStringList> screens;
  for (const auto& match : kScreen.globalMatch(html))
    screens[match.captured(1)] = PrintedFigures(match.captured(2));
  EXPECT_EQ(qsizetype(screens.size()), html.count(QStringLiteral("class=\"screen\"")))
      << "a screen without an id";

  static const QRegularExpression kDiv(QStringLiteral("<div\\b|</div>"));
  for (qsizetype at = html.indexOf(QStringLiteral("<div class=\"example\">")); at >= 0;
       at = html.indexOf(QStringLiteral("<div class=\"example\">"), at + 1)) {
    int depth = 0;
    qsizetype end = at;
    for (const auto& tag : kDiv.globalMatch(html, at)) {
      depth += tag.captured() == u"</div>" ? -1 : 1;
      end = tag.capturedEnd();
      if (depth == 0) break;
    }
    EXPECT_TRUE(html.mid(at, end - at).contains(QStringLiteral("class=\"screen\"")))
        << "an example without a result screen at " << at;
  }
  return screens;
}

TEST_F(HelpExamplesTest, EveryResultScreenIsWhatTheWindowShows) {
  for (const char* page : {"help", "tutorial"}) {
    SCOPED_TRACE(page);
    const std::map<QString, QStringList> screens = Screens(ReadPage(page));
    qsizetype rows = 0;
    const QTemporaryDir dir;
    for (const Example& example : kExamples) {
      if (QLatin1String(example.page) != QLatin1String(page)) continue;
      ++rows;
      SCOPED_TRACE(example.id);
      TearDown();  // a fresh window: the names of one example never reach the next
      SetUp();
      const auto screen = screens.find(QLatin1String(example.id));
      ASSERT_TRUE(screen != screens.end()) << "no result screen with this id";
      const QStringList& printed = screen->second;
      ASSERT_EQ(printed.size(), example.controls.size()) << printed.join(u'|').toStdString();
      if (example.fileName != nullptr) {
        QFile file(dir.filePath(QString::fromUtf8(example.fileName)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(example.fileText) >= 0);
      }
      const QJsonObject dump =
          RunAndDump(QString(example.script).replace(QStringLiteral("%DIR%"), dir.path()));
      for (qsizetype k = 0; k < printed.size(); ++k)
        EXPECT_EQ(Shown(dump, example.controls[k]).toStdString(), printed[k].toStdString())
            << example.controls[k].toStdString();
    }
    EXPECT_EQ(rows, qsizetype(screens.size())) << "a result screen without a row";
  }
}

}  // namespace
}  // namespace kelvasta::testing
