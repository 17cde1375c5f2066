// "打开…", "保存", "另存为…", the recent work files, the caption that names
// the open work file, and the question before unsaved work is lost.
#include "app/desktop.h"
#include "app/kept_settings.h"
#include "app/main_window.h"
#include "app/power/planning_codec.h"
#include "app/undo/window_history.h"
#include "app/work/work_recovery.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>

namespace kelvasta {

namespace {

const QString kWorkType = QStringLiteral("Kelvasta 工作文件(*.kelvasta)");
const QString kWorkExtension = QStringLiteral(".kelvasta");
const QString kNotice = QStringLiteral("提示");
const QString kRecentWorkKey = QStringLiteral("work/recent");
constexpr qsizetype kRecentCount = 5;

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

bool MainWindow::isModified() const { return history_->stateId() != savedState_ || planningEdited_; }

void MainWindow::OpenWork() {
  const QString path = desktop_.askOpenFile(this, QStringLiteral("打开"),
                                            kWorkType + QStringLiteral(";;所有文件(*)"));
  if (!path.isEmpty()) OpenWorkFile(path);
}

void MainWindow::OpenWorkFile(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  WorkReadResult read = ReadWorkFile(path.toStdString());
  QApplication::restoreOverrideCursor();
  QString problem;
  if (read.error != WorkError::None) {
    problem = FromStd(DescribeWorkError(read.error, read.detail, read.version));
  } else if (const QString unfit = CheckWork(read.work); !unfit.isEmpty()) {
    problem = FromStd(DescribeWorkError(WorkError::Damaged, unfit.toStdString()));
  }
  if (!problem.isEmpty()) {
    desktop_.showMessage(this, kNotice, QStringLiteral("无法打开工作文件！") + problem);
    return;
  }
  const std::optional<WorkPlanning> planning = read.work.planning;
  history_->runStep([this, &read] { ApplyWork(std::move(read.work)); }, true);
  if (planning) restorePlanning(FromWorkPlanning(*planning));
  workFile_ = QFileInfo(path).absoluteFilePath();
  savedState_ = history_->stateId();
  planningEdited_ = false;
  showWorkCaption();
  rememberWorkFile(workFile_);
  if (recovery_ != nullptr) recovery_->discard();
}

bool MainWindow::SaveWork() { return workFile_.isEmpty() ? SaveWorkAs() : saveTo(workFile_); }

bool MainWindow::SaveWorkAs() {
  QString path = desktop_.askSaveFile(this, QStringLiteral("另存为"), kWorkType);
  if (path.isEmpty()) return false;
  if (!path.endsWith(kWorkExtension, Qt::CaseInsensitive)) path += kWorkExtension;
  return saveTo(path);
}

bool MainWindow::saveTo(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  history_->closeStep();
  const WorkError error = WriteWorkFile(path.toStdString(), CaptureWork());
  QApplication::restoreOverrideCursor();
  if (error != WorkError::None) {
    desktop_.showMessage(this, kNotice, QStringLiteral("文件保存失败！") + FromStd(DescribeWorkError(error)));
    return false;
  }
  workFile_ = QFileInfo(path).absoluteFilePath();
  history_->closeStep();
  savedState_ = history_->stateId();
  planningEdited_ = false;
  showWorkCaption();
  rememberWorkFile(workFile_);
  if (recovery_ != nullptr) recovery_->discard();
  return true;
}

void MainWindow::showWorkCaption() {
  if (workFile_.isEmpty()) {
    setWindowTitle(QStringLiteral("Kelvasta V10.1"));
    setWindowModified(false);
    return;
  }
  setWindowTitle(QStringLiteral("Kelvasta V10.1 - %1[*]").arg(QFileInfo(workFile_).fileName()));
  setWindowModified(isModified());
}

void MainWindow::rememberWorkFile(const QString& path) {
  recentWorkFiles_.removeAll(path);
  recentWorkFiles_.prepend(path);
  while (recentWorkFiles_.size() > kRecentCount) recentWorkFiles_.removeLast();
  if (!scriptMode()) KeptSettings().setValue(kRecentWorkKey, recentWorkFiles_);
  showRecentWorkFiles();
}

void MainWindow::showRecentWorkFiles() {
  if (recentWorkFiles_.isEmpty() && !scriptMode())
    recentWorkFiles_ = KeptSettings().value(kRecentWorkKey).toStringList().mid(0, kRecentCount);
  for (qsizetype i = 0; i < recentWorkActions_.size(); ++i) {
    QAction* action = recentWorkActions_[i];
    const bool used = i < recentWorkFiles_.size();
    action->setVisible(used);
    if (!used) continue;
    action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(recentWorkFiles_[i]));
    action->setData(recentWorkFiles_[i]);
  }
}

// Asked only when something would be lost: typed data that was never saved,
// or changes to an open work file.
bool MainWindow::mayEnd() {
  if (scriptMode() || !isModified() || (workFile_.isEmpty() && !holdsData())) return true;
  switch (desktop_.askSaveChanges(this)) {
    case Desktop::SaveChoice::Save: return SaveWork();
    case Desktop::SaveChoice::Discard: return true;
    case Desktop::SaveChoice::Cancel: return false;
  }
  return false;
}

void MainWindow::quit() {
  if (mayEnd()) emit exitRequested();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!mayEnd()) {
    event->ignore();
    return;
  }
  event->accept();
  emit exitRequested();
}

void MainWindow::OfferRecovery() {
  if (recovery_ != nullptr) recovery_->offerLeftWork();
}

bool MainWindow::askRecovery() {
  return desktop_.askYesNo(this, kNotice, QStringLiteral("恢复上次未保存的数据？"));
}

// A recovered work is the unsaved state of its work file (if it had one):
// saving goes there, and the window counts as modified.
void MainWindow::RestoreRecovered(WorkFile work) {
  const QString of = FromStd(work.recoveryOf);
  const std::optional<WorkPlanning> planning = work.planning;
  history_->runStep([this, &work] { ApplyWork(std::move(work)); }, true);
  if (planning) restorePlanning(FromWorkPlanning(*planning));
  workFile_ = of;
  // Unsaved even when it matches the window at start: it is no file's state.
  if (!isModified()) savedState_ = ~history_->stateId();
  showWorkCaption();
}

}  // namespace kelvasta
