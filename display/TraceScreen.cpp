// SPDX-License-Identifier: GPL-3.0-or-later
// The trace picture as the window drives it: the renderer draws, the window
// supplies what its controls show, the clock and the two surfaces.
#include <QAction>
#include <QFrame>
#include <QPalette>
#include <cstdint>
#include <utility>

#include "app/Environment.h"
#include "app/Form1.h"
#include "display/PictureBox.h"
#include "display/SnapshotFile.h"

void TForm1::RedrawScreen() {
  DrawGrid();
  DrawTimeBaseLabel();
  if (Capture) {
    DrawCaptureSettings();
  } else {
    DrawTriggerStatus();
    DrawChannelLabels();
    DrawPullLabel();
  }
  DrawClockStamp();
}

void TForm1::PresentScreen() {
  Renderer.PresentScreen(Image2->Picture());
}

void TForm1::DrawGrid() {
  Renderer.DrawGrid();
  Panel1->setAutoFillBackground(true);
  QPalette Palette = Panel1->palette();
  Palette.setColor(QPalette::Window, Qt::white);
  Panel1->setPalette(Palette);
}

void TForm1::DrawChannelLabels() {
  // The option item is read at each redraw: at start-up it still has its
  // design state (unchecked), so the first screen shows "D0".."D7".
  Renderer.DrawChannelLabels(Indicateurs116ouD0D151->isChecked(),
                             CheckedTriggerMode() == TTriggerMode::InternalEqual);
}

void TForm1::DrawClockStamp() {
  State.ClockStamp = Renderer.DrawClockStamp(Image2->PictureToPatch(), Environment.Now());
  // Only the stamp's texts changed: repainting the whole picture every second
  // and at every restitution would cost more than all the rest.
  Image2->update(Renderer.ClockStampArea());
}

void TForm1::DrawSample(int Group, int N, int Value) {
  Renderer.DrawSample(Group, N, static_cast<std::uint8_t>(Value & 0xFF),
                      Afficherfrontsmontantsetdescendants1->isChecked());
}

void TForm1::WriteSnapshotFile() {
  SnapshotWriteFailed = true;
  ::WriteSnapshotFile(std::as_const(*Image2).Picture(), ProgramFolderPath);
  SnapshotWriteFailed = false;
}
