// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "display/TraceGeometry.h"

TPictureBox::TPictureBox(QWidget* Parent)
    : QWidget(Parent), Own(PictureWidth, PictureHeight, QImage::Format_RGB32) {
  Own.fill(Qt::white);
  resize(PictureWidth, PictureHeight);
  // Moves are reported without a button held, as the readout needs.
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& TPictureBox::Picture() {
  update();
  return *Shown;
}

void TPictureBox::SharePicture(QImage* Source) {
  Shown = Source != nullptr ? Source : &Own;
  update();
}

void TPictureBox::paintEvent(QPaintEvent* Event) {
  // Rectangle by rectangle: a restitution repaints thin bands, which the
  // bounding rectangle would turn into the whole picture.
  QPainter Painter(this);
  for (const QRect& Area : Event->region()) {
    Painter.drawImage(Area, *Shown, Area);
  }
}

void TPictureBox::mousePressEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Q_EMIT MousePressed(At.x(), At.y());
}

void TPictureBox::mouseMoveEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Q_EMIT MouseMoved(At.x(), At.y());
}

void TPictureBox::mouseReleaseEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Q_EMIT MouseReleased(At.x(), At.y());
}

void TPictureBox::wheelEvent(QWheelEvent* Event) {
  // Taken here either way: the window behind has nothing to scroll.
  Event->accept();
  if (Event->buttons() == Qt::NoButton && Event->angleDelta().y() != 0) {
    Q_EMIT WheelTurned(Event->angleDelta().y());
  }
}
