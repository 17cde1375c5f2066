#include "app/window_dump.h"

#include "app/about_window.h"
#include "app/chart/chart_tab.h"
#include "app/desktop.h"
#include "app/details/details_pane.h"
#include "app/details/report_export.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/names/names_dialog.h"
#include "app/power/power_export.h"
#include "app/power/power_window.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextDocumentFragment>

namespace kelvasta {

namespace {

QJsonArray Items(const std::vector<std::string>& items) {
  QJsonArray array;
  for (const std::string& item : items) array.append(QString::fromStdString(item));
  return array;
}

QString CaptionOf(const QLabel* label) {
  if (label->textFormat() == Qt::RichText) return QTextDocumentFragment::fromHtml(label->text()).toPlainText();
  return label->text();
}

QJsonObject DescribeControl(const QWidget* widget) {
  QJsonObject entry;
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    entry[QStringLiteral("text")] = CaptionOf(label);
  } else if (const auto* cell = qobject_cast<const QLineEdit*>(widget)) {
    entry[QStringLiteral("text")] = cell->text();
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    entry[QStringLiteral("text")] = button->text();
    if (widget->objectName().startsWith(QStringLiteral("Command1(")))
      entry[QStringLiteral("bold")] = button->font().bold();
    if (button->isCheckable()) entry[QStringLiteral("checked")] = button->isChecked();
  } else if (const auto* bar = qobject_cast<const QScrollBar*>(widget)) {
    entry[QStringLiteral("value")] = bar->value();
    entry[QStringLiteral("max")] = bar->maximum();
  } else if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
    entry[QStringLiteral("text")] = box->title();
  }
  // Seen if it and all its containers are shown, whether or not the window
  // itself is on a screen.
  entry[QStringLiteral("visible")] = widget->isVisibleTo(widget->window()) && !widget->isHidden();
  entry[QStringLiteral("enabled")] = widget->isEnabled();
  return entry;
}

QJsonObject DescribeWindow(const QWidget* window) {
  QJsonObject entry;
  entry[QStringLiteral("text")] = window->windowTitle();
  entry[QStringLiteral("visible")] = window->isVisible();
  entry[QStringLiteral("enabled")] = window->isEnabled();
  return entry;
}

}  // namespace

QJsonObject DumpControls(const MainWindow& window) {
  QJsonObject controls;
  controls[QStringLiteral("MainWindow")] = DescribeWindow(&window);
  for (const QWidget* widget : window.namedControls()) controls[widget->objectName()] = DescribeControl(widget);
  if (const AboutWindow* about = window.aboutWindow()) {
    controls[QStringLiteral("AboutWindow")] = DescribeWindow(about);
    for (const QWidget* widget : about->namedControls())
      controls[QStringLiteral("AboutWindow.") + widget->objectName()] = DescribeControl(widget);
  }
  if (const HelpWindow* help = window.helpWindow()) {
    controls[QStringLiteral("HelpWindow")] = DescribeWindow(help);
    for (const QWidget* widget : help->namedControls())
      controls[QStringLiteral("HelpWindow.") + widget->objectName()] = DescribeControl(widget);
  }
  if (const PowerWindow* power = window.powerWindow()) {
    controls[QStringLiteral("PowerWindow")] = DescribeWindow(power);
    for (const QWidget* widget : power->namedControls()) controls[widget->objectName()] = DescribeControl(widget);
  }
  const NamesDialog& names = window.namesDialog();
  controls[QStringLiteral("NamesDialog")] = DescribeWindow(&names);
  for (const QWidget* widget : names.namedControls()) controls[widget->objectName()] = DescribeControl(widget);
  for (const QString& name : {QStringLiteral("List1"), QStringLiteral("List2"), QStringLiteral("List3"),
                              QStringLiteral("List4"), QStringLiteral("List5"), QStringLiteral("List6"),
                              QStringLiteral("List7"), QStringLiteral("List8"), QStringLiteral("Text14")})
    controls[name] = *DumpStore(window, name);
  return controls;
}

std::optional<QJsonObject> DumpStore(const MainWindow& window, const QString& name) {
  const Storage& s = window.storage();
  const std::pair<const char*, const std::vector<std::string>*> lists[] = {
      {"List1", &s.List1().items()}, {"List2", &s.List2().items()}, {"List3", &s.List3().items()},
      {"List4", &s.List4().items()}, {"List5", &s.List5().items()}, {"List6", &s.List6},
      {"List7", &s.List7},           {"List8", &s.List8}};
  for (const auto& [listName, items] : lists)
    if (name == QLatin1String(listName)) return QJsonObject{{QStringLiteral("items"), Items(*items)}};
  if (name == u"Text14") return QJsonObject{{QStringLiteral("text"), QString::fromStdString(s.Text14)}};
  return std::nullopt;
}

std::optional<QJsonObject> DumpControl(const MainWindow& window, const QString& name) {
  if (name == u"MainWindow") return DescribeWindow(&window);
  for (const QWidget* widget : window.namedControls())
    if (widget->objectName() == name) return DescribeControl(widget);
  if (const AboutWindow* about = window.aboutWindow()) {
    const QString prefix = QStringLiteral("AboutWindow.");
    if (name == u"AboutWindow") return DescribeWindow(about);
    if (name.startsWith(prefix)) {
      for (const QWidget* widget : about->namedControls())
        if (widget->objectName() == name.mid(prefix.size())) return DescribeControl(widget);
    }
  }
  if (const HelpWindow* help = window.helpWindow()) {
    const QString prefix = QStringLiteral("HelpWindow.");
    if (name == u"HelpWindow") return DescribeWindow(help);
    if (name.startsWith(prefix)) {
      for (const QWidget* widget : help->namedControls())
        if (widget->objectName() == name.mid(prefix.size())) return DescribeControl(widget);
    }
  }
  if (const PowerWindow* power = window.powerWindow()) {
    if (name == u"PowerWindow") return DescribeWindow(power);
    for (const QWidget* widget : power->namedControls())
      if (widget->objectName() == name) return DescribeControl(widget);
  }
  if (name == u"NamesDialog") return DescribeWindow(&window.namesDialog());
  for (const QWidget* widget : window.namesDialog().namedControls())
    if (widget->objectName() == name) return DescribeControl(widget);
  return DumpStore(window, name);
}

namespace {

// Every name field of the selected test with the name given, "" for the
// default caption.
QJsonObject NamesJson(const MainWindow& window) {
  QJsonObject names;
  for (const NameField& field : NameFields(window.CurrentTest()))
    names[field.key] = window.names()(field.key, QString());
  return names;
}

QJsonArray Messages(RecordingDesktop& desktop) {
  QJsonArray messages;
  for (const RecordingDesktop::Message& m : desktop.takeMessages())
    messages.append(QJsonObject{{QStringLiteral("title"), m.title}, {QStringLiteral("text"), m.text}});
  return messages;
}

// Where the help window stands: null until it is first opened.
QJsonValue HelpState(const HelpWindow* help) {
  if (help == nullptr) return QJsonValue::Null;
  const QTextCursor selection = help->selection();
  const QJsonObject find{{QStringLiteral("visible"), help->findBarShown()},
                         {QStringLiteral("text"), help->findText()},
                         {QStringLiteral("found"), selection.selectedText()},
                         {QStringLiteral("position"), selection.selectionStart()}};
  return QJsonObject{{QStringLiteral("visible"), help->isVisible()}, {QStringLiteral("page"), help->page()},
                     {QStringLiteral("anchor"), help->anchor()},   {QStringLiteral("title"), help->title()},
                     {QStringLiteral("find"), find}};
}

}  // namespace

QJsonObject DumpWindow(const MainWindow& window, RecordingDesktop& desktop, const QJsonObject& controls) {
  const QWidget* focus = window.focusWidget();
  QJsonObject dump;
  dump[QStringLiteral("CurrentTest")] = window.CurrentTest();
  dump[QStringLiteral("focus")] = focus != nullptr ? focus->objectName() : QString();
  dump[QStringLiteral("zoom")] = window.Zoom();
  dump[QStringLiteral("work_file")] = window.workFile().isEmpty() ? QJsonValue() : QJsonValue(window.workFile());
  dump[QStringLiteral("modified")] = window.isModified();
  dump[QStringLiteral("messages")] = Messages(desktop);
  dump[QStringLiteral("opened")] = QJsonArray::fromStringList(desktop.takeOpened());
  dump[QStringLiteral("controls")] = controls;
  dump[QStringLiteral("HelpWindow")] = HelpState(window.helpWindow());
  dump[QStringLiteral("names")] = NamesJson(window);
  const DetailsPane& details = window.detailsPane();
  QJsonObject detailsJson = ReportJson(details.report());
  detailsJson[QStringLiteral("chart")] = ChartJson(details.chart().model());
  dump[QStringLiteral("details")] = detailsJson;
  const PowerWindow* power = window.powerWindow();
  dump[QStringLiteral("power")] = power != nullptr ? QJsonValue(PowerJson(*power)) : QJsonValue(QJsonValue::Null);
  const bool copied = details.hasCopied() || (power != nullptr && power->hasCopied());
  dump[QStringLiteral("clipboard")] = copied ? QGuiApplication::clipboard()->text() : QString();
  return dump;
}

}  // namespace kelvasta
