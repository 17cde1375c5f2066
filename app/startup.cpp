#include "app/startup.h"

#include "app/focus_style.h"
#include "app/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QStyle>
#include <QTranslator>

namespace kelvasta {

void ApplyFormFont(QApplication& app) {
  QFont font = app.font();
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei"),
                    QStringLiteral("Noto Sans CJK SC")});
  font.setPointSize(9);
  app.setFont(font);
  // Focus frames that can be seen, over whichever style the platform picks.
  if (dynamic_cast<FocusFrameStyle*>(app.style()) == nullptr)
    app.setStyle(new FocusFrameStyle(app.style()->name()));
}

QTranslator* LoadQtTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    return translator;
  delete translator;
  return nullptr;
}

void StartUp(MainWindow& window, bool placeOnScreen) {
  window.Load();
  if (placeOnScreen) window.PlaceOnScreen();
  window.show();
  window.activateWindow();
  window.controls().Text1(0)->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  window.OfferRecovery();
}

}  // namespace kelvasta
