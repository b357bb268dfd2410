// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "app/ControlSemantics.h"
#include "tests/support/FakeEnvironment.h"

namespace {
using TBoxKind = TFakeEnvironment::TBoxKind;

class ErrorCatcher : public testing::Test {
 protected:
  void SetUp() override {
    Application = static_cast<TApplication*>(QCoreApplication::instance());
    Application->SetEnvironment(&Environment);
  }
  void TearDown() override { Application->SetEnvironment(nullptr); }
  TApplication* Application = nullptr;
  TFakeEnvironment Environment;
};

TEST_F(ErrorCatcher, ErrorEscapingAClickHandlerIsShownAndTheProgramGoesOn) {
  QPushButton Button(QStringLiteral("go"));
  Button.resize(80, 24);
  Button.show();
  int Runs = 0;
  ControlSemantics::OnClick(&Button, [&] {
    ++Runs;
    throw std::runtime_error("'abc' n'est pas une valeur entière correcte");
  });
  QTest::mouseClick(&Button, Qt::LeftButton);
  ASSERT_EQ(Environment.Messages(TBoxKind::Error),
            std::vector<QString>{QStringLiteral("'abc' n'est pas une valeur entière correcte")});
  // The button still works.
  QTest::mouseClick(&Button, Qt::LeftButton);
  EXPECT_EQ(Runs, 2);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error).size(), 2U);
}

TEST_F(ErrorCatcher, ErrorFromAKeyOnASliderIsShown) {
  QSlider Slider(Qt::Horizontal);
  Slider.setRange(0, 10);
  Slider.show();
  ControlSemantics::OnPositionChange(&Slider, [] { throw std::runtime_error("disque plein"); });
  QTest::keyClick(&Slider, Qt::Key_Right);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error),
            std::vector<QString>{QStringLiteral("disque plein")});
  EXPECT_EQ(Slider.value(), 1);
}

TEST_F(ErrorCatcher, ErrorInATimerHandlerIsShownAndTheLoopRunsOn) {
  QEventLoop Loop;
  QTimer::singleShot(0, &Loop, [] { throw std::out_of_range("hors limites"); });
  QTimer::singleShot(20, &Loop, [&] { Loop.exit(7); });
  EXPECT_EQ(Loop.exec(), 7);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error),
            std::vector<QString>{QStringLiteral("hors limites")});
}

TEST_F(ErrorCatcher, SomethingThatIsNotAnErrorObjectIsShownAsUnknown) {
  QPushButton Button;
  Button.show();
  ControlSemantics::OnClick(&Button, [] { throw 42; });
  QTest::mouseClick(&Button, Qt::LeftButton);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error),
            std::vector<QString>{QStringLiteral("Erreur inconnue.")});
}
TEST_F(ErrorCatcher, ErrorOfAHandlerSetOffByTheProgramIsShownAndTheCallReturns) {
  QSlider Slider(Qt::Horizontal);
  Slider.setRange(0, 10);
  ControlSemantics::OnPositionChange(&Slider, [] { throw std::runtime_error("disque plein"); });
  Slider.setValue(4);
  EXPECT_EQ(Slider.value(), 4);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error),
            std::vector<QString>{QStringLiteral("disque plein")});
}

TEST_F(ErrorCatcher, CarriedErrorReachesTheCallerOnceQtHasReturned) {
  QSlider Slider(Qt::Horizontal);
  Slider.setRange(0, 10);
  int Runs = 0;
  ControlSemantics::OnPositionChange(&Slider, [&] {
    ++Runs;
    throw std::runtime_error("disque plein");
  });
  try {
    CarryHandlerErrors([&] { Slider.setValue(4); });
    FAIL() << "no error carried";
  } catch (const std::runtime_error& Error) {
    EXPECT_STREQ(Error.what(), "disque plein");
  }
  EXPECT_EQ(Runs, 1);
  EXPECT_EQ(Slider.value(), 4);
  EXPECT_TRUE(Environment.Messages(TBoxKind::Error).empty());
  // Once the carrying is over, handlers show their own errors again.
  Slider.setValue(5);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error).size(), 1U);
}

TEST_F(ErrorCatcher, OnlyTheHandlerSetOffDirectlyIsCarried) {
  QSlider Outer(Qt::Horizontal);
  QSlider Inner(Qt::Horizontal);
  bool OuterFinished = false;
  ControlSemantics::OnPositionChange(&Inner, [] { throw std::out_of_range("hors limites"); });
  ControlSemantics::OnPositionChange(&Outer, [&] {
    Inner.setValue(Inner.value() + 1);
    OuterFinished = true;
  });
  EXPECT_NO_THROW(CarryHandlerErrors([&] { Outer.setValue(1); }));
  EXPECT_TRUE(OuterFinished);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error),
            std::vector<QString>{QStringLiteral("hors limites")});
  // An error of the call itself passes as it is.
  EXPECT_THROW(CarryHandlerErrors([] { throw std::logic_error("x"); }), std::logic_error);
  Outer.setValue(2);
  EXPECT_EQ(Environment.Messages(TBoxKind::Error).size(), 2U);
}
}  // namespace
