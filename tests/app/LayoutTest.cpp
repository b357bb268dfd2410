// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

#include "app/PictureControl.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "tests/support/CaseNames.h"
#include "tests/support/FormHarness.h"

namespace {
using CaseNames::PrintTo;
class Layout : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Harness = new TFormHarness;
    Harness->StartShown();
  }
  static void TearDownTestSuite() {
    delete Harness;
    Harness = nullptr;
  }
  static TForm1& Form() { return *Harness->Form; }
  static QWidget* Control(const char* Name) {
    return Form().findChild<QWidget*>(QString::fromUtf8(Name));
  }
  static TFormHarness* Harness;
};
TFormHarness* Layout::Harness = nullptr;

TEST_F(Layout, WindowIsFixedCentredAndCaptioned) {
  EXPECT_EQ(Form().windowTitle(), QStringLiteral("Analyseur logique USB V1.6"));
  EXPECT_EQ(Form().centralWidget()->size(), QSize(961, 695));
  EXPECT_EQ(Form().minimumSize(), Form().maximumSize());
  EXPECT_FALSE(Form().windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(Form().windowFlags() & Qt::WindowMinimizeButtonHint);
}

struct TPlace {
  const char* Name;
  const char* Parent;
  int X, Y, Width, Height;
};

class LayoutPlaces : public Layout, public testing::WithParamInterface<TPlace> {};

TEST_P(LayoutPlaces, ControlStandsWhereItWasDesigned) {
  const TPlace& Place = GetParam();
  const QObject* Object = Form().findChild<QObject*>(QString::fromUtf8(Place.Name));
  ASSERT_NE(Object, nullptr) << Place.Name;
  // A picture without a window of its own stands in its layer's parent.
  const auto* Picture = qobject_cast<const TPictureControl*>(Object);
  const auto* Widget = qobject_cast<const QWidget*>(Object);
  ASSERT_TRUE(Picture != nullptr || Widget != nullptr) << Place.Name;
  EXPECT_EQ((Picture ? Picture->parentWidget() : Widget->parentWidget())->objectName(),
            QString::fromUtf8(Place.Parent));
  EXPECT_EQ(Picture ? Picture->geometry() : Widget->geometry(),
            QRect(Place.X, Place.Y, Place.Width, Place.Height));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, LayoutPlaces,
    testing::Values(
        TPlace{"Panel1", "ClientArea", 3, 32, 958, 537}, TPlace{"Image1", "Panel1", 8, 8, 940, 520},
        TPlace{"Image2", "Panel1", 8, 8, 940, 520}, TPlace{"Panel3", "Panel1", 304, 59, 340, 420},
        TPlace{"Image12", "Panel3", 8, 8, 322, 404}, TPlace{"Animate1", "Panel3", 50, 288, 235, 67},
        TPlace{"Panel5", "Panel1", 264, 168, 417, 177},
        TPlace{"TrackBar1", "Panel5", 32, 48, 345, 25},
        TPlace{"SpeedButton27", "Panel5", 152, 136, 89, 25},
        TPlace{"SpeedButton4", "ClientArea", 0, 576, 65, 17},
        TPlace{"SpeedButton3", "ClientArea", 64, 576, 65, 17},
        TPlace{"ScrollBar1", "ClientArea", 128, 576, 705, 17},
        TPlace{"SpeedButton1", "ClientArea", 832, 576, 65, 17},
        TPlace{"SpeedButton2", "ClientArea", 896, 576, 65, 17},
        TPlace{"GroupBox1", "ClientArea", 3, 594, 292, 79},
        TPlace{"SpeedButton5", "GroupBox1", 4, 16, 41, 17},
        TPlace{"SpeedButton7", "GroupBox1", 4, 59, 41, 17},
        TPlace{"SpeedButton14", "GroupBox1", 148, 16, 41, 17},
        TPlace{"SpeedButton18", "GroupBox1", 196, 37, 41, 17},
        TPlace{"SpeedButton22", "GroupBox1", 244, 59, 41, 17},
        TPlace{"GroupBox2", "ClientArea", 298, 594, 119, 79},
        TPlace{"SpeedButton24", "GroupBox2", 28, 10, 38, 39},
        TPlace{"SpeedButton25", "GroupBox2", 28, 56, 38, 18},
        TPlace{"SpeedButton23", "GroupBox2", 72, 10, 41, 64},
        TPlace{"Image7", "GroupBox2", 6, 16, 17, 17}, TPlace{"Image9", "GroupBox2", 6, 16, 17, 17},
        TPlace{"Image10", "GroupBox2", 6, 53, 17, 17}, TPlace{"Image8", "GroupBox2", 6, 53, 17, 17},
        TPlace{"GroupBox3", "ClientArea", 420, 594, 427, 79},
        TPlace{"Image3", "GroupBox3", 4, 22, 30, 20}, TPlace{"Image4", "GroupBox3", 4, 50, 30, 20},
        TPlace{"Image5", "GroupBox3", 276, 22, 30, 20},
        TPlace{"Image6", "GroupBox3", 276, 50, 30, 20},
        TPlace{"RadioButton1", "GroupBox3", 34, 24, 81, 17},
        TPlace{"RadioButton2", "GroupBox3", 34, 52, 81, 17},
        TPlace{"RadioButton3", "GroupBox3", 306, 24, 119, 17},
        TPlace{"RadioButton4", "GroupBox3", 306, 52, 113, 13},
        TPlace{"CheckBox1", "GroupBox3", 112, 8, 65, 17},
        TPlace{"CheckBox4", "GroupBox3", 112, 56, 65, 17},
        TPlace{"CheckBox5", "GroupBox3", 176, 8, 65, 17},
        TPlace{"CheckBox8", "GroupBox3", 176, 56, 65, 17},
        TPlace{"SpeedButton28", "GroupBox3", 238, 10, 25, 25},
        TPlace{"SpeedButton29", "GroupBox3", 238, 46, 25, 25},
        TPlace{"Panel2", "GroupBox3", 265, 10, 9, 65},
        TPlace{"GroupBox5", "ClientArea", 850, 594, 109, 35},
        TPlace{"RadioButton5", "GroupBox5", 4, 16, 33, 17},
        TPlace{"RadioButton6", "GroupBox5", 55, 16, 49, 17},
        TPlace{"GroupBox4", "ClientArea", 850, 628, 109, 45},
        TPlace{"SpeedButton26", "GroupBox4", 5, 16, 100, 25},
        TPlace{"Panel6", "ClientArea", 181, 440, 342, 161},
        TPlace{"Image11", "Panel6", 8, 8, 325, 143},
        TPlace{"StatusBar1", "ClientArea", 0, 672, 961, 23}),
    [](const testing::TestParamInfo<TPlace>& Info) { return std::string(Info.param.Name); });

struct TLabelPlace {
  const char* Name;
  int X, Y;
  const char* Text;
};

class LayoutLabels : public Layout, public testing::WithParamInterface<TLabelPlace> {};

TEST_P(LayoutLabels, LabelShowsItsTextAtItsPlace) {
  auto* Label = qobject_cast<QLabel*>(Control(GetParam().Name));
  ASSERT_NE(Label, nullptr);
  EXPECT_EQ(Label->pos(), QPoint(GetParam().X, GetParam().Y));
  EXPECT_EQ(Label->text(), QString::fromUtf8(GetParam().Text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LayoutLabels,
    testing::Values(
        TLabelPlace{"Label1", 62, 248,
                    "Branchez votre analyseur logique\n à l'un des ports USB de votre PC."},
        TLabelPlace{"Label2", 62, 368,
                    "Mettez l'analyseur logique sous tension \n      et patientez quelques "
                    "secondes..."},
        TLabelPlace{"Label8", 56, 8, "Réglage de la vitesse de votre PC"},
        TLabelPlace{"Label6", 24, 80, "PC rapide"}, TLabelPlace{"Label7", 344, 80, "PC lent"},
        TLabelPlace{"Label10", 152, 104, "Position :"}),
    [](const testing::TestParamInfo<TLabelPlace>& Info) { return std::string(Info.param.Name); });

struct THint {
  const char* Name;
  const char* Text;
};

class LayoutHints : public Layout, public testing::WithParamInterface<THint> {};

TEST_P(LayoutHints, HintIsFrenchThenEnglish) {
  QWidget* Widget = Control(GetParam().Name);
  ASSERT_NE(Widget, nullptr);
  EXPECT_EQ(Widget->toolTip(), QString::fromUtf8(GetParam().Text));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, LayoutHints,
    testing::Values(
        THint{"SpeedButton1",
              "Translation de la trace de 5 carreaux vers la gauche.\nTranslation of the trace of "
              "5 tiles towards the left."},
        THint{"SpeedButton2",
              "Translation de la trace de 10 carreaux vers la gauche.\nTranslation of the trace "
              "of 10 tiles towards the left."},
        THint{"SpeedButton3",
              "Translation de la trace de 5 carreaux vers la droite.\nTranslation of the trace of "
              "5 tiles towards right"},
        THint{"SpeedButton4",
              "Translation de la trace de 10 carreaux vers la droite.\nTranslation of the trace "
              "of 10 tiles towards right"},
        THint{"ScrollBar1", "Barre de translation des traces.\nBar of translation of traces."},
        THint{"SpeedButton23", "Arrêt de l'acquisition.\nHalt acquisition."},
        THint{"SpeedButton24", "Acquisition en boucle.\nRecurring acquisition."},
        THint{"SpeedButton25", "Une seule acquisition.\nSingle acquisition."},
        THint{"RadioButton1", "Trigger inactif\nTrigger OFF"},
        THint{"Image3", "Trigger inactif.\nTrigger OFF"},
        THint{"RadioButton2", "Trigger interne et égal.\nInternal trigger and equal."},
        THint{"Image4", "Trigger interne et égal.\nInternal trigger and equal."},
        THint{"RadioButton3", "Niveau haut, trigger externe.\nExternal trigger, high level."},
        THint{"Image5", "Niveau haut, trigger externe.\nExternal trigger, high level."},
        THint{"RadioButton4", "Niveau bas, trigger externe.\nExternal trigger, low level."},
        THint{"Image6", "Niveau bas, trigger externe.\nExternal trigger, low level."},
        THint{"CheckBox1", "Entrée n°1.\nInput n°1."},
        THint{"CheckBox6", "Entrée n°6.\nInput n°6."}, THint{"CheckBox7", "Entrée n°7.\nInput n°7"},
        THint{"CheckBox8", "Entrée n°8.\nInput n°8."}, THint{"SpeedButton28", "Tout cocher"},
        THint{"SpeedButton29", "Tout décocher"},
        THint{"RadioButton5", "16 entrées - Etat haut.\n16 inputs - Pull Up."},
        THint{"RadioButton6", "16 entrées - Etat Bas.\n16 inputs - Pull down."},
        THint{"SpeedButton26",
              "Marqueurs verticaux pour mesure de la durée et fréquence.\nVertical markers for "
              "measure of length and frequency."},
        THint{"Image12",
              "Connect your logical analyzer to one of the ports USB of your PC.\n     Put the "
              "logical analyzer under ON and wait some seconds..."},
        THint{"Image11", "Click the button to launch the acquisition"},
        THint{"SpeedButton5", "Time/Div : 1µs"}, THint{"SpeedButton22", "Time/Div : 500ms"},
        THint{"ToolButton6", "Quitter"}, THint{"ToolButton3", "Sauvegarder"},
        THint{"ToolButton2", "Imprimer..."}, THint{"ToolButton12", "Exporter les données..."},
        THint{"ToolButton5", "Copier"}, THint{"ToolButton1", "Réglage de la vitesse de votre PC"},
        THint{"ToolButton7", "Guide d'utilisation en ligne"}),
    [](const testing::TestParamInfo<THint>& Info) { return std::string(Info.param.Name); });

TEST_F(Layout, CaptionsOfButtonsAndGroups) {
  const char* TimeBases[] = {"1µs",   "2µs",   "5µs",   "10µs",  "20µs",  "50µs",
                             "100µs", "200µs", "500µs", "1ms",   "2ms",   "5ms",
                             "10ms",  "20ms",  "50ms",  "100ms", "200ms", "500ms"};
  for (int Index = 4; Index <= 21; ++Index) {
    EXPECT_EQ(Form().TimeBaseButton(Index)->text(), QString::fromUtf8(TimeBases[Index - 4]));
    EXPECT_EQ(Form().TimeBaseButton(Index)->objectName(),
              QStringLiteral("SpeedButton%1").arg(Index + 1));
  }
  const std::pair<QGroupBox*, const char*> Groups[] = {{Form().GroupBox1, " Base de temps : "},
                                                       {Form().GroupBox2, ""},
                                                       {Form().GroupBox3, " Trigger : "},
                                                       {Form().GroupBox5, " Pull Up/Down : "},
                                                       {Form().GroupBox4, " Mesure T et F : "}};
  for (const auto& [Group, Caption] : Groups) {
    EXPECT_EQ(Group->title(), QString::fromUtf8(Caption));
  }
  const std::pair<QAbstractButton*, const char*> Buttons[] = {
      {Form().RadioButton1, "Synch OFF"},
      {Form().RadioButton2, "Interne Egal"},
      {Form().RadioButton3, "Externe Niveau haut"},
      {Form().RadioButton4, "Externe Niveau Bas"},
      {Form().RadioButton5, "UP"},
      {Form().RadioButton6, "Down"},
      {Form().CheckBox1, "Entrée 1"},
      {Form().CheckBox8, "Entrée 8"},
      {Form().SpeedButton27, "Fermer"}};
  for (const auto& [Button, Caption] : Buttons) {
    EXPECT_EQ(Button->text(), QString::fromUtf8(Caption));
  }
}

TEST_F(Layout, MenuTreeInOrder) {
  QStringList Tree;
  for (QAction* Top : Form().menuBar()->actions()) {
    Tree << Top->text();
    for (QAction* Item : Top->menu()->actions()) {
      Tree << (Item->isSeparator() ? QStringLiteral("-") : QStringLiteral("  ") + Item->text());
    }
  }
  EXPECT_EQ(Tree.join(QLatin1Char('|')),
            QStringLiteral("Fichier|  Ouvrir une capture...|  Sauvegarder|  Exporter les "
                           "données...|  Imprimer...|-|  Quitter|Edition|  Copier|"
                           "Options|  Réglage de la vitesse de votre PC|  Afficher fronts "
                           "montants et descendants|  Indicateurs 1 à 16 ou D0 à D7|Aide|  Guide "
                           "d'utilisation en ligne|  A propos de...|Analyse|  Décoder...|  "
                           "Mesures entre les marqueurs"));
  EXPECT_TRUE(Form().Afficherfrontsmontantsetdescendants1->isCheckable());
  EXPECT_TRUE(Form().Indicateurs116ouD0D151->isCheckable());
  for (const QAction* Action : Form().findChildren<QAction*>()) {  // no keyboard shortcut
    EXPECT_TRUE(Action->shortcuts().isEmpty()) << Action->text().toStdString();
  }
}

TEST_F(Layout, ToolbarLeftToRight) {
  std::vector<QWidget*> Slots;
  for (QWidget* Child : Form().ToolBar2->findChildren<QWidget*>()) {
    Slots.push_back(Child);
  }
  std::sort(Slots.begin(), Slots.end(), [](QWidget* A, QWidget* B) { return A->x() < B->x(); });
  QStringList Names;
  for (QWidget* Slot : Slots) {
    Names << Slot->objectName();
  }
  EXPECT_EQ(
      Names.join(QLatin1Char(' ')),
      QStringLiteral("ToolButton8 ToolButton6 ToolButton9 ToolButton3 ToolButton2 "
                     "ToolButton12 ToolButton4 ToolButton5 ToolButton10 ToolButton1 ToolButton11 "
                     "ToolButton7"));
  EXPECT_EQ(Form().ToolButton6->x(), 17);
  EXPECT_EQ(Form().ToolButton3->x(), 17 + 23 + 14);
  EXPECT_EQ(Form().ToolButton12->x(), 17 + 23 + 14 + 23 + 23);
  EXPECT_EQ(Form().ToolButton7->x(), 17 + 23 + 14 + 23 + 23 + 23 + 16 + 23 + 16 + 23 + 16);
}

TEST_F(Layout, StatusBarPanelsSpanTheirColumns) {
  const QList<QLabel*> Panels = Form().StatusBar1->findChildren<QLabel*>();
  ASSERT_EQ(Panels.size(), 3);
  EXPECT_EQ(Panels[0]->x(), 0);
  EXPECT_EQ(Panels[1]->x(), 300);
  EXPECT_EQ(Panels[2]->x(), 600);
  EXPECT_GT(Panels[2]->geometry().right(), 940);
  EXPECT_THROW(Form().StatusBar1->PanelText(3), std::out_of_range);
}

TEST_F(Layout, CursorsTellWhatCanBeClicked) {
  for (const char* Name :
       {"SpeedButton1", "SpeedButton14", "SpeedButton23", "SpeedButton26", "SpeedButton27",
        "RadioButton1", "RadioButton6", "CheckBox3", "ScrollBar1", "TrackBar1", "ToolButton6"}) {
    EXPECT_EQ(Control(Name)->cursor().shape(), Qt::PointingHandCursor) << Name;
  }
  EXPECT_EQ(Form().Image2->cursor().shape(), Qt::CrossCursor);
  EXPECT_EQ(Form().Image11->cursor().shape(), Qt::ForbiddenCursor);
}

TEST_F(Layout, LitLampsLieOverTheUnlitOnes) {
  QWidget* Group = Form().GroupBox2;
  const QObjectList& Children = Group->children();
  EXPECT_GT(Children.indexOf(Form().Image9), Children.indexOf(Form().Image7));
  EXPECT_GT(Children.indexOf(Form().Image8), Children.indexOf(Form().Image10));
}
}  // namespace
