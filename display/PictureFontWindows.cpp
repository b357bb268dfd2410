// SPDX-License-Identifier: GPL-3.0-or-later
// Windows has no DejaVu Sans and draws text with GDI, whose hinting gives
// other pixels than FreeType's: the program carries the font in its
// resources (the build takes Debian's DejaVuSans.ttf, see display/CMakeLists.txt)
// and has Qt draw all text with its FreeType engine.
#include <QFontDatabase>
#include <QStringList>

#include "display/PictureFont.h"

void ChoosePictureFontEngine() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
  }
}

QString PictureFontFamily() {
  static const QString Family = [] {
    const int Id = QFontDatabase::addApplicationFont(QStringLiteral(":/la16/PictureFont.ttf"));
    const QStringList Families = QFontDatabase::applicationFontFamilies(Id);
    return Families.isEmpty() ? QStringLiteral("DejaVu Sans") : Families.constFirst();
  }();
  return Family;
}
