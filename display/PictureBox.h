// SPDX-License-Identifier: GPL-3.0-or-later
// A picture control: holds a picture of the trace's size, shows it, and
// reports the mouse in picture coordinates.
#pragma once

#include <QImage>
#include <QWidget>

class TPictureBox : public QWidget {
  Q_OBJECT
 public:
  /// A white picture of the trace's size; the control takes its size.
  explicit TPictureBox(QWidget* Parent = nullptr);

  /// The picture, to draw into. Taking it for writing schedules a repaint, so
  /// whatever is drawn shows once control returns to the event loop.
  QImage& Picture();
  /// The picture, to draw a small part of it: nothing is scheduled, the
  /// caller updates (QWidget::update) the area it changed.
  QImage& PictureToPatch() { return *Shown; }
  const QImage& Picture() const { return *Shown; }

  /// Holds Source, a picture drawn by someone else, in place of the control's
  /// own (the hidden control that holds the back buffer); nullptr returns to
  /// the control's own picture. Source must outlive its use here.
  void SharePicture(QImage* Source);

 Q_SIGNALS:
  /// Any mouse button pressed over the picture.
  void MousePressed(int X, int Y);
  /// The pointer moved over the picture, or anywhere while a button is held.
  void MouseMoved(int X, int Y);
  /// A mouse button released after a press on the picture.
  void MouseReleased(int X, int Y);
  /// The wheel turned over the picture with no mouse button held: Delta in
  /// eighths of a degree, positive away from the user.
  void WheelTurned(int Delta);

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;

 private:
  QImage Own;
  QImage* Shown = &Own;
};
