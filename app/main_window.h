#pragma once

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/names/test_names.h"
#include "app/power/planning_state.h"
#include "interchange/work_file.h"
#include "interchange/workbook.h"

#include <QMainWindow>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLineEdit;

namespace kelvasta {

class AboutWindow;
struct CleanedValues;
struct ColumnChoice;
struct HeaderNames;
struct LeftOutRows;
class Desktop;
class DetailsPane;
class WindowHistory;
class HelpWindow;
class NamesDialog;
class WorkRecovery;
class PowerWindow;

// The one window of the program. It owns every control, list and piece of
// state; handlers run inside control events, one at a time, and cells written
// from code run their own change handling at once, nested.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(Desktop& desktop, QWidget* parent = nullptr);

  // Prepares the window: centres it, fills the value lists and numbers the
  // rows. Runs once, before the window is first shown.
  void Load();
  // Resets the window to the empty state of test `index` (0 to 7) and shows
  // its panels.
  void SelectTest(int index);

  int CurrentTest() const { return currentTest_; }
  const Controls& controls() const { return c_; }
  const Storage& storage() const { return storage_; }
  // For benchmarks and tests that need lists larger than anyone types.
  Storage& storage() { return storage_; }
  // Every named control, in the order the form creates them.
  const std::vector<QWidget*>& namedControls() const { return factory_.controls(); }
  // The menu entries, for the automation script.
  QList<QAction*> menuEntries() const;
  // The version window once it was first used, else null.
  const AboutWindow* aboutWindow() const { return about_; }
  // The help window once it was first used, else null.
  const HelpWindow* helpWindow() const { return help_; }
  // The planning window once it was first opened, else null; and the window,
  // created (hidden) when it is not there yet.
  PowerWindow* powerWindow() const { return power_; }
  PowerWindow& ensurePowerWindow();
  // "样本量与检验效能…": shows the planning window on the selected test's design.
  void ShowPowerWindow();

  // Spreadsheet interchange of the value lists of the selected test.
  void ImportFromSpreadsheet();
  // Imports `path` as the import entry would after its dialog (one step of
  // the history); nothing while import is not enabled.
  void ImportFile(const QString& path);
  // "导入数据（选择列）…": the file, then its sheet and columns, then the import.
  void ImportChosenColumns();
  void ExportToSpreadsheet();
  // The work file: "打开…", "保存", "另存为…". Opening replaces the window's
  // data as one step of the history; a file that cannot be read says why and
  // changes nothing.
  void OpenWork();
  void OpenWorkFile(const QString& path);
  // False when the work was not saved (cancelled or failed, with a message).
  bool SaveWork();
  bool SaveWorkAs();
  // The open work file's path, or "" when none is open.
  const QString& workFile() const { return workFile_; }
  // The window's data differs from the work file (or, without one, from the
  // window at start).
  bool isModified() const;
  // The window holds typed data: a list item or a data cell that is not empty.
  bool holdsData() const;
  // The work as it stands, and the same written back into the window (the
  // data replayed through the panels' own handling, then what it shows that
  // the data alone does not decide). CheckWork names what in a work does not
  // fit this window ("" when all fits); ApplyWork needs a work that fits.
  WorkFile CaptureWork() const;
  QString CheckWork(const WorkFile& work) const;
  void ApplyWork(WorkFile work);
  // Outside script mode, at start: offers the work an unclean end left in a
  // recovery file. RestoreRecovered puts such a work into the window as one
  // step of the history, unsaved.
  void OfferRecovery();
  void RestoreRecovered(WorkFile work);
  bool askRecovery();
  // "退出" or closing the window: outside script mode, unsaved typed data is
  // first offered for saving; false when the user cancels.
  bool mayEnd();
  // The planning window's part of the work: what it holds, or nullopt while
  // it has none, and the same written back.
  std::optional<PlanningState> planningState() const;
  void restorePlanning(const PlanningState& state);

  // A message box titled "提示" with `text`.
  void ShowNotice(const QString& text);
  // The version window, created on first use and kept.
  void ShowAboutWindow();
  void OpenHomePage();
  void OpenTutorial();
  void OpenHelp();

  // The details pane at the right of the panels.
  // Undo and redo over the window's data.
  WindowHistory& history() { return *history_; }
  DetailsPane& detailsPane() { return *details_; }
  const DetailsPane& detailsPane() const { return *details_; }
  // "统计详情": shows or hides the details pane; the window grows or shrinks
  // by its width and the form stays where it is. Kept between runs, except
  // in script mode.
  void SetDetailsShown(bool shown);
  // "复制结果": the selected test's inputs, captions, figures and sentence
  // onto the clipboard; the planning window's results while it is the
  // active window.
  void CopyResults();

  // The names the user gave the selected test's groups, rows, columns,
  // grades and variables, and every test's. SetName names `key` of the
  // selected test (an empty text gives back its default; a key the test
  // lacks changes nothing), at once and as one step of the history.
  const TestNames& names() const { return names_.at(std::size_t(currentTest_)); }
  const NameBook& nameBook() const { return names_; }
  void SetName(const QString& key, const QString& text);
  // "名称与单位…": the dialog that edits the selected test's names.
  void ShowNamesDialog();
  const NamesDialog& namesDialog() const { return *namesDialog_; }

  // The form's zoom in percent (100 = the form's own size). Positions, sizes,
  // fonts and icons all scale; the window grows or shrinks with the form,
  // within the screen's available area, and scrolls where it is smaller.
  int Zoom() const { return zoom_; }
  // Driven by a script: no screen to fit, no questions asked.
  bool scriptMode() const;
  void SetZoom(int percent);
  // Outside script mode: the zoom and place kept from the last run, else the
  // largest zoom that fits the screen, the window inside its available area.
  void PlaceOnScreen();

 signals:
  // "退出" was chosen or the window was closed: the program ends at once.
  void exitRequested();
  // The form's zoom changed to `percent`.
  void zoomChanged(int percent);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A workbook or text table dropped on the window is imported.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class WindowHistory;
  // What an import did: whether the lists were replaced, and what to tell.
  struct ImportOutcome {
    bool imported = false;
    QString notice;
  };
  // Read the workbook and replace the lists; a refused file changes nothing.
  ImportOutcome importWorkbook(const QString& path);
  ImportOutcome importChosen(const QString& path, const ColumnChoice& choice);
  // Loads `sheet` unless its lists would be empty, and says what was left out.
  ImportOutcome finishImport(const QString& path, SheetColumns sheet, const CleanedValues& cleaned,
                             const LeftOutRows* left, bool chosen);
  void loadImported(SheetColumns sheet);
  // The recently imported files, newest first, in the File menu.
  void rememberImport(const QString& path);
  void showRecentImports();
  // The recently saved or opened work files, likewise.
  void rememberWorkFile(const QString& path);
  void showRecentWorkFiles();
  bool saveTo(const QString& path);
  // The caption: the program's name, with the work file's name and the
  // modified mark once one is open.
  void showWorkCaption();
  void quit();
  void buildForm();
  void buildMenus();
  void wireToolStrip();
  void setPressedLook(int item, bool pressed);
  AboutWindow& ensureAboutWindow();
  HelpWindow& ensureHelpWindow();
  void setSpreadsheetItemsEnabled(bool enabled);
  void buildDetailsPane();
  void buildNamesDialog();
  // Every test's names replaced, shown in the dialog and the pane.
  void setNameBook(const NameBook& names);
  // The dialog and the pane follow the selected test's names.
  void showNames();
  // The header texts of a chosen-columns import as the lists' names.
  void nameLists(const HeaderNames& names);
  void placeDetailsPane();
  void applyDetailsShown(bool shown);
  // The form at the current zoom: every control re-placed, fonts and icons scaled.
  void layOutForm(double from, double to);
  void paintToolIcons();
  // Sizes the window to the form and pane, within the available area
  // outside script mode.
  void fitWindow();
  void keepPlacement() const;

  Desktop& desktop_;
  ControlFactory factory_;
  Controls c_;
  Storage storage_;
  int currentTest_ = 0;
  QAction* importAction_ = nullptr;
  QAction* exportAction_ = nullptr;
  QAction* columnsAction_ = nullptr;
  AboutWindow* about_ = nullptr;
  HelpWindow* help_ = nullptr;
  PowerWindow* power_ = nullptr;
  DetailsPane* details_ = nullptr;
  NamesDialog* namesDialog_ = nullptr;
  NameBook names_;
  WindowHistory* history_ = nullptr;
  QList<QAction*> recentActions_;
  QStringList recentImports_;
  QList<QAction*> recentWorkActions_;
  QStringList recentWorkFiles_;
  QString workFile_;
  std::uint64_t savedState_ = 0;
  // The planning window was edited since the work was last saved or opened
  // (its edits are not steps of the history).
  bool planningEdited_ = false;
  WorkRecovery* recovery_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* detailsAction_ = nullptr;
  QSize formSize_;
  QSize formTwips_;
  QWidget* client_ = nullptr;  // the form, laid out in twips
  QWidget* host_ = nullptr;    // the scrolled form and, beside it, the details pane
  int zoom_ = 100;
};

}  // namespace kelvasta
