// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "display/SystemFileName.h"
#include "link/SystemFiles.h"

namespace {
QString WithSeparator(QString Folder) {
  if (!Folder.endsWith(QLatin1Char('/'))) {
    Folder += QLatin1Char('/');
  }
  return Folder;
}

[[noreturn]] void ThrowWriteError(const QString& Path, const QString& Reason) {
  const QString Message =
      QStringLiteral("Erreur d'entrée/sortie : impossible d'écrire « %1 » (%2).")
          .arg(QDir::toNativeSeparators(Path), Reason);
  throw TSettingsWriteError(Message.toStdString());
}
}  // namespace

TSettings ReadSettingsFile(const QString& Path) {
  // Read only when it is a plain file: a pipe or a device in its place
  // would hold start-up up, or never end.
  const auto File = TPlainFileReader::Open(SystemFileName(Path));
  if (!File) {
    return TSettings{};
  }
  // Read in pieces and stop as soon as the 80 lines are complete, or at the
  // limit, so a huge file costs no more than a settings file can hold.
  TSettingsReader Reader;
  char Piece[4096];
  std::size_t Total = 0;
  while (Reader.WantsMore() && Total < SettingsFileReadLimit) {
    const std::size_t Count =
        File->Read(Piece, std::min(sizeof Piece, SettingsFileReadLimit - Total));
    if (Count == 0) {
      break;
    }
    Total += Count;
    Reader.Feed(std::string_view(Piece, Count));
  }
  return Reader.Result();
}

void WriteSettingsFile(const QString& Path, const TSettings& Settings) {
  // A folder name with a line break in it would shift every later line.
  if (const int Line = FirstUnwritableLine(Settings); Line != 0) {
    ThrowWriteError(Path, QStringLiteral("la ligne %1 contient un saut de ligne, un retour "
                                         "chariot ou un Ctrl-Z")
                              .arg(Line));
  }
  const std::string Bytes = SerialiseSettings(Settings);
  // Whole or not at all: a full disk or a crash never leaves a truncated
  // settings file.
  std::string Reason;
  if (!ReplaceFile(SystemFileName(Path), Bytes.data(), Bytes.size(), Reason)) {
    ThrowWriteError(Path, QString::fromStdString(Reason));
  }
}

bool CanCreateFileIn(const QString& Folder) {
  QTemporaryFile Probe(WithSeparator(Folder) + QStringLiteral(".la16-probe-XXXXXX"));
  return Probe.open();
}

TProgramFolder ChooseProgramFolder(const QString& OwnFolder, const QString& UserDataFolder,
                                   bool Installed) {
  const QString Own = WithSeparator(OwnFolder);
  // Not even tried when installed: the probe file would land in the system's
  // folder, and root could create it.
  if (!Installed && CanCreateFileIn(Own)) {
    return {Own, true};
  }
  const QString UserData = WithSeparator(UserDataFolder);
  if (!UserDataFolder.isEmpty() && QDir().mkpath(UserData) && CanCreateFileIn(UserData)) {
    return {UserData, true};
  }
  return {Installed ? UserData : Own, false};
}

bool IsSameFolder(const QString& A, const QString& B) {
  if (A.isEmpty() || B.isEmpty()) {
    return false;
  }
  const QFileInfo First(A);
  const QFileInfo Second(B);
  if (!First.isDir() || !Second.isDir()) {
    return false;
  }
  // The system's own answer, the file identity: it follows links and knows
  // Windows' names in any case.
  std::error_code Error;
  return std::filesystem::equivalent(First.filesystemCanonicalFilePath(),
                                     Second.filesystemCanonicalFilePath(), Error);
}
