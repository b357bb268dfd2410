// SPDX-License-Identifier: GPL-3.0-or-later
// "Ouvrir une capture...": the window's capture files show it.
#include "app/CaptureFiles.h"
#include "app/Form1.h"

void TForm1::Ouvrirunecapture1Click() {
  CaptureFiles->AskAndOpen();
}

bool TForm1::OpenCapture(const QString& Path) {
  return CaptureFiles->Open(Path);
}
