#pragma once

#include <QRect>

namespace kelvasta {

// The form is laid out in twips (1/1440 inch). Pixels follow the screen's
// logical DPI: 15 twips a pixel at 96 DPI.
int TwipsToPixels(int twips);
QRect TwipsRect(int left, int top, int width, int height);

}  // namespace kelvasta
