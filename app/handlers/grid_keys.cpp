#include "app/handlers/grid_keys.h"

#include "app/controls.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <map>

namespace kelvasta {

namespace {

QRect FrameRect(const QWidget* widget, const QWidget* frame) {
  return QRect(widget->mapTo(frame, QPoint(0, 0)), widget->size());
}

template <class Widget>
std::vector<QWidget*> Widgets(const ControlArray<Widget>& array) {
  std::vector<QWidget*> widgets;
  for (const auto& [index, widget] : array) widgets.push_back(widget);
  return widgets;
}

// Moves the focus along one grid's cells.
class GridKeys : public QObject {
 public:
  explicit GridKeys(QObject* parent) : QObject(parent) {}

  void addGrid(const std::vector<QWidget*>& cells) {
    if (cells.empty()) return;
    const std::vector<QWidget*> ordered = ReadingOrder(cells, cells.front()->parentWidget());
    for (std::size_t i = 0; i < ordered.size(); ++i) {
      QWidget* previous = ordered[i == 0 ? 0 : i - 1];
      QWidget* next = ordered[std::min(i + 1, ordered.size() - 1)];
      neighbours_[ordered[i]] = {previous, next};
      ordered[i]->installEventFilter(this);
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto found = neighbours_.find(watched);
    if (found == neighbours_.end()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    QWidget* target = nullptr;
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Down:
        target = found->second.second;
        break;
      case Qt::Key_Up:
        target = found->second.first;
        break;
      default:
        return false;
    }
    // The press moves; the release is taken too, as the value lists do.
    if (event->type() == QEvent::KeyPress && target != watched) {
      target->setFocus(Qt::OtherFocusReason);
      if (auto* cell = qobject_cast<QLineEdit*>(target)) cell->end(false);
    }
    return true;
  }

 private:
  std::map<const QObject*, std::pair<QWidget*, QWidget*>> neighbours_;  // previous, next
};

// Turns wheel notches over the cells into moves of their scroll bar.
class ListWheel : public QObject {
 public:
  static constexpr int kRowsPerNotch = 3;
  static constexpr int kNotch = 120;  // QWheelEvent's eighths of a degree per notch

  explicit ListWheel(QObject* parent) : QObject(parent) {}

  void addList(const std::vector<QWidget*>& cells, QScrollBar* bar) {
    for (QWidget* cell : cells) {
      bars_[cell] = bar;
      cell->installEventFilter(this);
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    const auto found = bars_.find(watched);
    if (found == bars_.end()) return false;
    QScrollBar* bar = found->second;
    // Fine-grained devices send parts of a notch; they add up.
    int& pending = pending_[bar];
    pending += static_cast<QWheelEvent*>(event)->angleDelta().y();
    const int notches = pending / kNotch;
    pending -= notches * kNotch;
    // Turning the wheel away from the user shows earlier rows.
    if (notches != 0) bar->setValue(bar->value() - notches * kRowsPerNotch);
    return true;
  }

 private:
  std::map<const QObject*, QScrollBar*> bars_;
  std::map<const QScrollBar*, int> pending_;
};

// The widgets under `frame` that Tab can reach, in reading order.
std::vector<QWidget*> TabStops(QWidget* frame) {
  std::vector<QWidget*> stops;
  for (QWidget* widget : frame->findChildren<QWidget*>())
    if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr) stops.push_back(widget);
  return ReadingOrder(std::move(stops), frame);
}

}  // namespace

std::vector<QWidget*> ReadingOrder(std::vector<QWidget*> widgets, const QWidget* frame) {
  std::stable_sort(widgets.begin(), widgets.end(), [frame](const QWidget* a, const QWidget* b) {
    return FrameRect(a, frame).top() < FrameRect(b, frame).top();
  });
  std::vector<QWidget*> ordered;
  auto rowStart = widgets.begin();
  while (rowStart != widgets.end()) {
    const int middle = FrameRect(*rowStart, frame).center().y();
    const auto rowEnd = std::find_if(rowStart, widgets.end(), [&](const QWidget* w) {
      return FrameRect(w, frame).top() > middle;
    });
    std::vector<QWidget*> row(rowStart, rowEnd);
    std::stable_sort(row.begin(), row.end(), [frame](const QWidget* a, const QWidget* b) {
      return FrameRect(a, frame).left() < FrameRect(b, frame).left();
    });
    ordered.insert(ordered.end(), row.begin(), row.end());
    rowStart = rowEnd;
  }
  return ordered;
}

void InstallGridKeys(const Controls& c, QObject* owner) {
  auto* keys = new GridKeys(owner);
  keys->addGrid(Widgets(c.Text11));
  keys->addGrid(Widgets(c.Text111));
  keys->addGrid(Widgets(c.Text12));
  keys->addGrid(Widgets(c.Text4));
  keys->addGrid(Widgets(c.Text41));
}

void InstallListWheel(const Controls& c, QObject* owner) {
  auto* wheel = new ListWheel(owner);
  for (const auto* column : {&c.Text1, &c.Text2}) wheel->addList(Widgets(*column), c.VS1);
  for (const auto* column : {&c.Text30, &c.Text40, &c.Text50}) wheel->addList(Widgets(*column), c.VSl1);
}

void ChainTabOrder(const Controls& c) {
  std::vector<QWidget*> chain = ReadingOrder(Widgets(c.Command1), c.Frame2);
  std::vector<QWidget*> panels = {c.Picture2, c.Picture6, c.Picture7, c.Picture8, c.Picture9};
  for (const auto& [index, panel] : c.Picture4) panels.push_back(panel);
  panels.push_back(c.Frame4);
  for (QWidget* panel : panels) {
    const std::vector<QWidget*> stops = TabStops(panel);
    chain.insert(chain.end(), stops.begin(), stops.end());
  }
  for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace kelvasta
