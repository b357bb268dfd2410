// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/SystemFileName.h"

#include <QByteArray>
#include <QFile>

std::string SystemFileName(const QString& Path) {
#ifdef _WIN32
  return Path.toStdString();
#else
  return QFile::encodeName(Path).toStdString();
#endif
}

QString FromSystemFileName(const std::string& Name) {
#ifdef _WIN32
  return QString::fromStdString(Name);
#else
  return QFile::decodeName(QByteArray::fromStdString(Name));
#endif
}
