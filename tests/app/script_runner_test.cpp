// The automation script's contract: its commands, its errors and what the
// program prints.
#include "tests/app/script_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>

namespace kelvasta::testing {
namespace {

using ScriptRunnerTest = ScriptTest;

struct BadLine {
  const char* name;
  const char* script;
  int line;
};

const BadLine kBadLines[] = {
    {"unknown_command", "dump\nfrobnicate Text11(0)", 2},
    {"unknown_control", "\n# comment\nclick Command99", 3},
    {"click_a_cell", "click Text11(0)", 1},
    {"type_into_a_label", "type Label1 5", 1},
    {"scroll_a_button", "scroll Command15 3", 1},
    {"scroll_not_a_number", "scroll VS1 x", 1},
    {"unknown_key", "key Text11(0) F13", 1},
    {"unknown_menu_entry", "menu 打印", 1},
    {"dump_unknown_control", "dump Label1 Label999", 1},
};

TEST_F(ScriptRunnerTest, BadLinesStopWithStatusTwoAndTheirNumber) {
  for (const BadLine& c : kBadLines) {
    SCOPED_TRACE(c.name);
    const Result result = Run(QString::fromUtf8(c.script) + QStringLiteral("\nclick Command1(3)"));
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("line %1:").arg(c.line))) << result.err.toStdString();
    EXPECT_EQ(window_->CurrentTest(), 0) << "the script went on after the bad line";
  }
}

TEST_F(ScriptRunnerTest, TextArgumentsAreVerbatim) {
  const QJsonObject dump = RunAndDump(QStringLiteral("set Text5  1 2 "));
  EXPECT_EQ(Text(dump, QStringLiteral("Text5")), QStringLiteral(" 1 2 "));
}

TEST_F(ScriptRunnerTest, DumpOfNamedControlsHoldsOnlyThem) {
  const Result result = Run(QStringLiteral("dump Label1 VS1 List1"));
  ASSERT_EQ(result.status, 0);
  const QJsonObject dump = QJsonDocument::fromJson(result.out.toUtf8()).object();
  const QJsonObject controls = dump.value(QStringLiteral("controls")).toObject();
  EXPECT_EQ(controls.keys(), (QStringList{QStringLiteral("Label1"), QStringLiteral("List1"), QStringLiteral("VS1")}));
  EXPECT_EQ(controls.value(QStringLiteral("VS1")).toObject().value(QStringLiteral("max")).toInt(), 5);
  EXPECT_TRUE(dump.value(QStringLiteral("messages")).toArray().isEmpty());
  EXPECT_TRUE(dump.value(QStringLiteral("opened")).toArray().isEmpty());
}

TEST_F(ScriptRunnerTest, DisabledControlsIgnoreClicksAndMenus) {
  window_->controls().Command1(5)->setEnabled(false);
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(5)"));
  EXPECT_EQ(dump.value(QStringLiteral("CurrentTest")).toInt(), 0);
}

TEST_F(ScriptRunnerTest, ScrollMovesTheBar) {
  const QJsonObject dump = RunAndDump(QStringLiteral("scroll VS1 3"));
  EXPECT_EQ(Control(dump, QStringLiteral("VS1")).value(QStringLiteral("value")).toInt(), 3);
}

// The program itself, run as a user would run it.
struct Program {
  int status = -1;
  QByteArray out;
  QByteArray err;
};

Program RunProgram(const QStringList& arguments, const QByteArray& input) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KELVASTA_BINARY), arguments);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(60000);
  // A crash (Qt aborting for want of a display) is no exit status at all.
  const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return {status, process.readAllStandardOutput(), process.readAllStandardError()};
}

struct CommandLine {
  const char* name;
  QStringList arguments;
  int status;
  const char* out;  // the start of standard output, nullptr for none
  int errLines;
};

// Command lines that end before any window opens; none needs a display.
const CommandLine kCommandLines[] = {
    {"help", {QStringLiteral("--help")}, 0, "", 0},
    {"short_help", {QStringLiteral("-h")}, 0, "", 0},
    {"version", {QStringLiteral("--version")}, 0, "kelvasta 10.1\n", 0},
    {"short_version", {QStringLiteral("-v")}, 0, "kelvasta 10.1\n", 0},
    {"no_display", {}, 1, nullptr, 1},
    {"script_without_file", {QStringLiteral("--script")}, 2, nullptr, -1},
    {"unknown_option", {QStringLiteral("--bogus")}, 2, nullptr, -1},
    {"qt_option_passed_on", {QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-v")}, 0,
     "kelvasta 10.1\n", 0},
    {"unknown_short_option", {QStringLiteral("-x")}, 2, nullptr, -1},
};

TEST(ScriptProgramTest, CommandLinesThatEndAtOnce) {
  for (const CommandLine& c : kCommandLines) {
    SCOPED_TRACE(c.name);
    const Program program = RunProgram(c.arguments, {});
    EXPECT_EQ(program.status, c.status) << program.err.toStdString();
    if (c.out == nullptr) {
      EXPECT_TRUE(program.out.isEmpty()) << program.out.toStdString();
    } else {
      EXPECT_TRUE(program.out.startsWith(c.out)) << program.out.toStdString();
      EXPECT_TRUE(program.out.endsWith('\n'));
    }
    if (c.errLines >= 0) {
      EXPECT_EQ(program.err.count('\n'), c.errLines) << program.err.toStdString();
      EXPECT_TRUE(c.errLines == 0 || program.err.endsWith('\n'));
    }
  }
}

TEST(ScriptProgramTest, HelpNamesTheOptionsAndAScriptWithoutFileGetsItOnTheErrorStream) {
  const Program help = RunProgram({QStringLiteral("--help")}, {});
  const Program usage = RunProgram({QStringLiteral("--script")}, {});
  EXPECT_TRUE(RunProgram({QStringLiteral("--bogus")}, {}).err.contains("--bogus"));
  for (const char* option : {"--help", "--version", "--script"}) {
    EXPECT_TRUE(help.out.contains(option)) << option;
    EXPECT_TRUE(usage.err.contains(option)) << option;
  }
}

TEST(ScriptProgramTest, RunsFromStandardInputWithoutADisplay) {
  const Program program =
      RunProgram({QStringLiteral("--script"), QStringLiteral("-")},
                 "click Command1(3)\ntype Text11(0) 20\ntype Text11(1) 30\ntype Text11(2) 25\ntype Text11(3) 25\n"
                 "dump Label20(6) Label5(21)\n");
  EXPECT_EQ(program.status, 0) << program.err.toStdString();
  ASSERT_TRUE(program.out.endsWith('\n'));
  EXPECT_EQ(program.out.count('\n'), 1) << "only dump prints";
  const QJsonObject controls = QJsonDocument::fromJson(program.out).object().value(QStringLiteral("controls")).toObject();
  EXPECT_EQ(controls.value(QStringLiteral("Label20(6)")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("1.0101"));
  EXPECT_EQ(controls.value(QStringLiteral("Label5(21)")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("p > 0.05"));
}

TEST(ScriptProgramTest, ReadsAFileAndReportsABadLine) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("session.txt"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("click Command1(4)\r\nclick Nowhere\r\n");
  file.close();
  const Program program = RunProgram({QStringLiteral("--script"), path}, {});
  EXPECT_EQ(program.status, 2);
  EXPECT_TRUE(program.out.isEmpty());
  // Qt may warn on the error stream too; the script's own message is a line of its own.
  EXPECT_TRUE(program.err.startsWith("line 2:") || program.err.contains("\nline 2:")) << program.err.toStdString();
}

TEST(ScriptProgramTest, GrabWritesAnImageOfTheWindow) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString image = dir.filePath(QStringLiteral("window.png"));
  const Program program = RunProgram({QStringLiteral("--script"), QStringLiteral("-")},
                                     QStringLiteral("grab %1\n").arg(image).toUtf8());
  EXPECT_EQ(program.status, 0) << program.err.toStdString();
  QFile file(image);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(8).startsWith("\x89PNG"));
}

}  // namespace
}  // namespace kelvasta::testing
