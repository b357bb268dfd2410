// Pull-up or pull-down of the 16 inputs. Connected; the command comes with
// the input pull.
#include "app/Form1.h"

void TForm1::RadioButton5Click() {}

void TForm1::RadioButton6Click() {}
