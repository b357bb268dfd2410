// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ControlSemantics.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWidget>

namespace {
using namespace ControlSemantics;

class Controls : public testing::Test {
 protected:
  void SetUp() override {
    Window.resize(300, 200);
    Window.show();
  }
  template <typename TControl>
  TControl* Add(int Y) {
    auto* Control = new TControl(&Window);
    Control->setGeometry(10, Y, 80, 20);
    Control->show();
    return Control;
  }
  static void Click(QWidget* Control) {
    QTest::mouseClick(Control, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
  }
  QWidget Window;
};

TEST_F(Controls, RadioButtonRunsItsHandlerWhenItBecomesChecked) {
  auto* First = Add<QRadioButton>(10);
  auto* Second = Add<QRadioButton>(40);
  int FirstRuns = 0;
  int SecondRuns = 0;
  OnBecomesChecked(First, [&] { ++FirstRuns; });
  OnBecomesChecked(Second, [&] { ++SecondRuns; });

  First->setChecked(true);  // by the program
  EXPECT_EQ(FirstRuns, 1);
  First->setChecked(true);  // already checked: nothing
  Click(First);             // clicked again while checked: nothing
  EXPECT_EQ(FirstRuns, 1);

  Click(Second);  // by the user; the first one is unchecked without running
  EXPECT_TRUE(Second->isChecked());
  EXPECT_FALSE(First->isChecked());
  EXPECT_EQ(SecondRuns, 1);
  EXPECT_EQ(FirstRuns, 1);
}

TEST_F(Controls, CheckBoxRunsItsHandlerOnEveryChangeOfState) {
  auto* Box = Add<QCheckBox>(10);
  std::vector<bool> Seen;
  OnStateChange(Box, [&] { Seen.push_back(Box->isChecked()); });
  Click(Box);
  Box->setChecked(false);
  Box->setChecked(false);  // no change: nothing
  Box->setChecked(true);
  EXPECT_EQ(Seen, (std::vector<bool>{true, false, true}));
}

TEST_F(Controls, ExclusiveGroupButtonRunsAgainWhenClickedWhileDown) {
  auto* One = Add<QToolButton>(10);
  auto* Two = Add<QToolButton>(40);
  QButtonGroup* Group = MakeExclusiveGroup(&Window, {One, Two});
  EXPECT_TRUE(Group->exclusive());
  int OneRuns = 0;
  int TwoRuns = 0;
  OnClick(One, [&] { ++OneRuns; });
  OnClick(Two, [&] { ++TwoRuns; });

  PutDown(One);  // by the program: down, handler not run
  EXPECT_TRUE(One->isChecked());
  EXPECT_EQ(OneRuns, 0);

  Click(One);  // already down: stays down, runs again
  EXPECT_TRUE(One->isChecked());
  EXPECT_EQ(OneRuns, 1);
  Click(One);
  EXPECT_EQ(OneRuns, 2);

  Click(Two);  // the other one goes down, the first pops up
  EXPECT_TRUE(Two->isChecked());
  EXPECT_FALSE(One->isChecked());
  EXPECT_EQ(TwoRuns, 1);

  PutDown(One);  // the program can switch back silently
  EXPECT_TRUE(One->isChecked());
  EXPECT_FALSE(Two->isChecked());
  EXPECT_EQ(OneRuns, 2);
  EXPECT_EQ(TwoRuns, 1);
}

TEST_F(Controls, ToggleButtonFlipsOnEachClickThenRuns) {
  auto* Button = Add<QToolButton>(10);
  MakeToggleButton(Button);
  std::vector<bool> Seen;
  OnClick(Button, [&] { Seen.push_back(Button->isChecked()); });
  Click(Button);
  Click(Button);
  Click(Button);
  EXPECT_EQ(Seen, (std::vector<bool>{true, false, true}));
  Button->setChecked(false);  // by the program: no handler
  EXPECT_EQ(Seen.size(), 3U);
}

TEST_F(Controls, ToggleButtonLeavesAnExclusiveGroup) {
  auto* One = Add<QToolButton>(10);
  auto* Two = Add<QToolButton>(40);
  MakeExclusiveGroup(&Window, {One, Two});
  PutDown(Two);
  MakeToggleButton(Two);
  Click(Two);
  EXPECT_FALSE(Two->isChecked());
}

TEST_F(Controls, SliderRunsItsHandlerOnlyWhenThePositionChanges) {
  auto* Slider = Add<QSlider>(10);
  Slider->setRange(100, 1000);
  Slider->setValue(100);
  int Runs = 0;
  OnPositionChange(Slider, [&] { ++Runs; });
  Slider->setValue(100);
  Slider->setValue(50);  // clamped to 100: no change
  EXPECT_EQ(Runs, 0);
  Slider->setValue(1500);  // clamped to 1000
  EXPECT_EQ(Runs, 1);
  EXPECT_EQ(Slider->value(), 1000);
  Slider->setValue(1000);
  EXPECT_EQ(Runs, 1);
}

TEST_F(Controls, CheckMenuItemTogglesItsMarkBeforeItsHandler) {
  QAction Item(QStringLiteral("option"));
  Item.setCheckable(true);
  std::vector<bool> Seen;
  OnChoose(&Item, [&] { Seen.push_back(Item.isChecked()); });
  Item.trigger();
  Item.trigger();
  Item.setChecked(true);  // by the program: no handler
  EXPECT_EQ(Seen, (std::vector<bool>{true, false}));
}
}  // namespace
