#include "app/main_window.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kelvasta {

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  importAction_ = file->addAction(QStringLiteral("从Excel导入数据"));
  exportAction_ = file->addAction(QStringLiteral("导出数据到Excel"));
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("退出"));
  connect(quit, &QAction::triggered, this, &MainWindow::exitRequested);

  QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
  help->addAction(QStringLiteral("访问作者主页"));
  help->addAction(QStringLiteral("版本信息"));
  help->addAction(QStringLiteral("医学统计学傻瓜教程"));
}

}  // namespace kelvasta
