// The files imported lately, offered again in the File menu, and files
// dropped on the window (a work file is opened, any other imported).
#include "app/kept_settings.h"
#include "app/main_window.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace kelvasta {

namespace {
constexpr qsizetype kRecentCount = 5;
const QString kRecentKey = QStringLiteral("import/recent");

// The one local file a drag carries, or "".
QString DraggedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().first();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}
bool IsWorkFileName(const QString& path) { return path.endsWith(QStringLiteral(".kelvasta"), Qt::CaseInsensitive); }

}  // namespace

void MainWindow::rememberImport(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  recentImports_.removeAll(full);
  recentImports_.prepend(full);
  while (recentImports_.size() > kRecentCount) recentImports_.removeLast();
  if (!scriptMode()) KeptSettings().setValue(kRecentKey, recentImports_);
  showRecentImports();
}

void MainWindow::showRecentImports() {
  if (recentImports_.isEmpty() && !scriptMode()) {
    recentImports_ = KeptSettings().value(kRecentKey).toStringList().mid(0, kRecentCount);
  }
  for (qsizetype i = 0; i < recentActions_.size(); ++i) {
    QAction* action = recentActions_[i];
    const bool used = i < recentImports_.size();
    action->setVisible(used);
    if (!used) continue;
    action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(recentImports_[i]));
    action->setData(recentImports_[i]);
    action->setEnabled(importAction_->isEnabled());
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (!path.isEmpty() && (importAction_->isEnabled() || IsWorkFileName(path))) event->acceptProposedAction();
}

// A work file dropped is opened; any other file is imported.
void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  if (IsWorkFileName(path)) {
    OpenWorkFile(path);
  } else {
    ImportFile(path);
  }
}

}  // namespace kelvasta
