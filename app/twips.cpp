#include "app/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kelvasta {

namespace {
double LogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}
}  // namespace

int TwipsToPixels(int twips, double zoom) {
  return static_cast<int>(std::lround(twips * zoom * LogicalDpi() / 1440.0));
}

QRect TwipsRect(int left, int top, int width, int height, double zoom) {
  return QRect(TwipsToPixels(left, zoom), TwipsToPixels(top, zoom), TwipsToPixels(width, zoom),
               TwipsToPixels(height, zoom));
}

QRect TwipsRect(const QRect& twips, double zoom) {
  return TwipsRect(twips.x(), twips.y(), twips.width(), twips.height(), zoom);
}

}  // namespace kelvasta
