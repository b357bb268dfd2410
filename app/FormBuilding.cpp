// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormBuilding.h"

#include <QPalette>

namespace FormBuilding {

QString Hint(const char* French, const char* English) {
  QString Text;
  if (French != nullptr) {
    Text = QString::fromUtf8(French);
  }
  if (English != nullptr) {
    if (!Text.isEmpty()) {
      Text += QLatin1Char('\n');
    }
    Text += QString::fromUtf8(English);
  }
  return Text;
}

void MakeClickable(QWidget* Control, const QString& Hint) {
  Control->setCursor(Qt::PointingHandCursor);
  if (!Hint.isEmpty()) {
    Control->setToolTip(Hint);
  }
}

QFont DialogFont(bool Bold) {
  QFont Font;
  // Arial's metric twin stands in for the narrow dialog font of the design.
  Font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  Font.setPixelSize(11);
  Font.setBold(Bold);
  return Font;
}

QFont BoldArial(int PixelSize) {
  QFont Font = DialogFont(true);
  Font.setPixelSize(PixelSize);
  return Font;
}

void FillWithWindowColour(QWidget* Panel) {
  Panel->setAutoFillBackground(true);
  Panel->setBackgroundRole(QPalette::Window);
}

}  // namespace FormBuilding
