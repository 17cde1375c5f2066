#pragma once

#include <QString>
#include <QStringList>

#include "app/chart/chart_save_dialog.h"
#include "interchange/column_choice.h"

#include <deque>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

namespace kelvasta {

// What the window asks of the desktop: message boxes, file dialogs and
// opening web addresses. The script mode answers these itself.
class Desktop {
 public:
  // The answers to "是否保存对当前数据的修改？".
  enum class SaveChoice { Save, Discard, Cancel };

  virtual ~Desktop() = default;
  virtual void showMessage(QWidget* owner, const QString& title, const QString& text) = 0;
  virtual void openUrl(const QString& address) = 0;
  // The chosen path, or an empty text when the user cancels.
  virtual QString askOpenFile(QWidget* owner, const QString& title, const QString& filter) = 0;
  // `chosenFilter`, when given, receives the file type the user picked
  // (one entry of `filter`), or "" when none can be told.
  virtual QString askSaveFile(QWidget* owner, const QString& title, const QString& filter,
                              QString* chosenFilter = nullptr) = 0;
  // "保存" / "不保存" / "取消" for the unsaved work.
  virtual SaveChoice askSaveChanges(QWidget* owner) = 0;
  // A question answered with yes or no.
  virtual bool askYesNo(QWidget* owner, const QString& title, const QString& text) = 0;
  // The columns of `path` that fill `lists` value lists, or nullopt when the
  // user cancels.
  virtual std::optional<ColumnChoice> askColumns(QWidget* owner, const QString& path, int lists) = 0;
  // Where and how to save a chart offered as `suggestedName`; nullopt
  // when the user cancels.
  virtual std::optional<ChartSaveChoice> askChartFile(QWidget* owner, const QString& suggestedName) = 0;
};

// The real desktop: modal message boxes, the platform's file dialogs and
// its browser.
class SystemDesktop final : public Desktop {
 public:
  void showMessage(QWidget* owner, const QString& title, const QString& text) override;
  void openUrl(const QString& address) override;
  QString askOpenFile(QWidget* owner, const QString& title, const QString& filter) override;
  QString askSaveFile(QWidget* owner, const QString& title, const QString& filter,
                      QString* chosenFilter = nullptr) override;
  SaveChoice askSaveChanges(QWidget* owner) override;
  bool askYesNo(QWidget* owner, const QString& title, const QString& text) override;
  std::optional<ColumnChoice> askColumns(QWidget* owner, const QString& path, int lists) override;
  std::optional<ChartSaveChoice> askChartFile(QWidget* owner, const QString& suggestedName) override;
};

// A desktop without a screen: messages and addresses are recorded, dialogs
// take their answers from a queue (an empty queue cancels). A save dialog
// picks the file type whose pattern the answer's name ends with. Script
// mode asks no questions: the unsaved work is kept (Cancel), and yes/no
// questions are answered no.
class RecordingDesktop final : public Desktop {
 public:
  struct Message {
    QString title;
    QString text;
  };

  void showMessage(QWidget* owner, const QString& title, const QString& text) override;
  void openUrl(const QString& address) override;
  QString askOpenFile(QWidget* owner, const QString& title, const QString& filter) override;
  QString askSaveFile(QWidget* owner, const QString& title, const QString& filter,
                      QString* chosenFilter = nullptr) override;
  SaveChoice askSaveChanges(QWidget*) override { return SaveChoice::Cancel; }
  bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }

  std::optional<ColumnChoice> askColumns(QWidget* owner, const QString& path, int lists) override;
  // The next answer is the path; the chart keeps its default size.
  std::optional<ChartSaveChoice> askChartFile(QWidget* owner, const QString& suggestedName) override;

  void queueAnswer(const QString& path) { answers_.push_back(path); }
  // The file types the last file dialog offered.
  const QString& lastFilter() const { return lastFilter_; }
  // The next column chooser takes this choice (an empty queue cancels).
  void queueColumns(ColumnChoice choice) { columns_.push_back(std::move(choice)); }
  // What happened since the previous call.
  std::vector<Message> takeMessages() { return std::exchange(messages_, {}); }
  QStringList takeOpened() { return std::exchange(opened_, {}); }

 private:
  QString nextAnswer();

  std::deque<QString> answers_;
  QString lastFilter_;
  std::deque<ColumnChoice> columns_;
  std::vector<Message> messages_;
  QStringList opened_;
};

}  // namespace kelvasta
