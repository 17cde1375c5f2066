#include "app/zoom/font_scaling.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvasta {

void ScaleFonts(QWidget* root, double factor) {
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  std::vector<QFont> fonts;
  fonts.reserve(std::size_t(widgets.size()));
  for (const QWidget* widget : widgets) fonts.push_back(widget->font());
  for (qsizetype i = 0; i < widgets.size(); ++i) {
    QFont font = fonts[std::size_t(i)];
    if (font.pointSizeF() > 0)
      font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
      font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    widgets[i]->setFont(font);
  }
}

}  // namespace kelvasta
