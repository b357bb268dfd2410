// SPDX-License-Identifier: GPL-3.0-or-later
// The font of the picture's texts: DejaVu Sans, drawn by FreeType, so the
// picture has the same pixels on every system whatever fonts the machine has.
// Where it comes from differs per system (PictureFontPosix.cpp,
// PictureFontWindows.cpp).
#pragma once

#include <QString>

/// Called before the application object exists: has Qt draw text with the
/// font engine the picture needs (FreeType). An engine or platform the user
/// chose (QT_QPA_PLATFORM, -platform) is kept.
void ChoosePictureFontEngine();

/// Family name of the picture's font, ready to use; needs the application
/// object. User-interface thread only.
QString PictureFontFamily();
