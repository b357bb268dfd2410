// The About window and the online user guide. Connected; the commands come
// with the About window.
#include "app/Form1.h"

void TForm1::Aide2Click() {}

void TForm1::Aproposde1Click() {}
