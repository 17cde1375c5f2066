#pragma once

#include <QString>
#include <QStringList>

class QTextStream;
class QWidget;

namespace kelvasta {

class MainWindow;
class RecordingDesktop;

// Drives the real window from a script, one command a line (see the README):
// click, set, type, key, scroll, menu, answer, dump, grab. A bad line stops
// the run with a message naming its number on the error stream.
class ScriptRunner {
 public:
  static constexpr int kBadScript = 2;

  ScriptRunner(MainWindow& window, RecordingDesktop& desktop, QTextStream& out, QTextStream& err);

  // Runs every line; returns the exit status: 0, or kBadScript.
  int run(QTextStream& script);

 private:
  void execute(const QString& command, const QString& rest);
  QWidget* control(const QString& name) const;
  void activate(QWidget* target) const;
  void click(const QString& rest);
  void set(const QString& rest);
  void type(const QString& rest);
  void key(const QString& rest);
  void scroll(const QString& rest);
  void menu(const QString& caption);
  void dump(const QString& rest);
  void grab(const QString& path);
  void clip(const QString& text);
  void columns(const QString& answer);
  void drop(const QString& path);

  MainWindow& window_;
  RecordingDesktop& desktop_;
  QTextStream& out_;
  QTextStream& err_;
  bool exited_ = false;
};

}  // namespace kelvasta
