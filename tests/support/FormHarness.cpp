// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FormHarness.h"

#include <QDir>
#include <QFile>

#include "app/Settings.h"
#include "display/SystemFileName.h"

TFormHarness::TFormHarness() {
  Environment.ProgramFolderPath = ProgramDir.path() + QStringLiteral("/");
  Environment.UserDataFolderPath = DataDir.path() + QStringLiteral("/la16/");
}

TFormHarness::~TFormHarness() = default;

QString TFormHarness::SettingsFilePath() const {
  return ProgramDir.path() + QStringLiteral("/") + QString::fromLatin1(SettingsFileName);
}

void TFormHarness::WriteSettingsFile(const std::string& Bytes) const {
  QFile File(SettingsFilePath());
  if (!File.open(QIODevice::WriteOnly) ||
      File.write(Bytes.data(), static_cast<qint64>(Bytes.size())) !=
          static_cast<qint64>(Bytes.size())) {
    throw std::runtime_error("cannot write the test's settings file");
  }
}

std::string TFormHarness::SettingsFileBytes() const {
  QFile File(SettingsFilePath());
  if (!File.open(QIODevice::ReadOnly)) {
    return {};
  }
  return File.readAll().toStdString();
}

TForm1& TFormHarness::Start() {
  Form = std::make_unique<TForm1>(Environment);
  return *Form;
}

TForm1& TFormHarness::StartShown() {
  Start();
  Form->show();
  return *Form;
}

std::string SettingsBytes(std::initializer_list<std::string> Lines) {
  std::string Bytes;
  for (const std::string& Line : Lines) {
    Bytes += Line + "\r\n";
  }
  return Bytes;
}

std::string SettingsPathLine(const QString& Path) {
  return SystemFileName(QDir::toNativeSeparators(Path));
}
