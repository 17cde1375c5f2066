// The form's zoom: the steps, fitting the screen, and the window at a zoom.
#include "tests/app/script_fixture.h"

#include "app/control_factory.h"
#include "app/details/details_pane.h"
#include "app/twips.h"
#include "app/zoom/zoom_steps.h"

#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace kelvasta::testing {
namespace {

TEST(ZoomSteps, MoveByTenPercentWithinFiftyAndThreeHundred) {
  struct Case {
    int from, in, out, valid;
  };
  const Case cases[] = {
      {100, 110, 90, 100}, {50, 60, 50, 50},    {300, 300, 290, 300}, {290, 300, 280, 290},
      {104, 110, 100, 100}, {105, 110, 100, 110}, {10, 60, 50, 50},     {999, 300, 290, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    EXPECT_EQ(ZoomedIn(c.from), c.in);
    EXPECT_EQ(ZoomedOut(c.from), c.out);
    EXPECT_EQ(ValidZoom(c.from), c.valid);
  }
}

TEST(ZoomSteps, FittingZoomIsTheLargestStepThatFits) {
  // The form with the pane is 982 x 509 at 100 %; the menu bar and frame add
  // 16 x 65 that do not scale.
  const QSize form(982, 509);
  const QSize chrome(16, 65);
  struct Case {
    const char* name;
    QSize available;
    int zoom;
  };
  const Case cases[] = {
      {"1366x768 at 96 dpi", {1366, 728}, 130},
      {"1920x1080 at 96 dpi", {1920, 1040}, 190},
      {"1366x768 at 150 %", {910, 485}, 80},  // 982 * 0.8 + 16 = 802; 509 * 0.8 + 65 = 473
      {"1366x768 at 200 %", {683, 364}, 50},  // nothing fits: the smallest zoom, scrolled
      {"exactly 100 %", {998, 574}, 100},
      {"a pixel short of 100 %", {997, 574}, 90},
      {"a huge screen", {7680, 4320}, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FittingZoom(form, chrome, c.available), c.zoom);
  }
}

using ZoomWindowTest = ScriptTest;

TEST_F(ZoomWindowTest, EveryControlFontAndThePaneScaleAndComeBackExactly) {
  const QWidget* cell = window_->controls().Text1(0);
  const QWidget* button = window_->controls().Command1(0);
  const QRect cellAt100 = cell->geometry();
  const double fontAt100 = button->font().pointSizeF();
  const QSize windowAt100 = window_->size();
  const int paneAt100 = window_->detailsPane().width();

  struct Step {
    const char* command;
    int zoom;
  };
  const Step steps[] = {{"menu 放大", 110}, {"menu 放大", 120}, {"menu 实际大小", 100}, {"menu 缩小", 90},
                        {"menu 缩小", 80},  {"menu 缩小", 70},  {"menu 缩小", 60},     {"menu 缩小", 50},
                        {"menu 缩小", 50}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command + QString::number(step.zoom).toStdString());
    const QJsonObject dump = RunAndDump(QString::fromUtf8(step.command));
    EXPECT_EQ(dump.value(QStringLiteral("zoom")).toInt(), step.zoom);
    const double zoom = step.zoom / 100.0;
    EXPECT_EQ(cell->geometry(), TwipsRect(FormTwips(cell), zoom));
    EXPECT_NEAR(button->font().pointSizeF(), fontAt100 * zoom, 1e-9);
    EXPECT_EQ(window_->detailsPane().width(), TwipsToPixels(4800, zoom));
    // Scripts always see the whole form, at any zoom.
    EXPECT_EQ(window_->size(), window_->maximumSize());
  }
  EXPECT_EQ(Run(QStringLiteral("menu 实际大小")).status, 0);
  EXPECT_EQ(cell->geometry(), cellAt100);
  EXPECT_EQ(button->font().pointSizeF(), fontAt100);
  EXPECT_EQ(window_->size(), windowAt100);
  EXPECT_EQ(window_->detailsPane().width(), paneAt100);
}

TEST_F(ZoomWindowTest, ZoomKeepsTheDataAndWidgetsMadeLaterFollowIt) {
  const QString typed = QStringLiteral(
      "click Command1(3)\nclick Command1(0)\nset Text1(0) 12.5\nset Text1(1) 13\nset Text2(0) 11\nset Text2(1) 10.5\n");
  const QJsonObject before = RunAndDump(typed);
  const QJsonObject zoomed = RunAndDump(QStringLiteral("menu 放大\nmenu 放大\n") + typed);
  EXPECT_EQ(zoomed.value(QStringLiteral("controls")), before.value(QStringLiteral("controls")));
  EXPECT_EQ(Details(zoomed), Details(before));
  // The bold face of the chosen test button keeps the zoomed size.
  EXPECT_NEAR(window_->controls().Command1(0)->font().pointSizeF(),
              window_->controls().Command1(1)->font().pointSizeF(), 1e-9);
  EXPECT_TRUE(window_->controls().Command1(0)->font().bold());
}

// The pane's headings carry a font of their own: after zooming either way
// they stand at the size a start at that zoom gives them (nine tenths of
// the table's, bold).
TEST_F(ZoomWindowTest, PaneHeadingsFollowTheZoomBothWays) {
  const auto* table = window_->detailsPane().findChild<QTableWidget*>(QStringLiteral("DetailsTable"));
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(Run(QStringLiteral("set Text1(0) 1\nset Text1(1) 2\nset Text2(0) 3\nset Text2(1) 5\ndump")).status, 0);
  for (const char* step : {"menu 放大", "menu 放大", "menu 放大", "menu 实际大小", "menu 缩小", "menu 缩小"}) {
    SCOPED_TRACE(step);
    ASSERT_EQ(Run(QString::fromUtf8(step) + QStringLiteral("\ndump")).status, 0);
    int headings = 0;
    for (int r = 0; r < table->rowCount(); ++r) {
      if (table->columnSpan(r, 0) != 2 || table->item(r, 0) == nullptr) continue;
      ++headings;
      EXPECT_NEAR(table->item(r, 0)->font().pointSizeF(), table->font().pointSizeF() * 0.9, 1e-9);
    }
    EXPECT_GT(headings, 0);
  }
}

}  // namespace
}  // namespace kelvasta::testing
