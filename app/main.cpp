#include "app/desktop.h"
#include "app/main_window.h"
#include "app/script_runner.h"
#include "app/startup.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

// `--script FILE` runs FILE ("-" for standard input) against the window
// without a display; no argument starts the program for a user.
const char* ScriptArgument(int argc, char* argv[]) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--script") == 0) return argv[i + 1];
  return nullptr;
}

int RunScript(QApplication& app, const QString& path) {
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
  const char* script = ScriptArgument(argc, argv);
  // Without a display Qt would abort at start; the script needs none.
  if (script != nullptr && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  kelvasta::ApplyFormFont(app);
  if (script != nullptr) return RunScript(app, QString::fromLocal8Bit(script));

  kelvasta::SystemDesktop desktop;
  kelvasta::MainWindow window(desktop);
  QObject::connect(&window, &kelvasta::MainWindow::exitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
  kelvasta::StartUp(window);
  return QApplication::exec();
}
