#pragma once

#include <QRect>

namespace kelvasta {

// The form is laid out in twips (1/1440 inch). Pixels follow the screen's
// logical DPI, 15 twips a pixel at 96 DPI, times the form's zoom (1.0 at
// 100 %).
int TwipsToPixels(int twips, double zoom = 1.0);
QRect TwipsRect(int left, int top, int width, int height, double zoom = 1.0);
QRect TwipsRect(const QRect& twips, double zoom);

}  // namespace kelvasta
