// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <shellapi.h>

#include <QDir>
#include <QUrl>

#include "app/ShellOpen.h"

void ShellOpen(const QString& Url, QObject& /*Owner*/, std::function<void()> Failed) {
  // The shell itself, whatever Qt platform the window runs on; a file goes by
  // its path. It answers at once whether a program took the address.
  const QUrl Address(Url);
  const QString Target =
      Address.isLocalFile() ? QDir::toNativeSeparators(Address.toLocalFile()) : Url;
  const auto Result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(Target.utf16()), nullptr, nullptr,
                      SW_SHOWNORMAL));
  if (Result <= 32 && Failed) {
    Failed();
  }
}
