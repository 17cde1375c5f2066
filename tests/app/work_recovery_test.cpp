// Outside script mode: the question before unsaved work is lost, and the
// recovery file that an unclean end leaves for the next start.
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/window_dump.h"
#include "app/work/work_recovery.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace kelvasta {
namespace {

// A desktop that answers as a user would, and counts the questions.
class AnsweringDesktop final : public Desktop {
 public:
  SaveChoice choice = SaveChoice::Cancel;
  bool recover = true;
  QString saveAs;
  int saveQuestions = 0, recoveryQuestions = 0;

  void showMessage(QWidget*, const QString&, const QString&) override {}
  void openUrl(const QString&) override {}
  QString askOpenFile(QWidget*, const QString&, const QString&) override { return {}; }
  QString askSaveFile(QWidget*, const QString&, const QString&, QString*) override { return saveAs; }
  SaveChoice askSaveChanges(QWidget*) override {
    ++saveQuestions;
    return choice;
  }
  bool askYesNo(QWidget*, const QString&, const QString& text) override {
    EXPECT_EQ(text, QStringLiteral("恢复上次未保存的数据？"));
    ++recoveryQuestions;
    return recover;
  }
  std::optional<ColumnChoice> askColumns(QWidget*, const QString&, int) override { return std::nullopt; }
  std::optional<ChartSaveChoice> askChartFile(QWidget*, const QString&) override { return std::nullopt; }
};

class RecoveryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    QStandardPaths::setTestModeEnabled(true);
    static int argc = 1;
    static char name[] = "kelvasta-recovery-test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
  }
  void SetUp() override {
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    start();
  }
  void start() {
    window_.reset();
    window_ = std::make_unique<MainWindow>(desktop_);
    StartUp(*window_);
  }
  bool ends() {
    bool ended = false;
    QObject::connect(window_.get(), &MainWindow::exitRequested, [&ended] { ended = true; });
    window_->show();
    window_->close();
    return ended;
  }
  void type(const char* cell, const char* text) {
    for (QWidget* widget : window_->namedControls())
      if (widget->objectName() == QLatin1String(cell)) static_cast<QLineEdit*>(widget)->setText(QString::fromUtf8(text));
    QApplication::processEvents();
  }
  QString recoveryFile() const {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery/work-0.kelvasta"));
  }
  AnsweringDesktop desktop_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(RecoveryTest, ClosingAsksOnlyWhenTypedDataWouldBeLost) {
  EXPECT_TRUE(ends()) << "nothing typed";
  EXPECT_EQ(desktop_.saveQuestions, 0);
  type("Text1(0)", "5");
  desktop_.choice = Desktop::SaveChoice::Cancel;
  EXPECT_FALSE(ends());
  EXPECT_TRUE(window_->isVisible()) << "cancel keeps the window";
  desktop_.choice = Desktop::SaveChoice::Discard;
  EXPECT_TRUE(ends());
  EXPECT_EQ(desktop_.saveQuestions, 2);
}

TEST_F(RecoveryTest, SaveInTheQuestionSavesThenEnds) {
  desktop_.choice = Desktop::SaveChoice::Save;
  type("Text11(0)", "3");
  EXPECT_FALSE(ends()) << "a cancelled save dialog cancels the end";
  QTemporaryDir dir;
  desktop_.saveAs = dir.filePath(QStringLiteral("w"));
  EXPECT_TRUE(ends());
  EXPECT_TRUE(QFile::exists(desktop_.saveAs + QStringLiteral(".kelvasta")));
  EXPECT_FALSE(window_->isModified());
}

// A window that is gone without a clean end (as after kill -9) leaves its
// recovery file; the next start offers it and shows the work exactly.
TEST_F(RecoveryTest, WorkLeftByAnUncleanEndIsOfferedAndRestoredExactly) {
  type("Text1(0)", "5");
  type("Text2(0)", "6");
  EXPECT_FALSE(QFile::exists(recoveryFile())) << "not on the keystroke";
  QTest::qWait(WorkRecovery::kDelayMs + 500);
  ASSERT_TRUE(QFile::exists(recoveryFile()));
  const QJsonObject before = DumpControls(*window_);
  start();
  EXPECT_EQ(desktop_.recoveryQuestions, 1);
  EXPECT_EQ(DumpControls(*window_), before);
  EXPECT_TRUE(window_->isModified());
  desktop_.choice = Desktop::SaveChoice::Discard;
  EXPECT_TRUE(ends());
  EXPECT_FALSE(QFile::exists(recoveryFile())) << "a clean end removes it";
  start();
  EXPECT_EQ(desktop_.recoveryQuestions, 1);
}

TEST_F(RecoveryTest, DeclinedRecoveryIsRemoved) {
  type("Text12(0)", "5");
  QTest::qWait(WorkRecovery::kDelayMs + 500);
  desktop_.recover = false;
  start();
  EXPECT_EQ(desktop_.recoveryQuestions, 1);
  EXPECT_FALSE(QFile::exists(recoveryFile()));
  EXPECT_FALSE(window_->holdsData());
}

}  // namespace
}  // namespace kelvasta
