// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form2.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <algorithm>

#include "app/Artwork.h"
#include "app/Environment.h"
#include "app/FormBuilding.h"
#include "app/HelpAddresses.h"
#include "app/LabelURL.h"

namespace {

QFont Arial(int PixelSize, bool Bold) {
  QFont Font = FormBuilding::BoldArial(PixelSize);
  Font.setBold(Bold);
  return Font;
}

void SetTextColour(QWidget* Label, const QColor& Colour) {
  QPalette Colours = Label->palette();
  Colours.setColor(QPalette::WindowText, Colour);
  Label->setPalette(Colours);
}

// A label's designer size, grown when its text needs more room.
void FitText(QLabel* Label) {
  const QSize Needed = Label->sizeHint();
  Label->resize(std::max(Label->width(), Needed.width()),
                std::max(Label->height(), Needed.height()));
}

}  // namespace

TForm2::TForm2(TEnvironment& Environment, QWidget* Parent)
    : QWidget(Parent, Qt::Window | Qt::FramelessWindowHint) {
  using FormBuilding::Place;
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("A propos de..."));
  setFixedSize(ClientWidth, ClientHeight);
  // Closing the main window ends the program even while this one is shown.
  setAttribute(Qt::WA_QuitOnClose, false);

  Image1 = Place<TStillPicture>(this, "Image1", 0, 0, ClientWidth, ClientHeight);
  Image1->setPixmap(Artwork::AboutPicture());
  Image1->setCursor(Qt::PointingHandCursor);

  Label1 = Place<QLabel>(this, "Label1", 160, 376, 227, 57);
  Label1->setFont(Arial(16, true));  // 12 points
  SetTextColour(Label1, Qt::red);
  Label1->setCursor(Qt::PointingHandCursor);
  Label1->setText(
      QStringLiteral("  Analyseur logique USB V1.6\n"
                     "Déc. 2026 - la16 contributors\n"
                     "Tous droits réservés."));
  FitText(Label1);

  Label2 = Place<QLabel>(this, "Label2", 24, 470, 524, 30);
  Label2->setFont(Arial(11, false));
  SetTextColour(Label2, QColor(60, 60, 60));
  Label2->setCursor(Qt::PointingHandCursor);
  Label2->setAlignment(Qt::AlignCenter);
  Label2->setText(
      QStringLiteral("Logiciel de l'analyseur logique USB 16 entrées, pour Linux.\n"
                     "Il est fourni tel quel, sans aucune garantie."));

  const QString HomePage = HomePageUrl(Environment);
  LabelURL1 = new TLabelURL(Environment, this);
  LabelURL1->setObjectName(QStringLiteral("LabelURL1"));
  LabelURL1->setGeometry(432, 32, 122, 16);
  QFont LinkFace = Arial(13, false);  // 10 points
  LinkFace.setUnderline(true);
  LabelURL1->SetLabelFont({LinkFace, Qt::blue});
  LabelURL1->SetActiveFont({LinkFace, Qt::blue});
  LabelURL1->SetURL(HomePage);
  LabelURL1->setText(LinkCaption(HomePage));
  LabelURL1->setToolTip(HomePage);
  FitText(LabelURL1);

  for (QWidget* Closer : {static_cast<QWidget*>(Image1), static_cast<QWidget*>(Label1),
                          static_cast<QWidget*>(Label2)}) {
    Closer->installEventFilter(this);
  }
  CentreOnDesktop();
}

void TForm2::CentreOnDesktop() {
  if (const QScreen* Screen = screen()) {
    move(Screen->availableGeometry().center() - rect().center());
  }
}

void TForm2::ShowOnTop() {
  // Changing the flag hides a window that is shown; it is shown again below.
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  CentreOnDesktop();
  show();
  raise();
  activateWindow();
}

void TForm2::HideAbout() {
  hide();
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
}

void TForm2::Image1Click() {
  HideAbout();
}

void TForm2::Label1Click() {
  HideAbout();
}

void TForm2::Label2Click() {
  HideAbout();
}

bool TForm2::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() != QEvent::MouseButtonRelease ||
      static_cast<QMouseEvent*>(Event)->button() != Qt::LeftButton) {
    return QWidget::eventFilter(Watched, Event);
  }
  if (Watched == Image1) {
    Image1Click();
  } else if (Watched == Label1) {
    Label1Click();
  } else if (Watched == Label2) {
    Label2Click();
  }
  return true;
}
