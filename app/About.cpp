// The About window and the online user guide.
#include "app/Environment.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/HelpAddresses.h"

void TForm1::Aide2Click() {
  Environment.OpenUrl(UserGuideUrl(Environment));
}

void TForm1::Aproposde1Click() {
  if (Form2 == nullptr) {  // a window used without process entry's About window
    Form2 = new TForm2(Environment, this);
  }
  Form2->ShowOnTop();
}
