#include "app/main_window.h"

#include "app/chart/chart_tab.h"
#include "app/details/details_pane.h"

#include "app/undo/window_history.h"
#include "app/zoom/zoom_steps.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace kelvasta {

namespace {

// Escape in a menu opened from the menu bar closes the menu and leaves the
// menu bar too, handing the focus back to where it was: otherwise the bar
// keeps it, showing nothing, until a second Escape.
class LeaveMenuBarOnEscape final : public QObject {
 public:
  explicit LeaveMenuBarOnEscape(QMenuBar* bar) : QObject(bar), bar_(bar) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        qobject_cast<QMenu*>(watched) != nullptr) {
      QTimer::singleShot(0, bar_, [bar = bar_] {
        if (!bar->hasFocus()) return;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(bar, &escape);
      });
    }
    return false;
  }

 private:
  QMenuBar* bar_;
};

}  // namespace

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  QAction* open = file->addAction(QStringLiteral("打开(&O)…"), this, &MainWindow::OpenWork);
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  QAction* save = file->addAction(QStringLiteral("保存(&S)"), this, &MainWindow::SaveWork);
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  QAction* saveAs = file->addAction(QStringLiteral("另存为(&A)…"), this, &MainWindow::SaveWorkAs);
  saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  for (int i = 0; i < 5; ++i) {
    QAction* recent =
        file->addAction(QString(), this, [this, i] { OpenWorkFile(recentWorkActions_[i]->data().toString()); });
    recent->setVisible(false);
    recentWorkActions_.push_back(recent);
  }
  file->addSeparator();
  importAction_ = file->addAction(QStringLiteral("从Excel导入数据"), this, &MainWindow::ImportFromSpreadsheet);
  importAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
  columnsAction_ = file->addAction(QStringLiteral("导入数据（选择列）(&L)…"), this, &MainWindow::ImportChosenColumns);
  exportAction_ = file->addAction(QStringLiteral("导出数据到Excel"), this, &MainWindow::ExportToSpreadsheet);
  exportAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  file->addSeparator();
  for (int i = 0; i < 5; ++i) {
    QAction* recent = file->addAction(QString(), this, [this, i] { ImportFile(recentActions_[i]->data().toString()); });
    recent->setVisible(false);
    recentActions_.push_back(recent);
  }
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("退出"), this, &MainWindow::quit);
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
  undoAction_ = edit->addAction(QStringLiteral("撤销(&U)"), this, [this] { history_->undo(); });
  undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redoAction_ = edit->addAction(QStringLiteral("重做(&R)"), this, [this] { history_->redo(); });
  redoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  edit->addSeparator();
  QAction* copy = edit->addAction(QStringLiteral("复制结果(&C)"), this, &MainWindow::CopyResults);
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  edit->addAction(QStringLiteral("复制图表(&P)"), this, [this] { details_->chart().copyToClipboard(); });
  edit->addAction(QStringLiteral("保存图表(&G)…"), this, [this] { details_->chart().saveAs(desktop_); });
  edit->addSeparator();
  edit->addAction(QStringLiteral("名称与单位(&N)…"), this, &MainWindow::ShowNamesDialog);

  QMenu* view = menuBar()->addMenu(QStringLiteral("查看(&V)"));
  detailsAction_ = view->addAction(QStringLiteral("统计详情(&D)"));
  detailsAction_->setCheckable(true);
  detailsAction_->setChecked(true);
  detailsAction_->setShortcut(QKeySequence(Qt::Key_F2));
  connect(detailsAction_, &QAction::toggled, this, &MainWindow::SetDetailsShown);
  view->addSeparator();
  QAction* zoomIn = view->addAction(QStringLiteral("放大(&I)"), this, [this] { SetZoom(ZoomedIn(zoom_)); });
  zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
  QAction* zoomOut = view->addAction(QStringLiteral("缩小(&O)"), this, [this] { SetZoom(ZoomedOut(zoom_)); });
  zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
  QAction* actualSize = view->addAction(QStringLiteral("实际大小(&Z)"), this, [this] { SetZoom(100); });
  actualSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
  view->addSeparator();
  QAction* chart = view->addAction(QStringLiteral("显示图表(&H)"));
  chart->setObjectName(QStringLiteral("ShowChart"));
  chart->setCheckable(true);
  connect(chart, &QAction::toggled, this, [this](bool shown) {
    if (shown) SetDetailsShown(true);
    details_->setChartShown(shown);
  });

  QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
  QAction* planning = tools->addAction(QStringLiteral("样本量与检验效能(&P)…"), this, &MainWindow::ShowPowerWindow);
  planning->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));

  QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
  QAction* helpPages = help->addAction(QStringLiteral("帮助(&H)"), this, &MainWindow::OpenHelp);
  helpPages->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
  help->addAction(QStringLiteral("访问作者主页"), this, &MainWindow::OpenHomePage);
  QAction* about = help->addAction(QStringLiteral("版本信息"), this, &MainWindow::ShowAboutWindow);
  about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  QAction* tutorial = help->addAction(QStringLiteral("医学统计学傻瓜教程"), this, &MainWindow::OpenTutorial);
  tutorial->setShortcut(QKeySequence::HelpContents);

  auto* leave = new LeaveMenuBarOnEscape(menuBar());
  for (QAction* entry : menuBar()->actions())
    if (entry->menu() != nullptr) entry->menu()->installEventFilter(leave);
}

}  // namespace kelvasta
