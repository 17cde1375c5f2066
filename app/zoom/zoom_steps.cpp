#include "app/zoom/zoom_steps.h"

#include <algorithm>

namespace kelvasta {

int ValidZoom(int percent) {
  const int clamped = std::clamp(percent, kMinZoom, kMaxZoom);
  return (clamped + kZoomStep / 2) / kZoomStep * kZoomStep;
}

int ZoomedIn(int percent) {
  const int clamped = std::clamp(percent, kMinZoom, kMaxZoom);
  return std::min(kMaxZoom, clamped / kZoomStep * kZoomStep + kZoomStep);
}

int ZoomedOut(int percent) {
  const int clamped = std::clamp(percent, kMinZoom, kMaxZoom);
  return std::max(kMinZoom, (clamped + kZoomStep - 1) / kZoomStep * kZoomStep - kZoomStep);
}

int FittingZoom(QSize form, QSize chrome, QSize available) {
  const auto fits = [&](int percent) {
    // Rounded up: a window a pixel too large is still cut off.
    const auto scaled = [percent](int pixels) { return (pixels * percent + 99) / 100; };
    return scaled(form.width()) + chrome.width() <= available.width() &&
           scaled(form.height()) + chrome.height() <= available.height();
  };
  for (int percent = kMaxZoom; percent > kMinZoom; percent -= kZoomStep)
    if (fits(percent)) return percent;
  return kMinZoom;
}

}  // namespace kelvasta
