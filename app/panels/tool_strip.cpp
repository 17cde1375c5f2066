// The tool-strip items inside Frame1: an icon, a caption and a transparent
// click area over the whole item.

#include "app/click_label.h"
#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>

namespace kelvasta {

void BuildToolStrip(QWidget* frame1, Controls& c, ControlFactory& f) {
  constexpr int kItemTop = 180;
  constexpr int kItemHeight = 555;

  struct Item {
    int index;
    int left;
    int width;
    const char16_t* caption;
  };
  // Index 2 is not used by the strip.
  constexpr Item kItems[4] = {
      {0, 120, 1095, u"导入"},
      {1, 1380, 1095, u"导出"},
      {3, 2820, 1995, u"统计学傻瓜教程"},
      {4, 6360, 1155, u"帮助"},
  };

  for (const Item& item : kItems) {
    const int i = item.index;
    QWidget* holder =
        f.panel(frame1, ControlName("Picture14", i), item.left, kItemTop, item.width, kItemHeight);
    c.Picture14.add(i, holder);
    c.Image7.add(
        i, f.label(holder, ControlName("Image7", i), QString(), 60, 60, 480, 435, Qt::AlignCenter));
    c.Label15.add(i, f.label(holder, ControlName("Label15", i), QString::fromUtf16(item.caption),
                             660, 180, item.width - 700, panels::kLabelHeight));
    // Created last so that it lies above the icon and the caption.
    c.Label28.add(i,
                  f.clickLabel(holder, ControlName("Label28", i), 0, 0, item.width, kItemHeight));
  }
}

}  // namespace kelvasta
