// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/PictureBox.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {
TEST(PictureBox, HoldsAWhitePictureOfTheTraceSize) {
  TPictureBox Box;
  EXPECT_EQ(Box.Picture().size(), QSize(940, 520));
  EXPECT_EQ(Box.Picture().format(), QImage::Format_RGB32);
  EXPECT_EQ(Box.Picture().pixelColor(0, 0), Qt::white);
  EXPECT_EQ(Box.size(), QSize(940, 520));
}

TEST(PictureBox, ShowsWhatIsDrawnIntoIt) {
  TPictureBox Box;
  Box.show();
  Box.Picture().setPixelColor(30, 49, Qt::red);
  Box.Picture().setPixelColor(939, 519, Qt::blue);
  const QImage Shown = Box.grab().toImage();
  EXPECT_EQ(Shown.pixelColor(30, 49), Qt::red);
  EXPECT_EQ(Shown.pixelColor(939, 519), Qt::blue);
  EXPECT_EQ(Shown.pixelColor(31, 49), Qt::white);
}

TEST(PictureBox, ReportsTheMouseInPictureCoordinates) {
  TPictureBox Box;
  Box.show();
  QSignalSpy Pressed(&Box, &TPictureBox::MousePressed);
  QSignalSpy Moved(&Box, &TPictureBox::MouseMoved);
  QSignalSpy Released(&Box, &TPictureBox::MouseReleased);
  QTest::mousePress(&Box, Qt::RightButton, Qt::NoModifier, QPoint(22, 40));
  QTest::mouseMove(&Box, QPoint(100, 250));
  QTest::mouseRelease(&Box, Qt::RightButton, Qt::NoModifier, QPoint(921, 10));
  ASSERT_EQ(Pressed.size(), 1);
  EXPECT_EQ(Pressed[0], (QVariantList{22, 40}));
  ASSERT_GE(Moved.size(), 1);
  EXPECT_EQ(Moved.last(), (QVariantList{100, 250}));
  ASSERT_EQ(Released.size(), 1);
  EXPECT_EQ(Released[0], (QVariantList{921, 10}));
}

TEST(PictureBox, ReportsMovesWithoutAButtonHeld) {
  TPictureBox Box;
  Box.show();
  QSignalSpy Moved(&Box, &TPictureBox::MouseMoved);
  QTest::mouseMove(&Box, QPoint(300, 300));
  QTest::mouseMove(&Box, QPoint(301, 302));
  ASSERT_GE(Moved.size(), 1);
  EXPECT_EQ(Moved.last(), (QVariantList{301, 302}));
}
}  // namespace
