// SPDX-License-Identifier: GPL-3.0-or-later
// The reasons a file operation failed, as the user reads them: in French for
// the failures a user meets, whatever the system's language. Qt-free.
#pragma once

#include <string>

/// The reason for the C library's error number Code: a French text for a
/// missing file or folder, a refused permission, a full disk, a read-only
/// file system, a folder where a file was expected and a file too large; the
/// system's own text for any other.
std::string FileErrorReason(int Code);

/// Reason for a file that is there but is no plain file (a pipe, a device).
inline constexpr char NotAPlainFileReason[] = "Ce n'est pas un fichier ordinaire";
