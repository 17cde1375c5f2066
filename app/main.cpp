#include "app/desktop.h"
#include "app/main_window.h"
#include "app/script_runner.h"
#include "app/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

// The version printed by --version, as on the version window.
constexpr char kVersion[] = "10.1";

// Exit statuses besides the script's own.
constexpr int kNoDisplay = 1;

// What the command line asks for, or the status to end with at once.
struct Invocation {
  std::optional<int> exitNow;
  std::optional<QString> script;  // `--script FILE`, "-" for standard input
  bool platformGiven = false;     // Qt's own `-platform NAME`, handed on to QApplication
};

void Print(std::FILE* stream, const QString& text) {
  std::fputs(text.toUtf8().constData(), stream);
  std::fflush(stream);
}

// Qt's own options (QGuiApplication's, QApplication's and X11's), known to
// the parser but hidden from the usage, so that they reach QApplication
// while any other option is refused.
void AddQtOptions(QCommandLineParser& parser) {
  static const char* const kWithValue[] = {
      "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger", "qwindowgeometry", "qwindowicon",
      "qwindowtitle", "session", "style", "stylesheet", "display", "geometry", "title", "name", "visual",
      "ncols", "cmap", "fn", "font", "bg", "background", "fg", "foreground", "btn", "button", "im",
      "inputstyle"};
  static const char* const kFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
  for (const char* name : kWithValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : kFlags) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
}

// Reads the command line before any window system is touched, so --help and
// --version work without a display. Qt's own options are left to
// QApplication; an option neither knows prints the usage on standard error
// and ends with status 2.
Invocation ReadCommandLine(int argc, char* argv[]) {
  int probeArgc = argc;
  QCoreApplication probe(probeArgc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kelvasta"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
  kelvasta::LoadQtTranslations(probe);

  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(QStringLiteral("Kelvasta 医学统计学计算器：t检验、方差分析、卡方检验、"
                                                  "相关与回归、秩和检验及Ridit分析。"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                QStringLiteral("显示本帮助后退出。"));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("显示版本号后退出。"));
  const QCommandLineOption script(QStringLiteral("script"),
                                  QStringLiteral("不打开窗口，逐行执行自动化脚本 FILE（- 为标准输入）。"),
                                  QStringLiteral("FILE"));
  QCommandLineOption platform(QStringLiteral("platform"), QString(), QStringLiteral("NAME"));
  platform.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOptions({help, version, script, platform});
  AddQtOptions(parser);
  parser.parse(QCoreApplication::arguments());

  Invocation invocation;
  if (!parser.unknownOptionNames().isEmpty()) {
    const QString name = parser.unknownOptionNames().constFirst();
    Print(stderr, QStringLiteral("kelvasta: 未知选项 %1%2\n%3")
                      .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name, parser.helpText()));
    invocation.exitNow = kelvasta::ScriptRunner::kBadScript;
  } else if (parser.isSet(help)) {
    Print(stdout, parser.helpText());
    invocation.exitNow = 0;
  } else if (parser.isSet(version)) {
    Print(stdout, QStringLiteral("kelvasta %1\n").arg(QString::fromLatin1(kVersion)));
    invocation.exitNow = 0;
  } else if (parser.isSet(script) && parser.values(script).isEmpty()) {
    Print(stderr, QStringLiteral("kelvasta: %1\n%2").arg(parser.errorText(), parser.helpText()));
    invocation.exitNow = kelvasta::ScriptRunner::kBadScript;
  } else if (parser.isSet(script)) {
    invocation.script = parser.value(script);
  }
  invocation.platformGiven = parser.isSet(platform);
  return invocation;
}

bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Qt's offscreen platform warns each time the window's size limits change
// (zoom, the details pane); a script's error output keeps to the script.
QtMessageHandler gQtMessages = nullptr;
void QuietOffscreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
  gQtMessages(type, context, message);
}

int RunScript(QApplication& app, const QString& path) {
  gQtMessages = qInstallMessageHandler(QuietOffscreenMessages);
  kelvasta::RecordingDesktop desktop;
  kelvasta::MainWindow window(desktop);
  kelvasta::StartUp(window);
  QTextStream out(stdout);
  QTextStream err(stderr);
  QFile file;
  const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly | QIODevice::Text)
                                                 : (file.setFileName(path), file.open(QIODevice::ReadOnly | QIODevice::Text));
  if (!opened) {
    err << "cannot read script " << path << Qt::endl;
    return kelvasta::ScriptRunner::kBadScript;
  }
  QTextStream script(&file);
  script.setEncoding(QStringConverter::Utf8);
  kelvasta::ScriptRunner runner(window, desktop, out, err);
  const int status = runner.run(script);
  app.closeAllWindows();
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Invocation invocation = ReadCommandLine(argc, argv);
  if (invocation.exitNow) return *invocation.exitNow;
  if (invocation.script) {
    // Without a display Qt would abort at start; the script needs none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (!invocation.platformGiven && !HasDisplay()) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    Print(stderr, QStringLiteral("kelvasta: 没有可用的显示（DISPLAY 与 WAYLAND_DISPLAY 均未设置），无法打开窗口\n"));
    return kNoDisplay;
#endif
  }
  QApplication app(argc, argv);
  kelvasta::LoadQtTranslations(app);
  kelvasta::ApplyFormFont(app);
  if (invocation.script) return RunScript(app, *invocation.script);

  kelvasta::SystemDesktop desktop;
  kelvasta::MainWindow window(desktop);
  QObject::connect(&window, &kelvasta::MainWindow::exitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
  kelvasta::StartUp(window, true);
  return QApplication::exec();
}
