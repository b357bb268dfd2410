// Cursor readout and measurement markers on the visible picture. Connected;
// their behaviour comes with the markers.
#include "app/Form1.h"

void TForm1::SpeedButton26Click() {}

void TForm1::Image2MouseDown(int /*X*/, int /*Y*/) {}

void TForm1::Image2MouseMove(int /*X*/, int /*Y*/) {}

void TForm1::Image2MouseUp(int /*X*/, int /*Y*/) {}
