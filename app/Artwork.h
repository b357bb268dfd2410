// SPDX-License-Identifier: GPL-3.0-or-later
// The program's pictures, drawn in code: menu and toolbar pictures, button
// glyphs, trigger-mode pictures, indicator lamps, the plug-in picture with
// its animation and the start prompt.
#pragma once

#include <QBasicTimer>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

class QPainter;

namespace Artwork {

/// The seven 16 x 16 pictures of the menus and the toolbar, in list order.
enum class TMenuPicture { PcSpeed, Print, Save, Quit, Copy, Help, About };
QPixmap MenuPicture(TMenuPicture Picture);
/// "Ouvrir une capture..." (an open folder) and "Exporter les données..." (a
/// sheet of samples with an arrow leaving it), 16 x 16, beside the image list.
QPixmap OpenPicture();
QPixmap ExportPicture();

/// Acquisition buttons: loop (19 x 19), single (13 x 15), halt (16 x 16).
QPixmap LoopGlyph();
QPixmap SingleGlyph();
QPixmap HaltGlyph();

/// Scroll buttons (9 x 9): two or one triangles pointing left or right.
enum class TArrowGlyph { TwoLeft, OneLeft, OneRight, TwoRight };
QPixmap ArrowGlyph(TArrowGlyph Glyph);

/// "Tout cocher" and "Tout décocher" (13 x 13).
QPixmap AllGlyph();
QPixmap NoneGlyph();

/// The marker button (19 x 17).
QPixmap MarkerGlyph();

/// The picture beside trigger mode Mode's radio button (30 x 20).
QPixmap TriggerModePicture(int Mode);

/// An indicator lamp (16 x 16), grey when unlit, yellow when lit.
QPixmap Lamp(bool Lit);

/// The plug-in panel's picture (322 x 404).
QPixmap PlugInPicture();

/// The start prompt's picture (325 x 143).
QPixmap StartPromptPicture();

/// The About window's picture (572 x 516).
QPixmap AboutPicture();

/// Frames of the plug-in animation (235 x 67), drawn one after the other.
inline constexpr int PlugAnimationFrames = 24;
void DrawPlugAnimationFrame(QPainter& Painter, int Frame);

}  // namespace Artwork

/// A picture control: shows its picture from the top-left corner, in full
/// colour even when its group is disabled.
class TStillPicture : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* Event) override;
};

/// The animated picture of the plug-in panel; it plays while it is shown.
class TPlugAnimation : public QWidget {
  Q_OBJECT
 public:
  explicit TPlugAnimation(QWidget* Parent = nullptr);
  /// The frame shown now.
  int Frame() const { return CurrentFrame; }

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;
  void timerEvent(QTimerEvent* Event) override;

 private:
  QBasicTimer Timer;
  int CurrentFrame = 0;
};
