// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SystemFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString WithSeparator(QString Folder) {
  if (!Folder.endsWith(QLatin1Char('/'))) {
    Folder += QLatin1Char('/');
  }
  return Folder;
}

// Whether Folder is Parent or lies somewhere below it.
bool IsWithin(const QString& Folder, const QString& Parent) {
  const QString Inner = QFileInfo(Folder).canonicalFilePath();
  const QString Outer = QFileInfo(Parent).canonicalFilePath();
  if (Inner.isEmpty() || Outer.isEmpty()) {
    return false;
  }
  return Inner.compare(Outer, Qt::CaseInsensitive) == 0 ||
         Inner.startsWith(WithSeparator(Outer), Qt::CaseInsensitive);
}
}  // namespace

QString SystemUserDataFolder() {
  QString Base = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
  if (Base.isEmpty() || QDir::isRelativePath(Base)) {
    Base = QDir::homePath() + QStringLiteral("/AppData/Local");
  }
  return WithSeparator(Base) + QStringLiteral("la16/");
}

bool SystemInstalledProgramFolder(const QString& ProgramFolder) {
  // The 64-bit folder, and the 32-bit one of a 64-bit system.
  for (const char* Variable : {"ProgramW6432", "ProgramFiles", "ProgramFiles(x86)"}) {
    const QString Folder = QDir::fromNativeSeparators(qEnvironmentVariable(Variable));
    if (!Folder.isEmpty() && IsWithin(ProgramFolder, Folder)) {
      return true;
    }
  }
  return false;
}

QString SystemInstalledGuideFolder(const QString& ProgramFolder) {
  return WithSeparator(ProgramFolder) + QStringLiteral("docs/guide/");
}

QString SystemDefaultSaveFolder() {
  for (const QStandardPaths::StandardLocation Location :
       {QStandardPaths::PicturesLocation, QStandardPaths::DocumentsLocation}) {
    const QString Folder = QStandardPaths::writableLocation(Location);
    if (!Folder.isEmpty() && QFileInfo(Folder).isDir()) {
      return Folder;
    }
  }
  return QDir::homePath();
}
