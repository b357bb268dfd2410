// Pull-up or pull-down of the 16 inputs, and the pull text of the trace
// picture. Connected; the command comes with the input pull.
#include <QRadioButton>

#include "app/Form1.h"

void TForm1::DrawPullLabel() {
  TPull Pull = TPull::None;
  if (RadioButton5->isChecked()) {
    Pull = TPull::Up;
  } else if (RadioButton6->isChecked()) {
    Pull = TPull::Down;
  }
  Renderer.DrawPullLabel(Pull);
}

void TForm1::RadioButton5Click() {}

void TForm1::RadioButton6Click() {}
