// SPDX-License-Identifier: GPL-3.0-or-later
// "Exporter les données...": the window's capture files write it.
#include "app/CaptureFiles.h"
#include "app/Form1.h"

void TForm1::Exporterlesdonnes1Click() {
  CaptureFiles->AskAndExport();
}
