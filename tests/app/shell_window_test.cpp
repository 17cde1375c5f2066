// The calculator, the tool strip, the menus and the version window, driven
// through the automation script.
#include "tests/app/script_fixture.h"

#include "app/startup.h"

#include <QApplication>
#include <QJsonArray>
#include <QKeyEvent>
#include <QTranslator>

namespace kelvasta::testing {
namespace {

using ShellWindowTest = ScriptTest;

// Calculator keys by caption.
QString Keys(const QString& keys) {
  static const QHash<QChar, QString> kButtons{
      {u'7', "Command2(0)"}, {u'8', "Command2(1)"}, {u'9', "Command2(2)"},  {u'4', "Command2(3)"},
      {u'5', "Command2(4)"}, {u'6', "Command2(5)"}, {u'1', "Command2(6)"},  {u'2', "Command2(7)"},
      {u'3', "Command2(8)"}, {u'0', "Command2(9)"}, {u'.', "Command2(10)"}, {u'=', "Command4"},
      {u'/', "Command5"},    {u'*', "Command6"},    {u'+', "Command7"},     {u'-', "Command8"},
      {u'C', "Command21"},   {u'E', "Command22"}};
  QString script;
  for (QChar key : keys) script += QStringLiteral("click %1\n").arg(kButtons.value(key));
  return script;
}

struct CalculatorCase {
  const char* name;
  const char* keys;
  const char* display;
};

// Key sequences of the pocket calculator and what the display then shows.
const CalculatorCase kCalculator[] = {
    {"sum", "7+5=", "12"},
    {"equals_again_adds_zero", "7+5==", "12"},
    {"product_then_times_zero", "6*3==", "0"},
    {"division_by_zero_keeps_display", "5/0=", "0"},
    {"quarter", "1/4=", "0.25"},
    {"negative_then_divided", "1-4=/4=", "-0.75"},
    {"point_first", ".5", "0.5"},
    {"operator_completes_with_new_operator", "2+3*4=", "24"},
    {"ce_keeps_the_operator", "12+3E4=", "4"},
};

TEST_F(ShellWindowTest, CalculatorKeys) {
  for (const CalculatorCase& c : kCalculator) {
    SCOPED_TRACE(c.name);
    SetUp();  // a fresh calculator for each sequence
    const QJsonObject dump = RunAndDump(Keys(QString::fromLatin1(c.keys)));
    EXPECT_EQ(Text(dump, QStringLiteral("Text5")), QString::fromLatin1(c.display));
  }
}

TEST_F(ShellWindowTest, VersionWindowIsCreatedOnceAndOpensTheHomePage) {
  QJsonObject dump = RunAndDump(QString());
  EXPECT_FALSE(dump.value(QStringLiteral("controls")).toObject().contains(QStringLiteral("AboutWindow")));
  dump = RunAndDump(QStringLiteral("menu 版本信息\nmenu 版本信息\nclick AboutWindow.Label7"));
  EXPECT_EQ(Text(dump, QStringLiteral("AboutWindow")), QStringLiteral("版本信息"));
  EXPECT_TRUE(Control(dump, QStringLiteral("AboutWindow")).value(QStringLiteral("visible")).toBool());
  EXPECT_EQ(Text(dump, QStringLiteral("AboutWindow.Label7")), QStringLiteral("https://kelvasta.org/"));
  EXPECT_EQ(dump.value(QStringLiteral("opened")).toArray(), QJsonArray{QStringLiteral("https://kelvasta.org/")});
  EXPECT_EQ(window_->findChildren<QWidget*>(QStringLiteral("AboutWindow")).size(), 1);
}

// Ways to close the version window: its button, or Escape as typed on the
// focused control (unhandled there, it reaches the window).
const struct {
  const char* name;
  const char* script;
} kVersionWindowClosers[] = {
    {"button", "click AboutWindow.Command1"},
    {"escape", ""},
};

TEST_F(ShellWindowTest, VersionWindowClosesWithItsButtonAndEscape) {
  for (const auto& c : kVersionWindowClosers) {
    SCOPED_TRACE(c.name);
    SetUp();
    const QJsonObject shown = RunAndDump(QStringLiteral("menu 版本信息"));
    ASSERT_TRUE(Control(shown, QStringLiteral("AboutWindow")).value(QStringLiteral("visible")).toBool());
    EXPECT_EQ(Text(shown, QStringLiteral("AboutWindow.Command1")), QStringLiteral("确定"));
    if (*c.script == '\0') {
      auto* about = window_->findChild<QWidget*>(QStringLiteral("AboutWindow"));
      QWidget* target = about->focusWidget() != nullptr ? about->focusWidget() : about;
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
      QApplication::sendEvent(target, &press);
    }
    const QJsonObject closed = RunAndDump(QString::fromUtf8(c.script));
    EXPECT_FALSE(Control(closed, QStringLiteral("AboutWindow")).value(QStringLiteral("visible")).toBool());
    // Closed, not destroyed: the menu shows the same window again.
    const QJsonObject again = RunAndDump(QStringLiteral("menu 版本信息"));
    EXPECT_TRUE(Control(again, QStringLiteral("AboutWindow")).value(QStringLiteral("visible")).toBool());
    EXPECT_EQ(window_->findChildren<QWidget*>(QStringLiteral("AboutWindow")).size(), 1);
  }
}

TEST_F(ShellWindowTest, QtTextsAreChinese) {
  QTranslator* translator = LoadQtTranslations(*QCoreApplication::instance());
  if (translator == nullptr) GTEST_SKIP() << "Qt's Chinese translations are not installed";
  EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("复制(&C)"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

TEST_F(ShellWindowTest, LinksOpenTheShippedPagesAndTheHomePage) {
  const QJsonObject dump =
      RunAndDump(QStringLiteral("click Label28(3)\nclick Label28(4)\nmenu 医学统计学傻瓜教程\nmenu 访问作者主页"));
  // The help and the tutorial open in the program's help window; only the
  // home page goes to the browser.
  const QJsonArray opened = dump.value(QStringLiteral("opened")).toArray();
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toString(), QStringLiteral("https://kelvasta.org/"));
  const QJsonObject help = dump.value(QStringLiteral("HelpWindow")).toObject();
  EXPECT_TRUE(help.value(QStringLiteral("visible")).toBool());
  EXPECT_EQ(help.value(QStringLiteral("page")).toString(), QStringLiteral("tutorial"));
  // The help item needs the version window as its owner: created, not shown.
  EXPECT_FALSE(Control(dump, QStringLiteral("AboutWindow")).value(QStringLiteral("visible")).toBool());
}

TEST_F(ShellWindowTest, DisabledSpreadsheetItemsDoNothing) {
  const QJsonObject dump =
      RunAndDump(QStringLiteral("click Command1(3)\nanswer /nonexistent.xls\nclick Label28(0)\nmenu 从Excel导入数据"));
  EXPECT_TRUE(dump.value(QStringLiteral("messages")).toArray().isEmpty());
  // The queued answer is still there: no dialog was asked.
  const QJsonObject after = RunAndDump(QStringLiteral("click Command1(0)\nmenu 从Excel导入数据"));
  EXPECT_EQ(after.value(QStringLiteral("messages")).toArray().size(), 1);
}

}  // namespace
}  // namespace kelvasta::testing
