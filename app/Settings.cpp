#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

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
  QFile File(Path);
  if (!File.open(QIODevice::ReadOnly)) {
    return TSettings{};
  }
  // Read in pieces and stop as soon as the 80 lines are complete, so a huge
  // or endless file costs no more than the lines kept.
  TSettingsReader Reader;
  char Piece[4096];
  while (Reader.WantsMore()) {
    const qint64 Count = File.read(Piece, sizeof Piece);
    if (Count <= 0) {
      break;
    }
    Reader.Feed(std::string_view(Piece, static_cast<std::size_t>(Count)));
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
  QSaveFile File(Path);
  if (!File.open(QIODevice::WriteOnly)) {
    ThrowWriteError(Path, File.errorString());
  }
  const std::string Bytes = SerialiseSettings(Settings);
  if (File.write(Bytes.data(), static_cast<qint64>(Bytes.size())) !=
      static_cast<qint64>(Bytes.size())) {
    const QString Reason = File.errorString();
    File.cancelWriting();
    ThrowWriteError(Path, Reason);
  }
  if (!File.commit()) {
    ThrowWriteError(Path, File.errorString());
  }
}

bool CanCreateFileIn(const QString& Folder) {
  QTemporaryFile Probe(WithSeparator(Folder) + QStringLiteral(".la16-probe-XXXXXX"));
  return Probe.open();
}

TProgramFolder ChooseProgramFolder(const QString& OwnFolder, const QString& UserDataFolder) {
  const QString Own = WithSeparator(OwnFolder);
  if (CanCreateFileIn(Own)) {
    return {Own, true};
  }
  const QString UserData = WithSeparator(UserDataFolder);
  if (!UserDataFolder.isEmpty() && QDir().mkpath(UserData) && CanCreateFileIn(UserData)) {
    return {UserData, true};
  }
  return {Own, false};
}
