#pragma once

#include "app/names/test_names.h"
#include "entry/list_window.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QWidget;

namespace kelvasta {

class MainWindow;

// Undo and redo over the window's data: the value lists, every cell, the
// captions computed from them and the selected test. A step is one typed
// edit (keystrokes in the same cell run together), or one whole action such
// as a test selection or an import. Typed edits keep only the list items they
// changed; an action that replaces the lists keeps the replaced lists
// themselves, handed over rather than copied.
class WindowHistory : public QObject {
  Q_OBJECT

 public:
  explicit WindowHistory(MainWindow& window);

  // The window as it stands is the state nothing can be undone past.
  void reset();
  // Runs `action` as one step of its own. With `replacesLists`, lists it
  // empties (through ListWindow::clearLists) are kept whole for the undo.
  void runStep(const std::function<void()>& action, bool replacesLists);
  // A data cell changed: the step closes once the event at hand is done.
  void noteChange();
  // The next change starts a step of its own instead of running together
  // with the last one, so that undo can come back to the state as it is now
  // (the state just saved).
  void closeStep();

  // Names the data the window holds: it changes with every step, merged
  // keystroke, undo and redo, and comes back to an earlier value when undo
  // or redo bring back that state, so a saved state is recognised again.
  std::uint64_t stateId() const { return current_; }

  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  void undo();
  void redo();

 signals:
  void availabilityChanged();
  // stateId() changed.
  void stateChanged();

 public:
  // What the window shows and keeps besides the list items.
  struct State {
    int test = 0;
    std::vector<QString> cells;     // every entry cell but the calculator's
    std::vector<QString> captions;  // every label
    std::vector<char> hidden;       // every named control
    std::vector<char> bold;         // the test buttons
    int barValue[2]{}, barMaximum[2]{};
    int listTop[2]{}, listMaximum[2]{};
    std::vector<std::size_t> counts[2];
    std::vector<std::string> List8;
    double withinSS = 0, withinDf = 0;
    std::array<std::string, 6> Text4FromLists;
    std::array<std::string, 9> Text41FromLists;
    NameBook names;
  };

 private:
  struct Step {
    State before, after;
    std::vector<ListWindow::ItemEdit> edits[2];
    bool wholeLists = false;
    std::vector<ValueList> otherLists[2];  // with wholeLists: the lists not on screen
    const QWidget* typedIn = nullptr;      // the focused cell a typed step went into
    std::uint64_t beforeId = 0, afterId = 0;
  };

  State capture() const;
  void restore(const State& state);
  void commit();
  bool dataDiffers(const Step& step) const;
  void apply(Step& step, bool forward);
  void push(Step step);
  void setCurrent(std::uint64_t id);

  MainWindow& window_;
  std::vector<QLineEdit*> cells_;
  std::vector<std::size_t> dataCells_;  // indexes into cells_ of the grids and summary cells
  std::vector<QLabel*> labels_;
  std::vector<QWidget*> controls_;
  State last_;
  Step pending_;
  bool commitQueued_ = false;
  bool inAction_ = false;
  bool restoring_ = false;
  bool closed_ = false;
  std::uint64_t current_ = 0;
  std::uint64_t lastId_ = 0;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
};

}  // namespace kelvasta
