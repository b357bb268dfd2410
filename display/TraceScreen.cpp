// The two operations of the trace picture that the rest of the window needs
// from the start: the empty screen into the back buffer, and the back buffer
// onto the visible picture.
#include <QFrame>
#include <QPalette>

#include "app/Form1.h"
#include "display/PictureBox.h"

void TForm1::RedrawScreen() {
  Image1->Picture().fill(Qt::white);
  Panel1->setAutoFillBackground(true);
  QPalette Palette = Panel1->palette();
  Palette.setColor(QPalette::Window, Qt::white);
  Panel1->setPalette(Palette);
}

void TForm1::PresentScreen() {
  Image2->Picture() = Image1->Picture().copy();
}
