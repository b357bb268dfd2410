// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on disk, and the choice of the folder that holds it.
#pragma once

#include <QString>
#include <cstddef>
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

/// Bytes of the settings file read at most; what lies beyond is ignored, as
/// if the file ended there. 80 lines at their limit fit, so every file the
/// program writes is read whole.
inline constexpr std::size_t SettingsFileReadLimit = std::size_t{1} << 20;
static_assert(SettingsLineCount * (SettingsLineLimit + 2) <= SettingsFileReadLimit);

/// Reads the settings file at Path, up to SettingsFileReadLimit bytes. A file
/// that is missing, cannot be read or is not a plain file (a folder, a pipe,
/// a device) gives 80 empty lines; nothing is reported.
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
/// the program's own folder with Writable false. An installed program never
/// writes into its own (a system) folder, even when it could, as root: it
/// takes the per-user data folder, with Writable false when that one cannot
/// be written.
TProgramFolder ChooseProgramFolder(const QString& OwnFolder, const QString& UserDataFolder,
                                   bool Installed = false);

/// Whether the paths A and B name the same existing folder, symbolic links
/// followed (/bin and /usr/bin on a merged system), in any case and with
/// either separator on Windows; false when either is empty or does not exist.
bool IsSameFolder(const QString& A, const QString& B);

/// Whether a file can be created in Folder (tried, then removed).
bool CanCreateFileIn(const QString& Folder);
