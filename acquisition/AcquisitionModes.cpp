// Acquisition modes: halt, loop and single, and the clock tick. Connected;
// their commands come with the acquisition modes.
#include "app/Form1.h"

void TForm1::SpeedButton23Click() {}

void TForm1::SpeedButton24Click() {}

void TForm1::SpeedButton25Click() {}

// Redraws the date and time stamp every second, on both pictures.
void TForm1::Timer1Timer() {
  DrawClockStamp();
}
