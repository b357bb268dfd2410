// A picture control: holds a 940 x 520 picture, shows it, and reports the
// mouse in picture coordinates.
#pragma once

#include <QImage>
#include <QWidget>

class TPictureBox : public QWidget {
  Q_OBJECT
 public:
  static constexpr int PictureWidth = 940;
  static constexpr int PictureHeight = 520;

  /// A white picture of 940 x 520 pixels; the control takes its size.
  explicit TPictureBox(QWidget* Parent = nullptr);

  /// The picture, to draw into. Taking it for writing schedules a repaint, so
  /// whatever is drawn shows once control returns to the event loop.
  QImage& Picture();
  const QImage& Picture() const { return Image; }

 Q_SIGNALS:
  /// Any mouse button pressed over the picture.
  void MousePressed(int X, int Y);
  /// The pointer moved over the picture, or anywhere while a button is held.
  void MouseMoved(int X, int Y);
  /// A mouse button released after a press on the picture.
  void MouseReleased(int X, int Y);

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  QImage Image;
};
