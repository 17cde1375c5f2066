#include "app/web_addresses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kelvasta {

namespace {

QString PageAddress(const QString& page) {
  const QString installed =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/kelvasta/docs/") + page);
  const QString inSources = QStringLiteral(KELVASTA_SOURCE_DIR "/docs/") + page;
  const QString path = QFileInfo::exists(installed) ? installed : inSources;
  return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
}

}  // namespace

QString HelpPageAddress() { return PageAddress(QStringLiteral("help/index.html")); }

QString TutorialPageAddress() { return PageAddress(QStringLiteral("tutorial/index.html")); }

}  // namespace kelvasta
