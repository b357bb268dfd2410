// SPDX-License-Identifier: GPL-3.0-or-later
// Picture controls without a window of their own, drawn by the layer they
// lie on: the acquisition lamps, which change visibility at every
// restitution.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <vector>

class TPictureControl;

/// The surface that draws its picture controls: it covers an area of its
/// parent, paints the parent's background there (rendered once) and the
/// shown pictures over it, in the order they were made.
class TPictureLayer : public QWidget {
  Q_OBJECT
 public:
  /// Covers Area, in Parent's coordinates.
  TPictureLayer(QWidget* Parent, const QRect& Area);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  friend class TPictureControl;
  QPixmap Background;
  std::vector<const TPictureControl*> Pictures;  // bottom first
};

/// A picture control: shows its picture from the top-left corner, in full
/// colour even when its group is disabled. Showing or hiding it repaints its
/// area of the layer and nothing else; a widget of its own shown under the
/// pointer would cost a round trip to the display server each time.
class TPictureControl : public QObject {
  Q_OBJECT
 public:
  /// A child of the layer's parent, above the pictures made before it;
  /// Geometry is in the parent's coordinates and lies within the layer.
  TPictureControl(TPictureLayer& Layer, const char* Name, const QRect& Geometry,
                  const QPixmap& Pixmap);

  void setVisible(bool Visible);
  void show() { setVisible(true); }
  void hide() { setVisible(false); }
  bool isHidden() const { return Hidden; }
  /// Shown and its layer too.
  bool isVisible() const { return !Hidden && Surface.isVisible(); }
  QRect geometry() const { return Area; }
  QWidget* parentWidget() const { return Surface.parentWidget(); }
  const QPixmap& pixmap() const { return Picture; }
  TPictureLayer& Layer() const { return Surface; }

 private:
  TPictureLayer& Surface;
  QRect Area;
  QPixmap Picture;
  bool Hidden = false;
};
