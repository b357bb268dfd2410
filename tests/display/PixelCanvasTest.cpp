// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/PixelCanvas.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "PictureTestHelpers.h"

namespace {

constexpr TRgb Grey = 0xFF808080;

QImage Blank(int Width = 40, int Height = 30, TRgb Fill = ColourWhite) {
  QImage Image(Width, Height, QImage::Format_RGB32);
  Image.fill(Fill);
  return Image;
}

std::set<std::pair<int, int>> RedPixels(const QImage& Image) {
  std::set<std::pair<int, int>> Pixels;
  for (int Y = 0; Y < Image.height(); ++Y) {
    for (int X = 0; X < Image.width(); ++X) {
      if (PixelAt(Image, X, Y) == 0xFF0000) {
        Pixels.insert({X, Y});
      }
    }
  }
  return Pixels;
}

struct TLineCase {
  const char* Name;
  TPixelLine Line;
  std::set<std::pair<int, int>> Pixels;
};

class CanvasLines : public testing::TestWithParam<TLineCase> {};

TEST_P(CanvasLines, CoverTheStartButNotTheEnd) {
  QImage Image = Blank();
  TPixelCanvas Canvas(Image);
  Canvas.SetPen(ColourRed);
  Canvas.Line(GetParam().Line);
  EXPECT_EQ(RedPixels(Image), GetParam().Pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CanvasLines,
    testing::Values(
        TLineCase{"Rightwards", {{2, 5}, {6, 5}}, {{2, 5}, {3, 5}, {4, 5}, {5, 5}}},
        TLineCase{"Leftwards", {{6, 5}, {2, 5}}, {{6, 5}, {5, 5}, {4, 5}, {3, 5}}},
        TLineCase{"Downwards", {{3, 1}, {3, 4}}, {{3, 1}, {3, 2}, {3, 3}}},
        TLineCase{"Upwards", {{3, 4}, {3, 1}}, {{3, 4}, {3, 3}, {3, 2}}},
        TLineCase{"OnePixel", {{7, 7}, {8, 7}}, {{7, 7}}}, TLineCase{"Empty", {{7, 7}, {7, 7}}, {}},
        TLineCase{"Diagonal", {{1, 1}, {4, 4}}, {{1, 1}, {2, 2}, {3, 3}}},
        TLineCase{"Steep", {{8, 8}, {12, 2}}, {{8, 8}, {9, 7}, {9, 6}, {10, 5}, {11, 4}, {11, 3}}},
        TLineCase{
            "SteepMirrored", {{8, 8}, {4, 2}}, {{8, 8}, {7, 7}, {7, 6}, {6, 5}, {5, 4}, {5, 3}}},
        TLineCase{"Shallow", {{0, 0}, {4, 2}}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        TLineCase{"ShallowReversed", {{4, 2}, {0, 0}}, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},
        TLineCase{"Clipped", {{-3, 2}, {2, 2}}, {{0, 2}, {1, 2}}},
        TLineCase{"OutsideEntirely", {{-10, -5}, {100, -5}}, {}}),
    [](const testing::TestParamInfo<TLineCase>& Info) { return Info.param.Name; });

TEST(Canvas, LineToContinuesFromTheEndOfTheLastLine) {
  QImage Image = Blank();
  TPixelCanvas Canvas(Image);
  Canvas.SetPen(ColourRed);
  Canvas.MoveTo(1, 1);
  Canvas.LineTo(4, 1);
  Canvas.LineTo(4, 3);
  // The corner is drawn once, by the second line; the last end stays blank.
  EXPECT_EQ(RedPixels(Image),
            (std::set<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}}));
}

TEST(Canvas, DashedPenDrawsEighteenAndSkipsSixFromTheStart) {
  QImage Image = Blank(30, 60);
  TPixelCanvas Canvas(Image);
  Canvas.SetPen(ColourGreen, TPenStyle::Dashed);
  Canvas.Line({{5, 2}, {5, 57}});
  std::string Column;
  for (int Y = 0; Y < 60; ++Y) {
    Column += PixelAt(Image, 5, Y) == 0x008000 ? '#' : '.';
  }
  EXPECT_EQ(Column, ".." + std::string(18, '#') + std::string(6, '.') + std::string(18, '#') +
                        std::string(6, '.') + std::string(7, '#') + "...");
}

TEST(Canvas, DashedGapsLeaveThePictureAlone) {
  QImage Image = Blank(40, 5, Grey);
  TPixelCanvas Canvas(Image);
  Canvas.SetPen(ColourMagenta, TPenStyle::Dashed);
  Canvas.Line({{0, 2}, {30, 2}});
  EXPECT_EQ(PixelAt(Image, 17, 2), 0xFF00FFu);
  EXPECT_EQ(PixelAt(Image, 18, 2), 0x808080u);
  EXPECT_EQ(PixelAt(Image, 23, 2), 0x808080u);
  EXPECT_EQ(PixelAt(Image, 24, 2), 0xFF00FFu);
}

TEST(Canvas, DrawsOnOtherFormatsAfterConvertingThem) {
  QImage Image(10, 10, QImage::Format_RGB888);
  Image.fill(Qt::white);
  TPixelCanvas Canvas(Image);
  Canvas.SetPen(ColourBlue);
  Canvas.Line({{0, 0}, {5, 0}});
  EXPECT_EQ(Image.format(), QImage::Format_RGB32);
  EXPECT_EQ(PixelAt(Image, 4, 0), 0x0000FFu);
  EXPECT_EQ(PixelAt(Image, 5, 0), 0xFFFFFFu);
}

TEST(Canvas, NullImageTakesNothing) {
  QImage Image;
  TPixelCanvas Canvas(Image);
  Canvas.Line({{0, 0}, {5, 5}});
  Canvas.TextOut({0, 0}, QStringLiteral("x"));
  EXPECT_TRUE(Image.isNull());
}

TEST(Canvas, DrawingDoesNotReachIntoACopyOfTheImage) {
  QImage Image = Blank();
  const QImage Copy = Image;
  TPixelCanvas Canvas(Image);
  Canvas.SetPen(ColourRed);
  Canvas.Line({{0, 0}, {10, 0}});
  Canvas.TextOut({0, 10}, QStringLiteral("Copy"));
  EXPECT_EQ(CountPixels(Copy, ColourWhite), 40 * 30);
}

// The text box, seen on a grey picture: white box of the text's width and
// TextHeight rows from the given corner, ink only in the font colour.
TEST(CanvasText, OpaqueBoxFromTheTopLeftCorner) {
  QImage Image = Blank(200, 40, Grey);
  TPixelCanvas Canvas(Image);
  Canvas.SetFontColour(ColourBlue);
  const QString Text = QStringLiteral("Time/Div : 1ms");
  Canvas.TextOut({17, 9}, Text);
  const int Width = TPixelCanvas::TextWidth(Text);
  ASSERT_GT(Width, 40);
  int Ink = 0;
  for (int Y = 0; Y < Image.height(); ++Y) {
    for (int X = 0; X < Image.width(); ++X) {
      const bool InBox = X >= 17 && X < 17 + Width && Y >= 9 && Y < 9 + TextHeight;
      const unsigned Pixel = PixelAt(Image, X, Y);
      if (!InBox) {
        ASSERT_EQ(Pixel, 0x808080u) << X << "," << Y;
      } else {
        ASSERT_TRUE(Pixel == 0xFFFFFFu || Pixel == 0x0000FFu) << X << "," << Y;
        Ink += Pixel == 0x0000FFu ? 1 : 0;
      }
    }
  }
  EXPECT_GT(Ink, 60);
}

TEST(CanvasText, CapitalsHangBelowTheGivenCornerAboveTheDescent) {
  QImage Image = Blank(60, 20);
  TPixelCanvas Canvas(Image);
  Canvas.TextOut({0, 0}, QStringLiteral("TEH"));
  const auto Rows = InkRows(Image, 0, 0, 60, 20, ColourBlack);
  int First = -1;
  int Last = -1;
  for (int Row = 0; Row < 20; ++Row) {
    if (Rows[static_cast<std::size_t>(Row)].find('#') != std::string::npos) {
      First = First < 0 ? Row : First;
      Last = Row;
    }
  }
  // Room above for accents, the descent below: a label at y = 30 stays
  // inside its row of the grid.
  EXPECT_GE(First, 1);
  EXPECT_LE(First, 3);
  EXPECT_GE(Last, 7);
  EXPECT_LE(Last, TextHeight - 3);
}

TEST(CanvasText, FontIsAnElevenPixelSans) {
  const QFont& Font = TPixelCanvas::TextFont();
  EXPECT_FALSE(Font.italic());
  EXPECT_EQ(Font.weight(), QFont::Normal);
  EXPECT_EQ(QFontMetrics(Font).height(), TextHeight);
  EXPECT_LT(TPixelCanvas::TextWidth(QStringLiteral("1")),
            TPixelCanvas::TextWidth(QStringLiteral("16")));
}

// The picture's texts have the same pixels on every system and machine:
// DejaVu Sans 10 pixels high, fully hinted, without anti-aliasing, as FreeType
// draws it; not a substitute, not another engine's hinting.
TEST(CanvasText, GlyphsAreTheSameOnEverySystem) {
  const std::vector<std::string> Rows = {
      "...................................................................",
      "..............#....................................................",
      ".###....#.....#.#.............###......###..###...#####............",
      "...#....#.....#.#............#...#....#...#...#.......#............",
      "...#...#...########....#.....#...#....#...#...#......#..#...#..####",
      "...#...#..#...#.#............#...#....#...#...#......#..#...#..#...",
      "...#...#..#...#.#............#...#....#...#...#.....#...#...#...###",
      "...#...#..#...#.#............#...#....#...#...#.....#...#...#.....#",
      ".######....####.###....#......###..#...###..#####..#....######.####",
      "......#.................................................#..........",
      "........................................................#..........",
  };
  const QImage Image = TextAlone(QStringLiteral("1/dt : 0.017µs"), ColourBlack);
  EXPECT_EQ(InkRows(Image, 0, 0, Image.width(), Image.height(), ColourBlack), Rows);
}

TEST(CanvasText, ClippedAtThePictureEdge) {
  QImage Image = Blank(40, 12, Grey);
  TPixelCanvas Canvas(Image);
  const QString Blanks(8, QLatin1Char(' '));
  ASSERT_GE(TPixelCanvas::TextWidth(Blanks), 10);
  Canvas.TextOut({-5, -3}, Blanks);
  Canvas.TextOut({35, 8}, Blanks);
  EXPECT_EQ(PixelAt(Image, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Image, 0, 7), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Image, 0, 8), 0x808080u);
  EXPECT_EQ(PixelAt(Image, 39, 11), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(Image, 34, 11), 0x808080u);
}

// The area TextOut reports is exactly the pixels it wrote, whatever the
// clipping: whoever repaints only that area must not miss one.
struct TTextAreaCase {
  const char* Name;
  TPixelPoint At;
};

void PrintTo(const TTextAreaCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class CanvasTextArea : public testing::TestWithParam<TTextAreaCase> {};

TEST_P(CanvasTextArea, IsWhatWasWritten) {
  QImage Image = Blank(40, 12, Grey);
  TPixelCanvas Canvas(Image);
  const QRect Area = Canvas.TextOut(GetParam().At, QStringLiteral("Wm 8"));
  QRect Written;
  for (int Y = 0; Y < Image.height(); ++Y) {
    for (int X = 0; X < Image.width(); ++X) {
      if (PixelAt(Image, X, Y) != 0x808080u) {
        Written |= QRect(X, Y, 1, 1);
      }
    }
  }
  EXPECT_EQ(Area, Written);
}

INSTANTIATE_TEST_SUITE_P(Places, CanvasTextArea,
                         testing::Values(TTextAreaCase{"Inside", {2, 1}},
                                         TTextAreaCase{"OverTheTopLeftCorner", {-5, -3}},
                                         TTextAreaCase{"OverTheBottomRightCorner", {30, 8}},
                                         TTextAreaCase{"RightOfThePicture", {40, 0}},
                                         TTextAreaCase{"BelowThePicture", {0, 12}},
                                         TTextAreaCase{"AboveThePicture", {0, -11}}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(CanvasText, SameTextInAnotherColourKeepsItsShape) {
  // Rendered texts are reused; the colour must still be the one asked for.
  const QImage Red = TextAlone(QStringLiteral("D7"), ColourRed);
  const QImage Blue = TextAlone(QStringLiteral("D7"), ColourBlue);
  EXPECT_EQ(InkRows(Red, 0, 0, Red.width(), TextHeight, ColourRed),
            InkRows(Blue, 0, 0, Blue.width(), TextHeight, ColourBlue));
  EXPECT_EQ(CountPixels(Red, ColourBlue), 0);
  EXPECT_GT(CountPixels(Blue, ColourBlue), 0);
}

}  // namespace
