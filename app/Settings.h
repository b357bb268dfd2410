// The settings file on disk, and the choice of the folder that holds it.
#pragma once

#include <QString>
#include <stdexcept>

#include "app/SettingsFormat.h"

/// Name of the settings file inside the program folder.
inline constexpr char SettingsFileName[] = "parametres.inf";

/// A settings file that could not be written; what() is the message shown to
/// the user (French, UTF-8).
class TSettingsWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads the settings file at Path. A file that is missing or cannot be read
/// gives 80 empty lines; nothing is reported.
TSettings ReadSettingsFile(const QString& Path);

/// Replaces the file at Path by the 80 lines. The bytes go to a temporary file
/// in the same folder that is renamed over the old file only once complete,
/// so a full disk or a crash never leaves a truncated settings file. Throws
/// TSettingsWriteError when the file cannot be written, or when a line holds
/// a byte the file cannot keep (FirstUnwritableLine); the old file then stays.
void WriteSettingsFile(const QString& Path, const TSettings& Settings);

/// The folder the program keeps its files in.
struct TProgramFolder {
  QString Path;   ///< absolute, ending with '/'
  bool Writable;  ///< a file could be created there
};

/// The program's own folder when a file can be created there, otherwise the
/// per-user data folder (created when needed). When neither can be written,
/// the program's own folder with Writable false.
TProgramFolder ChooseProgramFolder(const QString& OwnFolder, const QString& UserDataFolder);

/// Whether a file can be created in Folder (tried, then removed).
bool CanCreateFileIn(const QString& Folder);
