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
  virtual ~Desktop() = default;
  virtual void showMessage(QWidget* owner, const QString& title, const QString& text) = 0;
  virtual void openUrl(const QString& address) = 0;
  // The chosen path, or an empty text when the user cancels.
  virtual QString askOpenFile(QWidget* owner, const QString& title, const QString& filter) = 0;
  virtual QString askSaveFile(QWidget* owner, const QString& title, const QString& filter) = 0;
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
  QString askSaveFile(QWidget* owner, const QString& title, const QString& filter) override;
  std::optional<ColumnChoice> askColumns(QWidget* owner, const QString& path, int lists) override;
  std::optional<ChartSaveChoice> askChartFile(QWidget* owner, const QString& suggestedName) override;
};

// A desktop without a screen: messages and addresses are recorded, dialogs
// take their answers from a queue (an empty queue cancels).
class RecordingDesktop final : public Desktop {
 public:
  struct Message {
    QString title;
    QString text;
  };

  void showMessage(QWidget* owner, const QString& title, const QString& text) override;
  void openUrl(const QString& address) override;
  QString askOpenFile(QWidget* owner, const QString& title, const QString& filter) override;
  QString askSaveFile(QWidget* owner, const QString& title, const QString& filter) override;

  std::optional<ColumnChoice> askColumns(QWidget* owner, const QString& path, int lists) override;
  // The next answer is the path; the chart keeps its default size.
  std::optional<ChartSaveChoice> askChartFile(QWidget* owner, const QString& suggestedName) override;

  void queueAnswer(const QString& path) { answers_.push_back(path); }
  // The next column chooser takes this choice (an empty queue cancels).
  void queueColumns(ColumnChoice choice) { columns_.push_back(std::move(choice)); }
  // What happened since the previous call.
  std::vector<Message> takeMessages() { return std::exchange(messages_, {}); }
  QStringList takeOpened() { return std::exchange(opened_, {}); }

 private:
  QString nextAnswer();

  std::deque<QString> answers_;
  std::deque<ColumnChoice> columns_;
  std::vector<Message> messages_;
  QStringList opened_;
};

}  // namespace kelvasta
