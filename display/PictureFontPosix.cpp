// SPDX-License-Identifier: GPL-3.0-or-later
// The system's DejaVu Sans, which fontconfig finds (the Debian package
// depends on fonts-dejavu-core); Qt draws text with FreeType here anyway.
#include "display/PictureFont.h"

void ChoosePictureFontEngine() {}

QString PictureFontFamily() {
  return QStringLiteral("DejaVu Sans");
}
