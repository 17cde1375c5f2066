#include "app/startup.h"

#include "app/main_window.h"

#include <QApplication>
#include <QLineEdit>

namespace kelvasta {

void ApplyFormFont(QApplication& app) {
  QFont font = app.font();
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei"),
                    QStringLiteral("Noto Sans CJK SC")});
  font.setPointSize(9);
  app.setFont(font);
}

void StartUp(MainWindow& window) {
  window.Load();
  window.show();
  window.activateWindow();
  window.controls().Text1(0)->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
}

}  // namespace kelvasta
