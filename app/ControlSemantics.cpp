// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ControlSemantics.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QRadioButton>

#include "app/Application.h"

namespace ControlSemantics {

void OnBecomesChecked(QRadioButton* Button, THandler Handler) {
  QObject::connect(Button, &QAbstractButton::toggled, Button,
                   [Handler = std::move(Handler)](bool Checked) {
                     if (Checked) {
                       RunHandler(Handler);
                     }
                   });
}

void OnStateChange(QCheckBox* Box, THandler Handler) {
  QObject::connect(Box, &QAbstractButton::toggled, Box,
                   [Handler = std::move(Handler)](bool) { RunHandler(Handler); });
}

void OnClick(QAbstractButton* Button, THandler Handler) {
  // clicked is sent after any latching change and also when the button that
  // is down in an exclusive group is clicked, never by setChecked.
  QObject::connect(Button, &QAbstractButton::clicked, Button,
                   [Handler = std::move(Handler)](bool) { RunHandler(Handler); });
}

void OnPositionChange(QAbstractSlider* Slider, THandler Handler) {
  QObject::connect(Slider, &QAbstractSlider::valueChanged, Slider,
                   [Handler = std::move(Handler)](int) { RunHandler(Handler); });
}

void OnChoose(QAction* Item, THandler Handler) {
  QObject::connect(Item, &QAction::triggered, Item,
                   [Handler = std::move(Handler)](bool) { RunHandler(Handler); });
}

QButtonGroup* MakeExclusiveGroup(QObject* Owner, std::initializer_list<QAbstractButton*> Buttons) {
  auto* Group = new QButtonGroup(Owner);
  Group->setExclusive(true);
  for (QAbstractButton* Button : Buttons) {
    Button->setCheckable(true);
    Group->addButton(Button);
  }
  return Group;
}

void MakeToggleButton(QAbstractButton* Button) {
  if (QButtonGroup* Group = Button->group()) {
    Group->removeButton(Button);
  }
  Button->setCheckable(true);
}

void PutDown(QAbstractButton* Button) {
  Button->setChecked(true);
}

namespace {
// Qt's scroll bar turns its arrow and page keys round (Right moves back);
// Windows' moves on with Right, Down and Page Down.
class TScrollKeys : public QObject {
 public:
  explicit TScrollKeys(QAbstractSlider* Bar) : QObject(Bar), Bar(Bar) {}

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Watched != Bar || Event->type() != QEvent::KeyPress) {
      return false;
    }
    const auto Action = ActionOf(static_cast<QKeyEvent*>(Event)->key());
    if (Action == QAbstractSlider::SliderNoAction) {
      return false;
    }
    Bar->triggerAction(Action);
    return true;
  }

 private:
  static QAbstractSlider::SliderAction ActionOf(int Key) {
    switch (Key) {
      case Qt::Key_Left:
      case Qt::Key_Up:
        return QAbstractSlider::SliderSingleStepSub;
      case Qt::Key_Right:
      case Qt::Key_Down:
        return QAbstractSlider::SliderSingleStepAdd;
      case Qt::Key_PageUp:
        return QAbstractSlider::SliderPageStepSub;
      case Qt::Key_PageDown:
        return QAbstractSlider::SliderPageStepAdd;
      case Qt::Key_Home:
        return QAbstractSlider::SliderToMinimum;
      case Qt::Key_End:
        return QAbstractSlider::SliderToMaximum;
      default:
        return QAbstractSlider::SliderNoAction;
    }
  }
  QAbstractSlider* const Bar;
};
}  // namespace

void TakeKeysOnClick(QAbstractSlider* Bar) {
  Bar->setFocusPolicy(Qt::ClickFocus);
  Bar->installEventFilter(new TScrollKeys(Bar));
}

}  // namespace ControlSemantics
