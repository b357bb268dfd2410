// SPDX-License-Identifier: GPL-3.0-or-later
// Names of files as the link's file calls take them (link/SystemFiles.h):
// UTF-8 on Windows, where those calls are the wide-character ones, the
// system's encoding of file names elsewhere.
#pragma once

#include <QString>
#include <string>

/// Path for TNewFile, TPlainFileReader, RenameOver and the settings file.
std::string SystemFileName(const QString& Path);
/// The reverse of SystemFileName.
QString FromSystemFileName(const std::string& Name);
