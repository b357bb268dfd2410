// SPDX-License-Identifier: GPL-3.0-or-later
// The About window and the online user guide.
#include <QDir>
#include <QUrl>

#include "app/Environment.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/HelpAddresses.h"

void TForm1::Aide2Click() {
  const QString Url = UserGuideUrl(Environment);
  // Without a program to open it, the user is told where the guide lies. The
  // environment outlives the window, which may be gone by the answer.
  Environment.OpenUrl(Url, [Boxes = &Environment, Path = QUrl(Url).toLocalFile()] {
    Boxes->ShowInformation(
        QStringLiteral("Le guide d'utilisation n'a pas pu être ouvert. Vous le trouverez ici :\n%1")
            .arg(QDir::toNativeSeparators(Path)));
  });
}

void TForm1::Aproposde1Click() {
  if (Form2 == nullptr) {  // a window used without process entry's About window
    Form2 = new TForm2(Environment, this);
  }
  Form2->ShowOnTop();
}
