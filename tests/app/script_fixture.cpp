#include "tests/app/script_fixture.h"

#include "app/script_runner.h"
#include "app/startup.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace kelvasta::testing {

QJsonObject ScriptTest::Details(const QJsonObject& dump) {
  return dump.value(QStringLiteral("details")).toObject();
}

// A heading is a row with an empty value.
QString ScriptTest::RowValue(const QJsonObject& details, const QString& heading, const QString& label) {
  QString current;
  for (const QJsonValue& row : details.value(QStringLiteral("rows")).toArray()) {
    const QString rowLabel = row.toArray().at(0).toString();
    const QString value = row.toArray().at(1).toString();
    if (value.isEmpty()) current = rowLabel;
    else if (current == heading && rowLabel == label) return value;
  }
  return QStringLiteral("(no row)");
}

void ScriptTest::SetUpTestSuite() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "kelvasta-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  ApplyFormFont(*app);
}

void ScriptTest::SetUp() {
  desktop_ = std::make_unique<RecordingDesktop>();
  window_ = std::make_unique<MainWindow>(*desktop_);
  StartUp(*window_);
}

void ScriptTest::TearDown() {
  window_.reset();
  desktop_.reset();
}

ScriptTest::Result ScriptTest::Run(const QString& script) {
  QString scriptText = script;
  QString out;
  QString err;
  QTextStream in(&scriptText);
  QTextStream outStream(&out);
  QTextStream errStream(&err);
  ScriptRunner runner(*window_, *desktop_, outStream, errStream);
  Result result;
  result.status = runner.run(in);
  outStream.flush();
  errStream.flush();
  result.out = out;
  result.err = err;
  return result;
}

QJsonObject ScriptTest::RunAndDump(const QString& script) {
  const Result result = Run(script + QStringLiteral("\ndump\n"));
  EXPECT_EQ(result.status, 0) << result.err.toStdString();
  const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  if (lines.isEmpty()) return {};
  return QJsonDocument::fromJson(lines.last().toUtf8()).object();
}

QJsonObject ScriptTest::Control(const QJsonObject& dump, const QString& control) {
  const QJsonObject controls = dump.value(QStringLiteral("controls")).toObject();
  EXPECT_TRUE(controls.contains(control)) << control.toStdString();
  return controls.value(control).toObject();
}

QString ScriptTest::Text(const QJsonObject& dump, const QString& control) {
  return Control(dump, control).value(QStringLiteral("text")).toString();
}

}  // namespace kelvasta::testing
