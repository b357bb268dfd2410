// Trigger pattern: the eight input boxes and the all / none buttons.
// Connected; their commands come with the trigger pattern.
#include "app/Form1.h"

void TForm1::TriggerBoxClick(int /*K*/) {}

void TForm1::CheckBox1Click() {
  TriggerBoxClick(1);
}

void TForm1::CheckBox2Click() {
  TriggerBoxClick(2);
}

void TForm1::CheckBox3Click() {
  TriggerBoxClick(3);
}

void TForm1::CheckBox4Click() {
  TriggerBoxClick(4);
}

void TForm1::CheckBox5Click() {
  TriggerBoxClick(5);
}

void TForm1::CheckBox6Click() {
  TriggerBoxClick(6);
}

void TForm1::CheckBox7Click() {
  TriggerBoxClick(7);
}

void TForm1::CheckBox8Click() {
  TriggerBoxClick(8);
}

void TForm1::SpeedButton28Click() {}

void TForm1::SpeedButton29Click() {}
