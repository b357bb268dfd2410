// SPDX-License-Identifier: GPL-3.0-or-later
// Cursor readout and measurement markers: overlays drawn on the visible
// picture once an acquisition is stopped; every PresentScreen erases them.
#include <QToolButton>
#include <cstdint>
#include <exception>
#include <optional>

#include "app/CaptureFiles.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "display/Measurement.h"
#include "display/PictureBox.h"
#include "display/PixelCanvas.h"
#include "display/SnapshotFile.h"

void TForm1::SpeedButton26Click() {
  if (State.AcquisitionStopped != 1) {
    return;
  }
  PresentScreen();
  if (SpeedButton26->isChecked()) {
    MarkerLeft = MarkerLeftStart;
    MarkerRight = MarkerRightStart;
    DrawMarkers();
  }
}

void TForm1::DrawMarkers() {
  if (State.AcquisitionStopped != 1 || !SpeedButton26->isChecked()) {
    return;
  }
  {
    TPixelCanvas Canvas(Image2->Picture());
    Canvas.SetPen(ColourGreen, TPenStyle::Dashed);
    Canvas.Line({{MarkerLeft, MarkerTop}, {MarkerLeft, MarkerBottom}});
    Canvas.Line({{MarkerRight, MarkerTop}, {MarkerRight, MarkerBottom}});
  }
  ShowMeasurement();
}

void TForm1::ShowMeasurement() {
  const std::optional<TMeasurement> Measurement =
      Measure(MarkerLeft, MarkerRight, State.TimeBaseIndex);
  if (!Measurement) {
    return;
  }
  TPixelCanvas Canvas(Image2->Picture());
  Canvas.SetFontColour(ColourGreen);
  Canvas.TextOut(DtTextPosition, QString::fromStdString(Measurement->DtText));
  Canvas.TextOut(FrequencyTextPosition, QString::fromStdString(Measurement->FrequencyText));
}

void TForm1::ShowReadout(int X) {
  const std::optional<int> N = ReadoutSample(X);
  if (!N || !CaptureFiles->Holds(*N)) {  // past a short capture's end, as past sample 450
    return;
  }
  PresentScreen();
  TPixelCanvas Canvas(Image2->Picture());
  for (const int Group : {1, 2}) {
    const auto Value = static_cast<std::uint8_t>(State.SampleBuffer.Cell(Group, *N) & 0xFF);
    Canvas.SetFontColour(GroupColour(Group));
    Canvas.TextOut(Group == 1 ? ReadoutGroup1Position : ReadoutGroup2Position,
                   QString::fromStdString(ReadoutText(Group, Value)));
  }
  Canvas.SetPen(ColourMagenta, TPenStyle::Dashed);
  Canvas.Line({{ReadoutLineX(*N), MarkerTop}, {ReadoutLineX(*N), MarkerBottom}});
}

void TForm1::Image2MouseDown(int X, int Y) {
  State.MouseHeld = 1;
  // With the markers on a press only arms the drag.
  if (State.AcquisitionStopped == 1 && !SpeedButton26->isChecked() && Y >= GridTop &&
      Y <= GridBottom) {
    ShowReadout(X);
  }
}

void TForm1::Image2MouseMove(int X, int /*Y*/) {
  if (State.AcquisitionStopped != 1 || State.MouseHeld != 1) {
    return;
  }
  if (!SpeedButton26->isChecked()) {
    ShowReadout(X);  // whatever the height: a drag may leave the grid
    return;
  }
  PresentScreen();
  const std::optional<TMarkerPositions> Moved = DragMarkers({MarkerLeft, MarkerRight}, X);
  if (!Moved) {
    return;  // off the grid's columns: the markers stay erased until the pointer is back
  }
  MarkerLeft = Moved->Left;
  MarkerRight = Moved->Right;
  DrawMarkers();
}

void TForm1::Image2MouseUp(int /*X*/, int /*Y*/) {
  State.MouseHeld = 0;
  // The snapshot printing reads holds the readout or markers last shown.
  try {
    WriteSnapshotFile();
  } catch (const std::exception& Error) {
    Environment.ShowError(QString::fromUtf8(Error.what()));
  }
}
