// SPDX-License-Identifier: GPL-3.0-or-later
// Layout of the five groups of acquisition controls under the trace area.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

#include "acquisition/TimeBase.h"
#include "app/Artwork.h"
#include "app/Form1.h"
#include "app/FormBuilding.h"
#include "app/PictureControl.h"

using namespace FormBuilding;

namespace {
QGroupBox* PlaceGroup(QWidget* Client, const char* Name, int X, int Y, int Width, int Height,
                      const char* Caption) {
  auto* Group = Place<QGroupBox>(Client, Name, X, Y, Width, Height);
  Group->setTitle(QString::fromUtf8(Caption));
  return Group;
}

QToolButton* GlyphButton(QWidget* Parent, const char* Name, int X, int Y, int Width, int Height,
                         const QPixmap& Glyph, const QString& Hint) {
  auto* Button = Place<QToolButton>(Parent, Name, X, Y, Width, Height);
  Button->setIcon(Glyph);
  Button->setIconSize(Glyph.size());
  MakeClickable(Button, Hint);
  return Button;
}

QRadioButton* RadioButton(QWidget* Parent, const char* Name, int X, int Y, int Width, int Height,
                          const char* Caption, const QString& Hint) {
  auto* Button = Place<QRadioButton>(Parent, Name, X, Y, Width, Height);
  Button->setText(QString::fromUtf8(Caption));
  MakeClickable(Button, Hint);
  return Button;
}

QLabel* Picture(QWidget* Parent, const char* Name, int X, int Y, int Width, int Height,
                const QPixmap& Pixmap, const QString& Hint = QString()) {
  auto* Label = Place<TStillPicture>(Parent, Name, X, Y, Width, Height);
  Label->setPixmap(Pixmap);
  Label->setToolTip(Hint);
  return Label;
}

// One trigger mode: its radio button and the picture beside it.
struct TTriggerModeLayout {
  QRadioButton* TForm1::*Button;
  const char* ButtonName;
  QLabel* TForm1::*Image;
  const char* ImageName;
  int X;  // of the picture; the radio button stands 30 to the right
  int Y;  // of the picture; the radio button stands 2 lower
  int Width;
  int Height;
  const char* Caption;
  const char* French;
  const char* PictureFrench;
  const char* English;
};

const TTriggerModeLayout TriggerModes[] = {
    {&TForm1::RadioButton1, "RadioButton1", &TForm1::Image3, "Image3", 4, 22, 81, 17, "Synch OFF",
     "Trigger inactif", "Trigger inactif.", "Trigger OFF"},
    {&TForm1::RadioButton2, "RadioButton2", &TForm1::Image4, "Image4", 4, 50, 81, 17,
     "Interne Egal", "Trigger interne et égal.", "Trigger interne et égal.",
     "Internal trigger and equal."},
    {&TForm1::RadioButton3, "RadioButton3", &TForm1::Image5, "Image5", 276, 22, 119, 17,
     "Externe Niveau haut", "Niveau haut, trigger externe.", "Niveau haut, trigger externe.",
     "External trigger, high level."},
    {&TForm1::RadioButton4, "RadioButton4", &TForm1::Image6, "Image6", 276, 50, 113, 13,
     "Externe Niveau Bas", "Niveau bas, trigger externe.", "Niveau bas, trigger externe.",
     "External trigger, low level."},
};

// Rows of the time-base buttons, top to bottom; columns are 48 apart from 4.
constexpr int TimeBaseRowY[] = {16, 37, 59};
}  // namespace

void TForm1::BuildTimeBaseGroup(QWidget* Client) {
  GroupBox1 = PlaceGroup(Client, "GroupBox1", 3, 594, 292, 79, " Base de temps : ");
  QToolButton** Members[] = {&SpeedButton5,  &SpeedButton6,  &SpeedButton7,  &SpeedButton8,
                             &SpeedButton9,  &SpeedButton10, &SpeedButton11, &SpeedButton12,
                             &SpeedButton13, &SpeedButton14, &SpeedButton15, &SpeedButton16,
                             &SpeedButton17, &SpeedButton18, &SpeedButton19, &SpeedButton20,
                             &SpeedButton21, &SpeedButton22};
  for (std::size_t Row = 0; Row < TimeBaseTable.size(); ++Row) {
    const TTimeBase& Base = TimeBaseTable[Row];
    const int Column = static_cast<int>(Row) / 3;
    auto* Button = Place<QToolButton>(GroupBox1, Base.ButtonName, 4 + 48 * Column,
                                      TimeBaseRowY[Row % 3], 41, 17);
    Button->setText(QString::fromUtf8(Base.Caption));
    Button->setCheckable(true);
    MakeClickable(Button, QString::fromUtf8(Base.Label));
    TimeBaseButtons[Row] = Button;
    *Members[Row] = Button;
  }
}

void TForm1::BuildAcquisitionGroup(QWidget* Client) {
  GroupBox2 = PlaceGroup(Client, "GroupBox2", 298, 594, 119, 79, "");
  SpeedButton24 = GlyphButton(GroupBox2, "SpeedButton24", 28, 10, 38, 39, Artwork::LoopGlyph(),
                              Hint("Acquisition en boucle.", "Recurring acquisition."));
  SpeedButton25 = GlyphButton(GroupBox2, "SpeedButton25", 28, 56, 38, 18, Artwork::SingleGlyph(),
                              Hint("Une seule acquisition.", "Single acquisition."));
  SpeedButton23 = GlyphButton(GroupBox2, "SpeedButton23", 72, 10, 41, 64, Artwork::HaltGlyph(),
                              Hint("Arrêt de l'acquisition.", "Halt acquisition."));
  for (QToolButton* Button : {SpeedButton23, SpeedButton24, SpeedButton25}) {
    Button->setCheckable(true);
  }
  // Each light is an unlit lamp with the lit one laid on top of it.
  auto* Lamps = new TPictureLayer(GroupBox2, QRect(6, 16, 17, 54));
  Image7 = new TPictureControl(*Lamps, "Image7", QRect(6, 16, 17, 17), Artwork::Lamp(false));
  Image9 = new TPictureControl(*Lamps, "Image9", QRect(6, 16, 17, 17), Artwork::Lamp(true));
  Image10 = new TPictureControl(*Lamps, "Image10", QRect(6, 53, 17, 17), Artwork::Lamp(false));
  Image8 = new TPictureControl(*Lamps, "Image8", QRect(6, 53, 17, 17), Artwork::Lamp(true));
}

void TForm1::BuildTriggerGroup(QWidget* Client) {
  GroupBox3 = PlaceGroup(Client, "GroupBox3", 420, 594, 427, 79, " Trigger : ");
  int Mode = 0;
  for (const TTriggerModeLayout& Layout : TriggerModes) {
    this->*Layout.Image =
        Picture(GroupBox3, Layout.ImageName, Layout.X, Layout.Y, 30, 20,
                Artwork::TriggerModePicture(Mode++), Hint(Layout.PictureFrench, Layout.English));
    this->*Layout.Button =
        RadioButton(GroupBox3, Layout.ButtonName, Layout.X + 30, Layout.Y + 2, Layout.Width,
                    Layout.Height, Layout.Caption, Hint(Layout.French, Layout.English));
  }
  QCheckBox** Members[] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4,
                           &CheckBox5, &CheckBox6, &CheckBox7, &CheckBox8};
  for (int K = 1; K <= 8; ++K) {
    const QByteArray Name = "CheckBox" + QByteArray::number(K);
    auto* Box = Place<QCheckBox>(GroupBox3, Name.constData(), K <= 4 ? 112 : 176,
                                 8 + 16 * ((K - 1) % 4), 65, 17);
    Box->setText(QStringLiteral("Entrée %1").arg(K));
    // The seventh English line has never had its full stop.
    const QString Stop = K == 7 ? QString() : QStringLiteral(".");
    MakeClickable(Box, QStringLiteral("Entrée n°%1.\nInput n°%1%2").arg(K).arg(Stop));
    CheckBoxes[static_cast<std::size_t>(K - 1)] = Box;
    *Members[K - 1] = Box;
  }
  SpeedButton28 = GlyphButton(GroupBox3, "SpeedButton28", 238, 10, 25, 25, Artwork::AllGlyph(),
                              Hint("Tout cocher", nullptr));
  SpeedButton29 = GlyphButton(GroupBox3, "SpeedButton29", 238, 46, 25, 25, Artwork::NoneGlyph(),
                              Hint("Tout décocher", nullptr));
  Panel2 = Place<QFrame>(GroupBox3, "Panel2", 265, 10, 9, 65);
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Label3 = Place<QLabel>(GroupBox3, "Label3", 112, 64, 40, 13);
  Label4 = Place<QLabel>(GroupBox3, "Label4", 176, 64, 40, 13);
  Label3->hide();
  Label4->hide();
}

void TForm1::BuildPullAndMeasureGroups(QWidget* Client) {
  GroupBox5 = PlaceGroup(Client, "GroupBox5", 850, 594, 109, 35, " Pull Up/Down : ");
  RadioButton5 = RadioButton(GroupBox5, "RadioButton5", 4, 16, 33, 17, "UP",
                             Hint("16 entrées - Etat haut.", "16 inputs - Pull Up."));
  RadioButton6 = RadioButton(GroupBox5, "RadioButton6", 55, 16, 49, 17, "Down",
                             Hint("16 entrées - Etat Bas.", "16 inputs - Pull down."));

  GroupBox4 = PlaceGroup(Client, "GroupBox4", 850, 628, 109, 45, " Mesure T et F : ");
  SpeedButton26 = GlyphButton(GroupBox4, "SpeedButton26", 5, 16, 100, 25, Artwork::MarkerGlyph(),
                              Hint("Marqueurs verticaux pour mesure de la durée et fréquence.",
                                   "Vertical markers for measure of length and frequency."));
}
