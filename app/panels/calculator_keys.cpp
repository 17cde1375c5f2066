// The pocket calculator inside Frame4: the display and its keypad.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panels.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace kelvasta {

void BuildCalculator(QWidget* frame4, Controls& c, ControlFactory& f) {
  constexpr int kKeyWidth = 460;
  constexpr int kKeyHeight = 315;
  constexpr int kColumnLefts[4] = {120, 660, 1200, 1740};
  constexpr int kRowTops[4] = {1200, 1560, 1920, 2280};

  c.Text5 =
      f.cell(frame4, ControlName("Text5"), 120, 300, 2100, 345, Qt::AlignRight | Qt::AlignVCenter);
  c.Text5->setText(QStringLiteral("0"));

  const auto key = [&](const QString& name, const QString& caption, int left, int top) {
    return f.button(frame4, name, caption, left, top, kKeyWidth, kKeyHeight);
  };

  c.Command22 = key(ControlName("Command22"), QStringLiteral("CE"), 1200, 780);
  c.Command21 = key(ControlName("Command21"), QStringLiteral("C"), 1740, 780);

  // Digits 7 8 9 / 4 5 6 / 1 2 3 in the first three columns, then 0 and ".".
  for (int i = 0; i < 9; ++i) {
    const int digit = 7 - 3 * (i / 3) + i % 3;
    c.Command2.add(i, key(ControlName("Command2", i), QString::number(digit), kColumnLefts[i % 3],
                          kRowTops[i / 3]));
  }
  c.Command2.add(
      9, key(ControlName("Command2", 9), QStringLiteral("0"), kColumnLefts[0], kRowTops[3]));
  c.Command2.add(
      10, key(ControlName("Command2", 10), QStringLiteral("."), kColumnLefts[1], kRowTops[3]));
  c.Command4 = key(ControlName("Command4"), QStringLiteral("="), kColumnLefts[2], kRowTops[3]);

  // Operators down the right-hand column.
  c.Command5 = key(ControlName("Command5"), QStringLiteral("÷"), kColumnLefts[3], kRowTops[0]);
  c.Command6 = key(ControlName("Command6"), QStringLiteral("×"), kColumnLefts[3], kRowTops[1]);
  c.Command7 = key(ControlName("Command7"), QStringLiteral("+"), kColumnLefts[3], kRowTops[2]);
  c.Command8 = key(ControlName("Command8"), QStringLiteral("-"), kColumnLefts[3], kRowTops[3]);
}

}  // namespace kelvasta
