// SPDX-License-Identifier: GPL-3.0-or-later
// Records what a widget repaints, for tests that check a change repaints what
// it must and no more.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

class TPaintRecorder : public QObject {
 public:
  explicit TPaintRecorder(QWidget& Widget) { Widget.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* Event) override {
    if (Event->type() == QEvent::Paint) {
      Painted += static_cast<QPaintEvent*>(Event)->region();
      ++Paints;
    }
    return false;
  }
  /// Everything repainted so far, in the widget's coordinates.
  QRegion Painted;
  int Paints = 0;
};
