// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers for laying out the main window's controls by their designer
// names and positions.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

namespace FormBuilding {

/// Creates a control of type TControl in Parent with its designer name and
/// its position and size in Parent's coordinates.
template <typename TControl>
TControl* Place(QWidget* Parent, const char* Name, int X, int Y, int Width, int Height) {
  auto* Control = new TControl(Parent);
  Control->setObjectName(QString::fromUtf8(Name));
  Control->setGeometry(X, Y, Width, Height);
  return Control;
}

/// A hint of a French line and an English line; either may be null.
QString Hint(const char* French, const char* English);

/// Sets the hint and the pointing-hand cursor of a control the user clicks.
void MakeClickable(QWidget* Control, const QString& Hint = QString());

/// The window's font (the 8-point dialog font, 11 pixels high), optionally bold.
QFont DialogFont(bool Bold = false);

/// A bold Arial font PixelSize pixels high (Arial or its metric twin when
/// present, else the common sans-serif).
QFont BoldArial(int PixelSize);

/// A panel with the window colour over the white trace area.
void FillWithWindowColour(QWidget* Panel);

}  // namespace FormBuilding
