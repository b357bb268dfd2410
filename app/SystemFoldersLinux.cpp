// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SystemFolders.h"

#include <QDir>

#include "app/Settings.h"

#ifndef LA16_INSTALL_BINDIR
#define LA16_INSTALL_BINDIR ""
#endif
#ifndef LA16_INSTALLED_GUIDE
#define LA16_INSTALLED_GUIDE ""
#endif

namespace {
QString WithSeparator(QString Folder) {
  if (!Folder.endsWith(QLatin1Char('/'))) {
    Folder += QLatin1Char('/');
  }
  return Folder;
}
}  // namespace

QString SystemUserDataFolder() {
  QString Base = qEnvironmentVariable("XDG_DATA_HOME");
  if (Base.isEmpty() || QDir::isRelativePath(Base)) {
    Base = QDir::homePath() + QStringLiteral("/.local/share");
  }
  return WithSeparator(Base) + QStringLiteral("la16/");
}

bool SystemInstalledProgramFolder(const QString& ProgramFolder) {
  return IsSameFolder(ProgramFolder, QString::fromUtf8(LA16_INSTALL_BINDIR));
}

QString SystemInstalledGuideFolder(const QString&) {
  return WithSeparator(QString::fromUtf8(LA16_INSTALLED_GUIDE));
}

QString SystemDefaultSaveFolder() {
  return QDir::homePath();
}
