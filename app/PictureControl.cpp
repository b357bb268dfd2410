// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PictureControl.h"

#include <QPaintEvent>
#include <QPainter>

TPictureLayer::TPictureLayer(QWidget* Parent, const QRect& Area)
    : QWidget(Parent), Background(Area.size()) {
  setGeometry(Area);
  // The background under the pictures never changes: drawn once, it lets
  // a picture swap repaint the layer alone, not its parent behind it.
  Background.fill(Qt::transparent);
  Parent->render(&Background, QPoint(), QRegion(Area), QWidget::DrawWindowBackground);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TPictureLayer::paintEvent(QPaintEvent* Event) {
  QPainter Painter(this);
  Painter.drawPixmap(Event->rect(), Background, Event->rect());
  for (const TPictureControl* Picture : Pictures) {
    if (!Picture->isHidden()) {
      const QRect Area = Picture->geometry();
      Painter.drawPixmap(Area.topLeft() - pos(), Picture->pixmap(), QRect(QPoint(), Area.size()));
    }
  }
}

TPictureControl::TPictureControl(TPictureLayer& Layer, const char* Name, const QRect& Geometry,
                                 const QPixmap& Pixmap)
    : QObject(Layer.parentWidget()), Surface(Layer), Area(Geometry), Picture(Pixmap) {
  setObjectName(QString::fromUtf8(Name));
  Surface.Pictures.push_back(this);
  Surface.update(Area.translated(-Surface.pos()));
}

void TPictureControl::setVisible(bool Visible) {
  if (Visible == !Hidden) {
    return;
  }
  Hidden = !Visible;
  Surface.update(Area.translated(-Surface.pos()));
}
