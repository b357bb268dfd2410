// SPDX-License-Identifier: GPL-3.0-or-later
// The folders whose place each system decides for itself: where the user's
// own files go, what counts as an installed program, where an installed
// program's guide is and where the save dialog opens by default. One
// implementation per system (SystemFoldersLinux.cpp, SystemFoldersWindows.cpp);
// TQtEnvironment hands them to the window.
#pragma once

#include <QString>

/// The per-user data folder of la16, ending with '/' (Qt separators); it may
/// not exist yet. $XDG_DATA_HOME/la16/ (~/.local/share/la16/) on Linux,
/// %LOCALAPPDATA%\la16\ on Windows.
QString SystemUserDataFolder();
/// Whether ProgramFolder is one an installer put the program in: the folder
/// it was built to be installed in on Linux, a folder under Program Files on
/// Windows.
bool SystemInstalledProgramFolder(const QString& ProgramFolder);
/// The folder of an installed program's guide, ending with '/': the system's
/// documentation folder on Linux, docs/guide/ beside la16.exe on Windows.
QString SystemInstalledGuideFolder(const QString& ProgramFolder);
/// Where the save dialog opens when no folder was kept: the home folder on
/// Linux, the user's Pictures or else Documents folder on Windows.
QString SystemDefaultSaveFolder();
