#include "app/HelpAddresses.h"

#include <QDir>
#include <QUrl>

#ifndef LA16_HOME_PAGE
#define LA16_HOME_PAGE ""
#endif

QString UserGuideUrl(const QString& ProgramFolder) {
  const QString Page =
      QDir(ProgramFolder).absoluteFilePath(QStringLiteral("docs/guide/index.html"));
  return QUrl::fromLocalFile(QDir::cleanPath(Page)).toString(QUrl::FullyEncoded);
}

QString HomePageUrl(const QString& ProgramFolder) {
  const QString Chosen = QString::fromUtf8(LA16_HOME_PAGE).trimmed();
  return Chosen.isEmpty() ? UserGuideUrl(ProgramFolder) : Chosen;
}

QString LinkCaption(const QString& Url) {
  const QString Host = QUrl(Url).host();
  return Host.isEmpty() ? QStringLiteral("Guide de la16") : Host;
}
