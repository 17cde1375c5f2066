#pragma once

#include "app/desktop.h"
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <QString>

#include <memory>

namespace kelvasta::testing {

// A fresh main window per test, started as the program starts it and driven
// through the automation script's own runner.
class ScriptTest : public ::testing::Test {
 public:
  // The `text` of a control in a dump, and its whole entry.
  static QString Text(const QJsonObject& dump, const QString& control);
  static QJsonObject Control(const QJsonObject& dump, const QString& control);
  // The details pane's part of a dump, and the shown text of its row `label`
  // under the heading `heading` ("" for the rows above the first heading;
  // "(no row)" when there is none).
  static QJsonObject Details(const QJsonObject& dump);
  static QString RowValue(const QJsonObject& details, const QString& heading, const QString& label);

 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  struct Result {
    int status = 0;
    QString out;
    QString err;
  };
  // Runs the lines of `script` against the window.
  Result Run(const QString& script);
  // Runs the script, then `dump`, and returns the dump.
  QJsonObject RunAndDump(const QString& script);
  std::unique_ptr<RecordingDesktop> desktop_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace kelvasta::testing
