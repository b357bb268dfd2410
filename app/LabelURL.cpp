// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LabelURL.h"

#include <QMouseEvent>
#include <QPalette>

#include "app/Environment.h"

TLabelURL::TLabelURL(TEnvironment& Environment, QWidget* Parent)
    : QLabel(Parent), Environment(Environment) {
  QFont Underlined;
  Underlined.setUnderline(true);
  Active = {Underlined, Qt::blue};
  Saved = LabelFont();
  setCursor(Qt::PointingHandCursor);
}

TLabelFont TLabelURL::LabelFont() const {
  return {font(), palette().color(QPalette::WindowText)};
}

void TLabelURL::SetLabelFont(const TLabelFont& Font) {
  setFont(Font.Face);
  QPalette Colours = palette();
  Colours.setColor(QPalette::WindowText, Font.Color);
  setPalette(Colours);
}

void TLabelURL::enterEvent(QEnterEvent* Event) {
  Saved = LabelFont();
  SetLabelFont(Active);
  QLabel::enterEvent(Event);
}

void TLabelURL::leaveEvent(QEvent* Event) {
  SetLabelFont(Saved);
  QLabel::leaveEvent(Event);
}

void TLabelURL::mousePressEvent(QMouseEvent* Event) {
  Pressed = Event->button() == Qt::LeftButton;
  Event->accept();
}

void TLabelURL::mouseReleaseEvent(QMouseEvent* Event) {
  const bool Click =
      Pressed && Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint());
  Pressed = false;
  Event->accept();
  if (!Click) {
    return;
  }
  Q_EMIT Clicked();
  // A label on no window has no one to open the address for.
  if (parentWidget() != nullptr) {
    Environment.OpenUrl(Address, {});  // the outcome is not looked at
  }
}
