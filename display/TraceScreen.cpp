// SPDX-License-Identifier: GPL-3.0-or-later
// The trace picture as the window drives it: the renderer draws, the window
// supplies what its controls show, the clock and the two surfaces.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QPalette>
#include <cstdint>
#include <utility>

#include "app/CaptureFiles.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "display/PictureBox.h"
#include "display/SnapshotFile.h"

void TForm1::RedrawScreen() {
  Renderer.RedrawScreen(ScreenState(), Image2->PictureToPatch(), Environment.Now());
  // Only this turns the trace area white: set again at every restitution,
  // the palette would cost more than the grid.
  if (!Panel1->autoFillBackground()) {
    Panel1->setAutoFillBackground(true);
    QPalette Palette = Panel1->palette();
    Palette.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(Palette);
  }
  State.ClockStamp = Renderer.ClockStamp();
  Image2->update(Renderer.ClockStampArea());
}

TScreenState TForm1::ScreenState() const {
  TScreenState Screen;
  Screen.TimeBaseIndex = State.TimeBaseIndex;
  // The option item is read at each redraw: at start-up it still has its
  // design state (unchecked), so the first screen shows "D0".."D7".
  Screen.NumberLabels = Indicateurs116ouD0D151->isChecked();
  if (CaptureFiles->Shown()) {
    CaptureFiles->RecordedScreen(Screen);
    return Screen;
  }
  Screen.TriggerMode = CheckedTriggerMode();
  for (std::size_t K = 0; K < Screen.PatternBoxes.size(); ++K) {
    Screen.PatternBoxes[K] = CheckBoxes[K]->isChecked();
  }
  Screen.Pull = CheckedPull();
  return Screen;
}

void TForm1::PresentScreen() {
  Image2->update(Renderer.PresentScreen(Image2->PictureToPatch()));
}

void TForm1::DrawClockStamp() {
  State.ClockStamp = Renderer.DrawClockStamp(Image2->PictureToPatch(), Environment.Now());
  // Only the stamp's texts changed: repainting the whole picture every second
  // and at every restitution would cost more than all the rest.
  Image2->update(Renderer.ClockStampArea());
}

void TForm1::DrawSample(int Group, int N, int Value, int Drawn) {
  Renderer.DrawSample(Group, N, static_cast<std::uint8_t>(Value & 0xFF),
                      Afficherfrontsmontantsetdescendants1->isChecked(),
                      static_cast<std::uint8_t>(Drawn & 0xFF));
}

void TForm1::WriteSnapshotFile() {
  SnapshotWriteFailed = true;
  ::WriteSnapshotFile(std::as_const(*Image2).Picture(), ProgramFolderPath);
  SnapshotWriteFailed = false;
}
