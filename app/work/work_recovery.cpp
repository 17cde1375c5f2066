#include "app/work/work_recovery.h"

#include "app/main_window.h"
#include "interchange/work_file.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <vector>

namespace kelvasta {

namespace {

constexpr int kSlots = 8;

}  // namespace

QString WorkRecovery::slotPath(const QString& folder, int slot, const char* extension) {
  return QDir(folder).filePath(QStringLiteral("work-%1.%2").arg(slot).arg(QLatin1String(extension)));
}

WorkRecovery::WorkRecovery(MainWindow& window) : QObject(&window), window_(window) {
  timer_.setSingleShot(true);
  timer_.setInterval(kDelayMs);
  connect(&timer_, &QTimer::timeout, this, &WorkRecovery::write);
  folder_ = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("recovery"));
  if (!QDir().mkpath(folder_)) return;
  for (int slot = 0; slot < kSlots && lock_ == nullptr; ++slot) {
    auto lock = std::make_unique<QLockFile>(slotPath(folder_, slot, "lock"));
    // Held for the program's whole life: only a dead owner makes it stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) continue;
    lock_ = std::move(lock);
    slot_ = slot;
    path_ = slotPath(folder_, slot, "kelvasta");
  }
  if (slot_ < 0) return;
  // Temporary files of a write that was cut off by the end of the program.
  const QString partial = QStringLiteral(".work-%1.kelvasta.*.tmp").arg(slot_);
  for (const QString& name : QDir(folder_).entryList({partial}, QDir::Files | QDir::Hidden))
    QFile::remove(QDir(folder_).filePath(name));
}

WorkRecovery::~WorkRecovery() = default;

void WorkRecovery::schedule() {
  if (slot_ >= 0) timer_.start();
}

void WorkRecovery::discard() {
  timer_.stop();
  if (!path_.isEmpty()) QFile::remove(path_);
}

void WorkRecovery::write() {
  if (!window_.isModified() || (window_.workFile().isEmpty() && !window_.holdsData())) {
    discard();
    return;
  }
  WorkFile work = window_.CaptureWork();
  work.recoveryOf = window_.workFile().toStdString();
  // A failed write leaves the previous recovery file; the next change tries again.
  WriteWorkFile(path_.toStdString(), work);
}

void WorkRecovery::offerLeftWork() {
  if (slot_ < 0) return;
  for (int slot = 0; slot < kSlots; ++slot) {
    const QString file = slotPath(folder_, slot, "kelvasta");
    if (!QFile::exists(file)) continue;
    QLockFile other(slotPath(folder_, slot, "lock"));
    other.setStaleLockTime(0);
    // Another running program's recovery file is its own.
    if (slot != slot_ && !other.tryLock(0)) continue;
    WorkReadResult read = ReadWorkFile(file.toStdString());
    const bool fits = read.error == WorkError::None && window_.CheckWork(read.work).isEmpty();
    if (fits && window_.askRecovery()) {
      window_.RestoreRecovered(std::move(read.work));
      // The work now lives in this program's own slot.
      if (slot != slot_) QFile::remove(file);
      write();
      return;
    }
    QFile::remove(file);
  }
}

}  // namespace kelvasta
