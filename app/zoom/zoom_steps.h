#pragma once

#include <QSize>

namespace kelvasta {

// The form's zoom, in percent: 50 to 300 in steps of 10.
inline constexpr int kMinZoom = 50;
inline constexpr int kMaxZoom = 300;
inline constexpr int kZoomStep = 10;

// The next step up or down from `percent`; a value between steps goes to
// the nearest step in that direction.
int ZoomedIn(int percent);
int ZoomedOut(int percent);
// `percent` brought onto a step within the range.
int ValidZoom(int percent);

// The largest zoom at which a form of `form` pixels at 100 %, plus `chrome`
// pixels that do not scale (menu bar, window frame), fits `available`; the
// smallest zoom when nothing fits. At least 100 % whenever 100 % fits.
int FittingZoom(QSize form, QSize chrome, QSize available);

}  // namespace kelvasta
