// SPDX-License-Identifier: GPL-3.0-or-later
// Layout of the upper part of the main window: menus, toolbar, the trace
// area with its panels, the scroll row and the start prompt.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>

#include "app/Artwork.h"
#include "app/ControlSemantics.h"
#include "app/Form1.h"
#include "app/FormBuilding.h"
#include "display/PictureBox.h"
#include "display/TraceGeometry.h"

using namespace FormBuilding;
using Artwork::TMenuPicture;

namespace {
QAction* MenuItem(QMenu* Menu, const char* Name, const char* Caption) {
  QAction* Item = Menu->addAction(QString::fromUtf8(Caption));
  Item->setObjectName(QString::fromUtf8(Name));
  return Item;
}

QAction* MenuItem(QMenu* Menu, const char* Name, const char* Caption, TMenuPicture Picture) {
  QAction* Item = MenuItem(Menu, Name, Caption);
  Item->setIcon(Artwork::MenuPicture(Picture));
  return Item;
}

QMenu* TopMenu(QMenuBar* Bar, const char* Name, const char* Caption) {
  QMenu* Menu = Bar->addMenu(QString::fromUtf8(Caption));
  Menu->setObjectName(QString::fromUtf8(Name));
  return Menu;
}

// One slot of the toolbar: a picture button, or a separator of some width.
struct TToolSlot {
  const char* Name;
  int Width;             // separators only; buttons are 23 wide
  TMenuPicture Picture;  // buttons only
  const char* Hint;      // null for a separator
};

// Left to right.
constexpr TToolSlot ToolSlots[] = {
    {"ToolButton8", 17, TMenuPicture::Quit, nullptr},
    {"ToolButton6", 0, TMenuPicture::Quit, "Quitter"},
    {"ToolButton9", 14, TMenuPicture::Quit, nullptr},
    {"ToolButton3", 0, TMenuPicture::Save, "Sauvegarder"},
    {"ToolButton2", 0, TMenuPicture::Print, "Imprimer..."},
    {"ToolButton12", 0, TMenuPicture::Save, "Exporter les données..."},  // its own picture below
    {"ToolButton4", 16, TMenuPicture::Quit, nullptr},
    {"ToolButton5", 0, TMenuPicture::Copy, "Copier"},
    {"ToolButton10", 16, TMenuPicture::Quit, nullptr},
    {"ToolButton1", 0, TMenuPicture::PcSpeed, "Réglage de la vitesse de votre PC"},
    {"ToolButton11", 16, TMenuPicture::Quit, nullptr},
    {"ToolButton7", 0, TMenuPicture::Help, "Guide d'utilisation en ligne"},
};

constexpr int ToolButtonWidth = 23;
constexpr int ToolButtonHeight = 22;

// One button of the scroll row.
struct TScrollButton {
  QToolButton* TForm1::*Member;
  const char* Name;
  int X;
  Artwork::TArrowGlyph Glyph;
  const char* French;
  const char* English;
};

const TScrollButton ScrollButtons[] = {
    {&TForm1::SpeedButton4, "SpeedButton4", 0, Artwork::TArrowGlyph::TwoLeft,
     "Translation de la trace de 10 carreaux vers la droite.",
     "Translation of the trace of 10 tiles towards right"},
    {&TForm1::SpeedButton3, "SpeedButton3", 64, Artwork::TArrowGlyph::OneLeft,
     "Translation de la trace de 5 carreaux vers la droite.",
     "Translation of the trace of 5 tiles towards right"},
    {&TForm1::SpeedButton1, "SpeedButton1", 832, Artwork::TArrowGlyph::OneRight,
     "Translation de la trace de 5 carreaux vers la gauche.",
     "Translation of the trace of 5 tiles towards the left."},
    {&TForm1::SpeedButton2, "SpeedButton2", 896, Artwork::TArrowGlyph::TwoRight,
     "Translation de la trace de 10 carreaux vers la gauche.",
     "Translation of the trace of 10 tiles towards the left."},
};

QLabel* PlaceLabel(QWidget* Parent, const char* Name, int X, int Y, const char* Text,
                   const QFont& Font, const QColor& Colour) {
  QLabel* Label = Place<QLabel>(Parent, Name, X, Y, 0, 0);
  Label->setFont(Font);
  Label->setText(QString::fromUtf8(Text));
  QPalette Palette = Label->palette();
  Palette.setColor(QPalette::WindowText, Colour);
  Label->setPalette(Palette);
  Label->adjustSize();
  return Label;
}
}  // namespace

void TForm1::BuildMenus() {
  QMenuBar* Bar = menuBar();
  Bar->setObjectName(QStringLiteral("MainMenu1"));
  Fichier1 = TopMenu(Bar, "Fichier1", "Fichier");
  Ouvrirunecapture1 = MenuItem(Fichier1, "Ouvrirunecapture1", "Ouvrir une capture...");
  Ouvrirunecapture1->setIcon(Artwork::OpenPicture());
  Sauvegarder1 = MenuItem(Fichier1, "Sauvegarder1", "Sauvegarder", TMenuPicture::Save);
  Exporterlesdonnes1 = MenuItem(Fichier1, "Exporterlesdonnes1", "Exporter les données...");
  Exporterlesdonnes1->setIcon(Artwork::ExportPicture());
  Exporterlesdonnes1->setEnabled(false);  // follows save, disabled until then
  Imprimer1 = MenuItem(Fichier1, "Imprimer1", "Imprimer...", TMenuPicture::Print);
  N1 = Fichier1->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  Quitter2 = MenuItem(Fichier1, "Quitter2", "Quitter", TMenuPicture::Quit);

  Edition1 = TopMenu(Bar, "Edition1", "Edition");
  Copier1 = MenuItem(Edition1, "Copier1", "Copier", TMenuPicture::Copy);

  Options1 = TopMenu(Bar, "Options1", "Options");
  RglagedelavitessedevotrePC1 =
      MenuItem(Options1, "RglagedelavitessedevotrePC1", "Réglage de la vitesse de votre PC",
               TMenuPicture::PcSpeed);
  Afficherfrontsmontantsetdescendants1 = MenuItem(Options1, "Afficherfrontsmontantsetdescendants1",
                                                  "Afficher fronts montants et descendants");
  Afficherfrontsmontantsetdescendants1->setCheckable(true);
  Indicateurs116ouD0D151 =
      MenuItem(Options1, "Indicateurs116ouD0D151", "Indicateurs 1 à 16 ou D0 à D7");
  Indicateurs116ouD0D151->setCheckable(true);

  Aide1 = TopMenu(Bar, "Aide1", "Aide");
  Aide2 = MenuItem(Aide1, "Aide2", "Guide d'utilisation en ligne", TMenuPicture::Help);
  Aproposde1 = MenuItem(Aide1, "Aproposde1", "A propos de...", TMenuPicture::About);
}

void TForm1::BuildToolBar(QWidget* Client) {
  ToolBar1 = Place<QFrame>(Client, "ToolBar1", 0, 0, Client->width(), 30);
  ToolBar1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  ToolBar2 = Place<QWidget>(ToolBar1, "ToolBar2", 2, 2, Client->width() - 4, 26);
  int X = 0;
  for (const TToolSlot& Slot : ToolSlots) {
    if (Slot.Hint == nullptr) {
      auto* Separator = Place<QFrame>(ToolBar2, Slot.Name, X + Slot.Width / 2 - 1, 3, 2, 20);
      Separator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
      X += Slot.Width;
      continue;
    }
    auto* Button = Place<QToolButton>(ToolBar2, Slot.Name, X, 2, ToolButtonWidth, ToolButtonHeight);
    Button->setIcon(Artwork::MenuPicture(Slot.Picture));
    Button->setIconSize(QSize(16, 16));
    Button->setAutoRaise(true);
    MakeClickable(Button, QString::fromUtf8(Slot.Hint));
    X += ToolButtonWidth;
  }
  ToolButton1 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton1"));
  ToolButton2 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton2"));
  ToolButton3 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton3"));
  ToolButton5 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton5"));
  ToolButton6 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton6"));
  ToolButton7 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton7"));
  ToolButton12 = ToolBar2->findChild<QToolButton*>(QStringLiteral("ToolButton12"));
  ToolButton12->setIcon(Artwork::ExportPicture());
  ToolButton12->setEnabled(false);
  ToolButton4 = ToolBar2->findChild<QFrame*>(QStringLiteral("ToolButton4"));
  ToolButton8 = ToolBar2->findChild<QFrame*>(QStringLiteral("ToolButton8"));
  ToolButton9 = ToolBar2->findChild<QFrame*>(QStringLiteral("ToolButton9"));
  ToolButton10 = ToolBar2->findChild<QFrame*>(QStringLiteral("ToolButton10"));
  ToolButton11 = ToolBar2->findChild<QFrame*>(QStringLiteral("ToolButton11"));
}

void TForm1::BuildTraceArea(QWidget* Client) {
  Panel1 = Place<QFrame>(Client, "Panel1", 3, 32, 958, 537);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(3);
  Image1 = Place<TPictureBox>(Panel1, "Image1", 8, 8, PictureWidth, PictureHeight);
  Image1->SharePicture(&Renderer.BackBufferForControl());  // Image1 holds the back buffer
  Image2 = Place<TPictureBox>(Panel1, "Image2", 8, 8, PictureWidth, PictureHeight);
  Image2->setCursor(Qt::CrossCursor);

  // The plug-in panel.
  Panel3 = Place<QFrame>(Panel1, "Panel3", 304, 59, 340, 420);
  Panel3->setFrameStyle(QFrame::Box | QFrame::Sunken);
  FillWithWindowColour(Panel3);
  Image12 = Place<TStillPicture>(Panel3, "Image12", 8, 8, 322, 404);
  Image12->setPixmap(Artwork::PlugInPicture());
  Image12->setToolTip(Hint(
      nullptr,
      "Connect your logical analyzer to one of the ports USB of your PC.\n     Put the logical "
      "analyzer under ON and wait some seconds..."));
  Animate1 = Place<TPlugAnimation>(Panel3, "Animate1", 50, 288, 235, 67);
  Label1 = PlaceLabel(Panel3, "Label1", 62, 248,
                      "Branchez votre analyseur logique\n à l'un des ports USB de votre PC.",
                      BoldArial(13), Qt::black);
  Label2 = PlaceLabel(Panel3, "Label2", 62, 368,
                      "Mettez l'analyseur logique sous tension \n      et patientez quelques "
                      "secondes...",
                      BoldArial(12), Qt::black);

  // The PC speed panel.
  Panel5 = Place<QFrame>(Panel1, "Panel5", 264, 168, 417, 177);
  Panel5->setFrameStyle(QFrame::Box | QFrame::Plain);
  FillWithWindowColour(Panel5);
  Label8 = PlaceLabel(Panel5, "Label8", 56, 8, "Réglage de la vitesse de votre PC", BoldArial(19),
                      Qt::red);
  TrackBar1 = Place<QSlider>(Panel5, "TrackBar1", 32, 48, 345, 25);
  TrackBar1->setOrientation(Qt::Horizontal);
  TrackBar1->setRange(100, 1000);
  TrackBar1->setValue(100);
  TrackBar1->setTickPosition(QSlider::TicksBelow);
  TrackBar1->setTickInterval(100);
  MakeClickable(TrackBar1);
  Label6 = PlaceLabel(Panel5, "Label6", 24, 80, "PC rapide", DialogFont(true), Qt::black);
  Label7 = PlaceLabel(Panel5, "Label7", 344, 80, "PC lent", DialogFont(true), Qt::black);
  Label10 = PlaceLabel(Panel5, "Label10", 152, 104, "Position :", DialogFont(true), Qt::blue);
  Label9 = PlaceLabel(Panel5, "Label9", 208, 104, "100", DialogFont(true), Qt::blue);
  Label9->resize(60, Label9->height());
  SpeedButton27 = Place<QToolButton>(Panel5, "SpeedButton27", 152, 136, 89, 25);
  SpeedButton27->setText(QStringLiteral("Fermer"));
  MakeClickable(SpeedButton27);

  // Hidden: once the home of a number edit whose conversions live on.
  Panel4 = Place<QFrame>(Panel1, "Panel4", 8, 8, 185, 41);
  Panel4->hide();
  Label5 = Place<QLabel>(Panel4, "Label5", 8, 12, 60, 13);
}

void TForm1::BuildScrollRow(QWidget* Client) {
  for (const TScrollButton& Spec : ScrollButtons) {
    auto* Button = Place<QToolButton>(Client, Spec.Name, Spec.X, 576, 65, 17);
    Button->setIcon(Artwork::ArrowGlyph(Spec.Glyph));
    Button->setIconSize(QSize(9, 9));
    MakeClickable(Button, Hint(Spec.French, Spec.English));
    this->*Spec.Member = Button;
  }
  ScrollBar1 = Place<QScrollBar>(Client, "ScrollBar1", 128, 576, 705, 17);
  ScrollBar1->setOrientation(Qt::Horizontal);
  ScrollBar1->setRange(0, 100);
  ScrollBar1->setSingleStep(1);
  ScrollBar1->setPageStep(1);
  // A click gives it the keyboard: arrows, Page Up/Down, Home and End then
  // move the view (a scroll bar takes no focus by default).
  ControlSemantics::TakeKeysOnClick(ScrollBar1);
  MakeClickable(ScrollBar1,
                Hint("Barre de translation des traces.", "Bar of translation of traces."));
}

void TForm1::BuildStartPrompt(QWidget* Client) {
  Panel6 = Place<QFrame>(Client, "Panel6", 181, 440, 342, 161);
  Panel6->setFrameStyle(QFrame::Box | QFrame::Sunken);
  FillWithWindowColour(Panel6);
  Image11 = Place<TStillPicture>(Panel6, "Image11", 8, 8, 325, 143);
  Image11->setPixmap(Artwork::StartPromptPicture());
  Image11->setCursor(Qt::ForbiddenCursor);
  Image11->setToolTip(Hint(nullptr, "Click the button to launch the acquisition"));
  Panel6->raise();
}
