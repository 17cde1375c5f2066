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

int TwipsToPixels(int twips) {
  return static_cast<int>(std::lround(twips * LogicalDpi() / 1440.0));
}

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

}  // namespace kelvasta
