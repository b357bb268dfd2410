// SPDX-License-Identifier: GPL-3.0-or-later
// Acquisition modes: halt, loop and single, and the clock tick. Each command
// sends its one command to the analyser and switches which controls the user
// can touch in the new mode.
#include <QAction>
#include <QGroupBox>
#include <QScrollBar>
#include <QToolButton>
#include <exception>

#include "app/CaptureFiles.h"
#include "app/ControlSemantics.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "app/StatusBar.h"
#include "display/SnapshotFile.h"

namespace {
// Status panel of the acquisition.
constexpr int AcquisitionPanel = 1;

// Time base, trigger, the two display options and the PC speed panel: what
// may be changed only while the analyser loops.
void EnableConfiguration(TForm1& Form, bool Enabled) {
  Form.GroupBox1->setEnabled(Enabled);
  Form.GroupBox3->setEnabled(Enabled);
  Form.Afficherfrontsmontantsetdescendants1->setEnabled(Enabled);
  Form.Indicateurs116ouD0D151->setEnabled(Enabled);
  Form.RglagedelavitessedevotrePC1->setEnabled(Enabled);
  Form.ToolButton1->setEnabled(Enabled);
}

// Save from the menu and the toolbar, and print from the toolbar.
void EnableSaveAndPrintButton(TForm1& Form, bool Enabled) {
  Form.Sauvegarder1->setEnabled(Enabled);
  Form.ToolButton3->setEnabled(Enabled);
  Form.ToolButton2->setEnabled(Enabled);
}

// Print from the menu and copy from both: only once the picture is frozen.
void EnablePrintItemAndCopy(TForm1& Form, bool Enabled) {
  Form.Imprimer1->setEnabled(Enabled);
  Form.ToolButton5->setEnabled(Enabled);
  Form.Copier1->setEnabled(Enabled);
}

void SetStatus(TForm1& Form, const QString& Text) {
  Form.StatusBar1->SetPanelText(AcquisitionPanel, Text);
}
}  // namespace

// Halt.
void TForm1::SpeedButton23Click() {
  EnableConfiguration(*this, false);
  EnableSaveAndPrintButton(*this, true);
  EnablePrintItemAndCopy(*this, true);
  // A snapshot that cannot be written must not leave the analyser looping
  // under a halt button shown down: the whole halt is carried out first, and
  // the box, which waits for the user, comes last.
  QString SnapshotFailure;
  try {
    WriteSnapshotFile();
  } catch (const std::exception& Error) {
    SnapshotFailure = QString::fromUtf8(Error.what());
  }
  GroupBox5->setEnabled(false);
  State.AcquisitionStopped = 1;
  SpeedButton26->setEnabled(true);
  SendCommand(cmdHalt);
  SetStatus(*this, QStringLiteral("Pause de l'acquisition"));
  if (!SnapshotFailure.isEmpty()) {
    Environment.ShowError(SnapshotFailure);
  }
}

// Loop.
void TForm1::SpeedButton24Click() {
  CaptureFiles->Leave();
  CaptureFiles->OweStartPrompt(false);
  EnableConfiguration(*this, true);
  ScrollBar1->setEnabled(true);
  for (QToolButton* Button : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4}) {
    Button->setEnabled(true);
  }
  EnableSaveAndPrintButton(*this, false);
  EnablePrintItemAndCopy(*this, false);
  GroupBox5->setEnabled(true);
  State.AcquisitionStopped = 0;
  SpeedButton26->setEnabled(false);
  SendCommand(cmdLoop);
  State.SingleShot = 0;
  SetStatus(*this, QStringLiteral("Acquisistion et restitution en boucle..."));
}

// Single.
void TForm1::SpeedButton25Click() {
  CaptureFiles->Leave();
  EnableConfiguration(*this, false);
  EnableSaveAndPrintButton(*this, true);
  State.AcquisitionStopped = 1;
  SendCommand(cmdSingle);
  // The analyser stops by itself after one capture; the halt command
  // is not sent.
  ControlSemantics::PutDown(SpeedButton23);
  SetStatus(*this, QStringLiteral("Acqusistion en RAM en cours. Veuillez patienter..."));
  State.SingleShot = 1;
}

// Redraws the date and time stamp every second, on both pictures.
void TForm1::Timer1Timer() {
  DrawClockStamp();
}
