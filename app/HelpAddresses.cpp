// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpAddresses.h"

#include <QDir>
#include <QUrl>

#include "app/Environment.h"
#include "app/SystemFolders.h"

#ifndef LA16_HOME_PAGE
#define LA16_HOME_PAGE ""
#endif

namespace {
QString FileUrl(const QString& Path) {
  return QUrl::fromLocalFile(QDir::cleanPath(Path)).toString(QUrl::FullyEncoded);
}
}  // namespace

QString UserGuideUrl(const QString& ProgramFolder) {
  return FileUrl(QDir(ProgramFolder).absoluteFilePath(QStringLiteral("docs/guide/index.html")));
}

QString UserGuideUrl(const TEnvironment& Environment) {
  if (Environment.Installed()) {
    return FileUrl(SystemInstalledGuideFolder(Environment.ProgramFolder()) +
                   QStringLiteral("index.html"));
  }
  return UserGuideUrl(Environment.ProgramFolder());
}

QString HomePageUrl(const TEnvironment& Environment) {
  const QString Chosen = QString::fromUtf8(LA16_HOME_PAGE).trimmed();
  return Chosen.isEmpty() ? UserGuideUrl(Environment) : Chosen;
}

QString LinkCaption(const QString& Url) {
  const QString Host = QUrl(Url).host();
  return Host.isEmpty() ? QStringLiteral("Guide de la16") : Host;
}
