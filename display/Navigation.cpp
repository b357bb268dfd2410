// SPDX-License-Identifier: GPL-3.0-or-later
// Horizontal navigation through the analyser's memory: the scroll bar's
// position is ViewOffset; the four buttons move it by 5 or 10 tiles, the
// mouse wheel over the picture by one tile a notch.
#include <QScrollBar>
#include <exception>

#include "app/CaptureFiles.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "display/SnapshotFile.h"
#include "display/ViewNavigation.h"

void TForm1::ScrollBar1Change() {
  const int ViewOffset = ScrollBar1->value();
  if (CaptureFiles->Shown()) {  // the capture is at hand: nothing is asked of the analyser
    CaptureFiles->ShowWindowAfterMove(ViewOffset);
    return;
  }
  const TViewPositionBytes Bytes = ViewPositionBytes(ViewOffset);
  SendCommand(cmdViewPosition, Bytes.High, Bytes.Low);
  // The picture before the new window arrives: nothing waits for the answer.
  try {
    WriteSnapshotFile();
  } catch (const std::exception& Error) {
    ViewSnapshotFailed = true;
    Environment.ShowError(QString::fromUtf8(Error.what()));
  }
}

void TForm1::MoveView(int Step) {
  const TViewMove Move = PlanViewMove(ScrollBar1->value(), Step, ScrollBar1->maximum());
  ViewSnapshotFailed = false;
  // The bar clips the target and raises its change only on a real change.
  ScrollBar1->setValue(Move.Target);
  if (ViewSnapshotFailed || Move.Limit == TViewLimit::None) {
    return;
  }
  Environment.Beep();
  Environment.ShowInformation(QString::fromUtf8(ViewLimitMessage(Move.Limit)));
}

void TForm1::SpeedButton1Click() {
  MoveView(ShortViewStep);
}

void TForm1::SpeedButton2Click() {
  MoveView(LongViewStep);
}

void TForm1::SpeedButton3Click() {
  MoveView(-ShortViewStep);
}

void TForm1::SpeedButton4Click() {
  MoveView(-LongViewStep);
}

void TForm1::Image2MouseWheel(int Delta) {
  if (!ScrollBar1->isEnabled()) {
    return;
  }
  // The bar clips and sends; the wheel is no move button: an end is silent.
  if (const int Step = WheelSteps.Take(Delta); Step != 0) {
    ScrollBar1->setValue(ScrollBar1->value() + Step);
  }
}
