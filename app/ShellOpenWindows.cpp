#include <QDesktopServices>
#include <QUrl>

#include "app/ShellOpen.h"

void ShellOpen(const QString& Url, QObject& /*Owner*/, std::function<void()> Failed) {
  // The shell answers at once whether a program took the address.
  if (!QDesktopServices::openUrl(QUrl(Url)) && Failed) {
    Failed();
  }
}
