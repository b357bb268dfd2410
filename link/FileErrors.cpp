// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FileErrors.h"

#include <cerrno>
#include <system_error>

std::string FileErrorReason(int Code) {
  switch (Code) {
    case ENOENT:
    case ENOTDIR:
      return "Aucun fichier ou dossier de ce nom";
    case EACCES:
    case EPERM:  // an immutable file or folder
      return "Permission refusée";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "Plus de place sur le disque";
    case EROFS:
      return "Système de fichiers en lecture seule";
    case EISDIR:
      return "C'est un dossier";
    case EFBIG:
      return "Fichier trop volumineux";
    default:
      // The C library's text (strerror), thread-safe on every system.
      return std::generic_category().message(Code);
  }
}
