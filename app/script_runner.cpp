#include "app/script_runner.h"

#include "app/about_window.h"
#include "app/chart/chart_tab.h"
#include "app/chart/chart_view.h"
#include "app/click_label.h"
#include "app/desktop.h"
#include "app/details/details_pane.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/names/names_dialog.h"
#include "app/power/power_window.h"
#include "app/window_dump.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextStream>

#include <stdexcept>

namespace kelvasta {

namespace {

// A line that cannot be carried out.
class ScriptError : public std::runtime_error {
 public:
  explicit ScriptError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Splits "WORD REST" at the first blank; REST is verbatim and may be empty.
std::pair<QString, QString> SplitFirst(const QString& text) {
  const qsizetype blank = text.indexOf(QLatin1Char(' '));
  if (blank < 0) return {text, QString()};
  return {text.left(blank), text.mid(blank + 1)};
}

template <class Widget>
Widget* As(QWidget* widget, const char* command) {
  auto* typed = qobject_cast<Widget*>(widget);
  if (typed == nullptr)
    throw ScriptError(QStringLiteral("%1 does not fit %2").arg(QLatin1String(command), widget->objectName()));
  return typed;
}

void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButtons buttons) {
  const QPointF local = QRectF(target->rect()).center();
  QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void SendKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

// Qt's key codes for printable ASCII are the upper-case character codes.
int KeyFor(char32_t ch) {
  if (ch >= U'a' && ch <= U'z') return Qt::Key_A + int(ch - U'a');
  if (ch > U' ' && ch < 0x7f) return int(ch);
  if (ch == U' ') return Qt::Key_Space;
  return Qt::Key_unknown;
}

void FocusAtEnd(QLineEdit* cell) {
  cell->setFocus(Qt::OtherFocusReason);
  cell->end(false);
}

// "savechart [WIDTHxHEIGHT[@DPI]] PATH": the chart of the selected test, its
// format by the extension, its size in centimetres (12x9 when left out) and
// a PNG's resolution (300 dpi when left out).
void SaveChartCommand(MainWindow& window, const QString& rest) {
  static const QRegularExpression kSized(
      QStringLiteral("^(\\d+(?:\\.\\d+)?)x(\\d+(?:\\.\\d+)?)(?:@(\\d+))? (.+)$"));
  ChartFileOptions options;
  QString path = rest;
  if (const QRegularExpressionMatch sized = kSized.match(rest); sized.hasMatch()) {
    options.sizeCm = QSizeF(sized.captured(1).toDouble(), sized.captured(2).toDouble());
    if (!sized.captured(3).isEmpty()) options.dpi = sized.captured(3).toInt();
    path = sized.captured(4);
  }
  window.detailsPane().ensureCurrent();
  const ChartTab& chart = window.detailsPane().chart();
  options.title = chart.documentTitle();
  if (!SaveChart(chart.model(), path, options)) throw ScriptError(QStringLiteral("cannot write %1").arg(path));
}

}  // namespace

ScriptRunner::ScriptRunner(MainWindow& window, RecordingDesktop& desktop, QTextStream& out, QTextStream& err)
    : window_(window), desktop_(desktop), out_(out), err_(err) {
  QObject::connect(&window_, &MainWindow::exitRequested, &window_, [this] { exited_ = true; });
}

int ScriptRunner::run(QTextStream& script) {
  int number = 0;
  while (!script.atEnd() && !exited_) {
    QString line = script.readLine();
    ++number;
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const auto [command, rest] = SplitFirst(line);
    try {
      execute(command, rest);
    } catch (const ScriptError& error) {
      out_.flush();
      err_ << "line " << number << ": " << QString::fromStdString(error.what()) << Qt::endl;
      return kBadScript;
    }
    QApplication::processEvents();
  }
  out_.flush();
  return 0;
}

void ScriptRunner::execute(const QString& command, const QString& rest) {
  if (command == u"click") return click(rest);
  if (command == u"set") return set(rest);
  if (command == u"type") return type(rest);
  if (command == u"key") return key(rest);
  if (command == u"scroll") return scroll(rest);
  if (command == u"menu") return menu(rest);
  if (command == u"answer") return desktop_.queueAnswer(rest);
  if (command == u"dump") return dump(rest);
  if (command == u"grab") return grab(rest);
  if (command == u"clip") return clip(rest);
  if (command == u"columns") return columns(rest);
  if (command == u"drop") return drop(rest);
  if (command == u"savechart") return SaveChartCommand(window_, rest);
  throw ScriptError(QStringLiteral("unknown command %1").arg(command));
}

QWidget* ScriptRunner::control(const QString& name) const {
  for (QWidget* widget : window_.namedControls())
    if (widget->objectName() == name) return widget;
  // The version window's controls carry its name in front of their own.
  const QString prefix = QStringLiteral("AboutWindow.");
  if (const AboutWindow* about = window_.aboutWindow(); about != nullptr && name.startsWith(prefix)) {
    for (QWidget* widget : about->namedControls())
      if (widget->objectName() == name.mid(prefix.size())) return widget;
  }
  const QString helpPrefix = QStringLiteral("HelpWindow.");
  if (const HelpWindow* help = window_.helpWindow(); help != nullptr && name.startsWith(helpPrefix)) {
    for (QWidget* widget : help->namedControls())
      if (widget->objectName() == name.mid(helpPrefix.size())) return widget;
  }
  // The planning window's controls are named "Power.<…>" themselves.
  if (const PowerWindow* power = window_.powerWindow(); power != nullptr && name.startsWith(QStringLiteral("Power."))) {
    for (QWidget* widget : power->namedControls())
      if (widget->objectName() == name) return widget;
  }
  // The names dialog's cells exist, hidden, from the start.
  if (name.startsWith(QStringLiteral("Names."))) {
    for (QWidget* widget : window_.namesDialog().namedControls())
      if (widget->objectName() == name) return widget;
  }
  throw ScriptError(QStringLiteral("unknown control %1").arg(name));
}

// A person clicks or types into a window, which makes it the active one:
// "复制结果" then copies that window's results.
void ScriptRunner::activate(QWidget* target) const {
  QWidget* window = target->window();
  if (window == QApplication::activeWindow() || !window->isVisible()) return;
  window->activateWindow();
  QApplication::processEvents();
}

void ScriptRunner::click(const QString& rest) {
  QWidget* target = control(rest);
  if (qobject_cast<QAbstractButton*>(target) == nullptr && qobject_cast<ClickLabel*>(target) == nullptr)
    throw ScriptError(QStringLiteral("click does not fit %1").arg(rest));
  if (!target->isEnabled()) return;
  activate(target);
  SendMouse(target, QEvent::MouseButtonPress, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, Qt::NoButton);
}

void ScriptRunner::set(const QString& rest) {
  const auto [name, text] = SplitFirst(rest);
  auto* cell = As<QLineEdit>(control(name), "set");
  activate(cell);
  cell->setText(text);
}

void ScriptRunner::type(const QString& rest) {
  const auto [name, text] = SplitFirst(rest);
  auto* cell = As<QLineEdit>(control(name), "type");
  activate(cell);
  FocusAtEnd(cell);
  for (char32_t ch : text.toUcs4()) SendKey(cell, KeyFor(ch), QString::fromUcs4(&ch, 1));
}

void ScriptRunner::key(const QString& rest) {
  const auto [name, keyName] = SplitFirst(rest);
  auto* cell = As<QLineEdit>(control(name), "key");
  struct NamedKey {
    const char16_t* word;
    int code;
    const char* text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  };
  static const NamedKey kKeys[] = {
      {u"Enter", Qt::Key_Return, "\r"},        {u"Down", Qt::Key_Down, ""},
      {u"Up", Qt::Key_Up, ""},                  {u"Backspace", Qt::Key_Backspace, "\b"},
      {u"Delete", Qt::Key_Delete, "\x7f"},      {u"Escape", Qt::Key_Escape, "\x1b"},
      {u"Ctrl+Z", Qt::Key_Z, "\x1a", Qt::ControlModifier}, {u"Ctrl+Y", Qt::Key_Y, "\x19", Qt::ControlModifier},
      {u"Ctrl+V", Qt::Key_V, "\x16", Qt::ControlModifier}};
  for (const NamedKey& named : kKeys) {
    if (keyName != QStringView(named.word)) continue;
    activate(cell);
    cell->setFocus(Qt::OtherFocusReason);
    SendKey(cell, named.code, QString::fromLatin1(named.text), named.modifiers);
    return;
  }
  throw ScriptError(QStringLiteral("unknown key %1").arg(keyName));
}

void ScriptRunner::scroll(const QString& rest) {
  const auto [name, valueText] = SplitFirst(rest);
  auto* bar = As<QScrollBar>(control(name), "scroll");
  bool ok = false;
  const int value = valueText.toInt(&ok);
  if (!ok) throw ScriptError(QStringLiteral("not a scroll value: %1").arg(valueText));
  // Dragging the thumb moves the slider and, with tracking, the value.
  bar->setSliderPosition(value);
}

void ScriptRunner::menu(const QString& caption) {
  for (QAction* entry : window_.menuEntries()) {
    if (entry->isSeparator() || entry->menu() != nullptr) continue;
    // Named as shown ("打开(O)…") or without its mnemonic ("打开…").
    static const QRegularExpression kMnemonic(QStringLiteral("\\(&[^)]\\)"));
    const QString shown = entry->text().remove(QLatin1Char('&'));
    if (shown != caption && QString(entry->text()).remove(kMnemonic).remove(QLatin1Char('&')) != caption) continue;
    if (entry->isEnabled()) entry->trigger();
    return;
  }
  throw ScriptError(QStringLiteral("unknown menu entry %1").arg(caption));
}

void ScriptRunner::dump(const QString& rest) {
  // The details are printed as the user would see them once the pane is done.
  window_.detailsPane().ensureCurrent();
  if (PowerWindow* power = window_.powerWindow()) power->ensureCurrent();
  const QStringList names = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  // Only what is named is described, so naming one caption costs little
  // whatever the lists hold.
  QJsonObject chosen;
  for (const QString& name : names) {
    const std::optional<QJsonObject> entry = DumpControl(window_, name);
    if (!entry) throw ScriptError(QStringLiteral("unknown control %1").arg(name));
    chosen[name] = *entry;
  }
  const QJsonObject shown = DumpWindow(window_, desktop_, names.isEmpty() ? DumpControls(window_) : chosen);
  out_ << QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Compact)) << '\n';
  out_.flush();
}

// The next column chooser's answer: "sheet=N" (from 1), "header=yes|no",
// then either "use=A,C" (a column per list) or "value=B group=A
// groups=TEXT,TEXT" (one row per case, each list's group).
void ScriptRunner::columns(const QString& answer) {
  ColumnChoice choice;
  const auto column = [](const QString& name) {
    const int index = ColumnIndex(name.toStdString());
    if (index < 0) throw ScriptError(QStringLiteral("not a column: %1").arg(name));
    return index;
  };
  for (const QString& word : answer.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const auto [key, value] = std::pair{word.section(QLatin1Char('='), 0, 0), word.section(QLatin1Char('='), 1)};
    if (key == u"sheet") {
      choice.sheet = value.toInt() - 1;
    } else if (key == u"header") {
      choice.header = value == u"yes";
    } else if (key == u"names") {
      choice.headerNames = value == u"yes";
    } else if (key == u"use") {
      for (const QString& name : value.split(QLatin1Char(','))) choice.columns.push_back(column(name));
    } else if (key == u"value") {
      choice.valueColumn = column(value);
    } else if (key == u"group") {
      choice.groupColumn = column(value);
    } else if (key == u"groups") {
      // An empty name leaves the list without a group; "(空白)" takes the blank group cells.
      for (const QString& name : value.split(QLatin1Char(','))) {
        const std::string text = name.toStdString();
        if (text.empty()) {
          choice.groups.push_back(std::nullopt);
        } else {
          choice.groups.push_back(GroupKey(text) == kBlankGroupName ? std::string() : text);
        }
      }
    } else {
      throw ScriptError(QStringLiteral("unknown columns word %1").arg(word));
    }
  }
  if (choice.sheet < 0 || (choice.valueColumn < 0 && choice.columns.empty()) ||
      (choice.valueColumn >= 0 && (choice.groupColumn < 0 || choice.groups.empty())))
    throw ScriptError(QStringLiteral("incomplete columns answer: %1").arg(answer));
  desktop_.queueColumns(std::move(choice));
}

// "\t" a tab, "\n" a line break, "\\" a backslash; any other character as is.
void ScriptRunner::clip(const QString& text) {
  QString plain;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size()) {
      const QChar next = text[++i];
      plain += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next;
    } else {
      plain += text[i];
    }
  }
  QGuiApplication::clipboard()->setText(plain);
}

void ScriptRunner::drop(const QString& path) {
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())});
  const QPoint centre = window_.rect().center();
  QDragEnterEvent enter(centre, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &enter);
  if (enter.isAccepted()) {
    QDropEvent dropped(QPointF(centre), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &dropped);
  }
  delete data;
}

void ScriptRunner::grab(const QString& path) {
  // A chart on screen is drawn before the picture is taken.
  window_.detailsPane().ensureCurrent();
  // The planning window is captured while it is the active one.
  QWidget* shown = &window_;
  if (PowerWindow* power = window_.powerWindow(); power != nullptr && power->isActiveWindow()) {
    power->ensureCurrent();
    shown = power;
  }
  if (!shown->grab().save(path, "PNG")) throw ScriptError(QStringLiteral("cannot write %1").arg(path));
}


}  // namespace kelvasta
