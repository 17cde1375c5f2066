#include "app/about_window.h"

#include "app/click_label.h"
#include "app/desktop.h"
#include "app/twips.h"
#include "app/web_addresses.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace kelvasta {

AboutWindow::AboutWindow(Desktop& desktop, QWidget* owner)
    : QWidget(owner, Qt::Window), desktop_(desktop) {
  setObjectName(QStringLiteral("AboutWindow"));
  setWindowTitle(QStringLiteral("版本信息"));
  setFixedSize(TwipsToPixels(5295), TwipsToPixels(2790));
  ControlFactory& f = factory_;

  for (int i : {1, 2}) {
    QLabel* picture = f.label(this, ControlName("Image", i), QString(), i == 1 ? 240 : 4335, 240, 720, 720);
    picture->setPixmap(QIcon(QStringLiteral(":/icons/kelvasta.svg")).pixmap(TwipsToPixels(720)));
  }
  QLabel* product = f.label(this, ControlName("Label1"), QStringLiteral("KelvastaV10.1"), 1200, 300, 3000, 300,
                            Qt::AlignCenter);
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  f.label(this, ControlName("Label2"), QStringLiteral("医学统计学计算器"), 1200, 660, 3000, 240, Qt::AlignCenter);
  f.label(this, ControlName("Label6"), QStringLiteral("作者主页："), 240, 1260, 1080, 240);
  label7_ = f.clickLabel(this, ControlName("Label7"), 1320, 1260, 3735, 240);
  label7_->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  label7_->setCursor(Qt::PointingHandCursor);
  f.label(this, ControlName("Label3"), QStringLiteral("问题与建议请在主页留言。"), 240, 1620, 4815, 240);
  f.label(this, ControlName("Label4"), QStringLiteral("本程序不保存任何数据。"), 240, 1920, 4815, 240);
  close_ = f.button(this, ControlName("Command1"), QStringLiteral("确定"), 3960, 2250, 1095, 360);
  close_->setAutoDefault(true);  // Enter closes too while the button has the focus
  connect(label7_, &ClickLabel::clicked, this, [this] { desktop_.openUrl(label7_->text()); });
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
}

void AboutWindow::showEvent(QShowEvent* event) {
  close_->setFocus(Qt::ActiveWindowFocusReason);
  QWidget::showEvent(event);
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void AboutWindow::Load() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2,
         area.top() + (area.height() - frameGeometry().height()) / 2);
  }
  label7_->setText(QString::fromLatin1(kHomePageAddress));
}

}  // namespace kelvasta
