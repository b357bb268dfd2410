// Horizontal navigation through the analyser's memory: the scroll bar and
// the four move buttons. Connected; their commands come with navigation.
#include "app/Form1.h"

void TForm1::ScrollBar1Change() {}

void TForm1::SpeedButton1Click() {}

void TForm1::SpeedButton2Click() {}

void TForm1::SpeedButton3Click() {}

void TForm1::SpeedButton4Click() {}
