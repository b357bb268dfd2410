// SPDX-License-Identifier: GPL-3.0-or-later
// Time base: one handler per button, all alike, and the time-base text of
// the trace picture.
#include "acquisition/TimeBase.h"
#include "app/Form1.h"

void TForm1::TimeBaseButtonClick(int Index) {
  const TTimeBase* Base = FindTimeBase(Index);
  if (Base == nullptr) {  // no such button: nothing to select
    return;
  }
  State.TimeBaseIndex = Index;
  // Traces taken with the old time base would be read with the new one:
  // the picture stays empty until the next restitution.
  RedrawScreen();
  PresentScreen();
  SendCommand(cmdTimeBase, Base->Code);
}

void TForm1::SpeedButton5Click() {
  TimeBaseButtonClick(4);
}

void TForm1::SpeedButton6Click() {
  TimeBaseButtonClick(5);
}

void TForm1::SpeedButton7Click() {
  TimeBaseButtonClick(6);
}

void TForm1::SpeedButton8Click() {
  TimeBaseButtonClick(7);
}

void TForm1::SpeedButton9Click() {
  TimeBaseButtonClick(8);
}

void TForm1::SpeedButton10Click() {
  TimeBaseButtonClick(9);
}

void TForm1::SpeedButton11Click() {
  TimeBaseButtonClick(10);
}

void TForm1::SpeedButton12Click() {
  TimeBaseButtonClick(11);
}

void TForm1::SpeedButton13Click() {
  TimeBaseButtonClick(12);
}

void TForm1::SpeedButton14Click() {
  TimeBaseButtonClick(13);
}

void TForm1::SpeedButton15Click() {
  TimeBaseButtonClick(14);
}

void TForm1::SpeedButton16Click() {
  TimeBaseButtonClick(15);
}

void TForm1::SpeedButton17Click() {
  TimeBaseButtonClick(16);
}

void TForm1::SpeedButton18Click() {
  TimeBaseButtonClick(17);
}

void TForm1::SpeedButton19Click() {
  TimeBaseButtonClick(18);
}

void TForm1::SpeedButton20Click() {
  TimeBaseButtonClick(19);
}

void TForm1::SpeedButton21Click() {
  TimeBaseButtonClick(20);
}

void TForm1::SpeedButton22Click() {
  TimeBaseButtonClick(21);
}
