#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QLockFile;

namespace kelvasta {

class MainWindow;

// Keeps unsaved work in a recovery file under the user's data folder
// (QStandardPaths' AppDataLocation, "recovery"), written atomically a few
// seconds after the last change, so that an unclean end (killed, crashed,
// power cut) loses at most those seconds. Each running program holds one of
// a few slots through a lock file; a slot whose file is left while no
// program holds its lock was left by an unclean end. Outside script mode only.
class WorkRecovery : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDelayMs = 3000;

  explicit WorkRecovery(MainWindow& window);
  ~WorkRecovery() override;

  // Offers each recovery file left by an unclean end ("恢复上次未保存的数据？");
  // one accepted goes into the window, one declined is removed.
  void offerLeftWork();
  // The window's data changed: the write waits until changes pause.
  void schedule();
  // Nothing is left to recover (saved, or the program ends cleanly).
  void discard();
  // The recovery file of this program ("" when no slot could be taken).
  QString path() const { return path_; }

 private:
  void write();
  static QString slotPath(const QString& folder, int slot, const char* extension);

  MainWindow& window_;
  QTimer timer_;
  QString folder_;
  QString path_;
  int slot_ = -1;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace kelvasta
