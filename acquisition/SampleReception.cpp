// SPDX-License-Identifier: GPL-3.0-or-later
// Reception of the analyser's input reports: each restitution is stored in
// SampleBuffer and drawn into the back buffer, then shown at its end.
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "app/CaptureFiles.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "app/PictureControl.h"
#include "app/StatusBar.h"
#include "display/SnapshotFile.h"

#include <optional>
#include <utility>

namespace {
const QString IncompleteRestitution =
    QStringLiteral("Restitution incomplète : des données de l'analyseur ont été perdues.");
}  // namespace

void TForm1::NoteRestitutionWhole(bool Whole) {
  // Blocks lost on the way (a system that dropped reports) leave blank
  // stretches that must not pass for the inputs' levels.
  const QString Shown = StatusBar1->PanelText(1);
  if (!Whole && Shown != IncompleteRestitution) {
    StatusBeforeIncomplete = Shown;
    StatusBar1->SetPanelText(1, IncompleteRestitution);
  } else if (Whole && Shown == IncompleteRestitution) {
    StatusBar1->SetPanelText(1, StatusBeforeIncomplete);
  }
}

void TForm1::AnalyserDeviceData(TJvHidDevice& /*HidDev*/, std::uint8_t /*ReportID*/,
                                const std::uint8_t* Data, std::uint16_t Size) {
  // The restitutions an export asks for are the export's, never drawn; a
  // capture from a file shown in the window is not drawn over.
  if (CaptureFiles->TakeReport(Data, Size)) {
    return;
  }
  // A report too short to hold even its block code carries nothing.
  const int BlockCode = Size > 0 ? Data[0] : -1;

  if (BlockCode == 1) {  // lights: the lit lamp changes spot with every restitution
    // Wraps instead of overflowing; the parity keeps alternating.
    State.RestitutionCount =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(State.RestitutionCount) + 1U);
    const bool UpperLit = State.RestitutionCount % 2 != 0;
    Image9->setVisible(UpperLit);
    Image10->setVisible(UpperLit);
    Image8->setVisible(!UpperLit);
    Image7->setVisible(!UpperLit);
  }
  if (State.SingleShot == 1) {  // from the first report of the restitution on
    StatusBar1->SetPanelText(1, QStringLiteral("Restitution des données terminée."));
  }
  if (BlockCode == BlockRestitutionStart) {
    RedrawScreen();
    RestitutionBlocks = StartBlockSeen;
  }
  // Only the bytes received are stored; cells a short report does not carry
  // keep what they held.
  ApplyBlock(State.SampleBuffer, Data, Size,
             [this](int Group, int N, std::uint8_t Value) { DrawSample(Group, N, Value); });
  if (const std::optional<TBlockPlacement> Place =
          BlockCode >= 0 ? PlaceBlock(static_cast<std::uint8_t>(BlockCode)) : std::nullopt) {
    RestitutionBlocks |= 1U << ((Place->Group - 1) * 8 + (BlockCode % 10) - 1);
  }
  if (BlockCode == BlockRestitutionEnd) {
    NoteRestitutionWhole(std::exchange(RestitutionBlocks, 0U) == WholeRestitution);
    PresentScreen();
    ++RestitutionsShown;
    // Markers survive the windows a halted trace is scrolled through.
    if (SpeedButton26->isChecked() && SpeedButton23->isChecked()) {
      DrawMarkers();
    }
    if (State.AcquisitionStopped == 1) {
      // Once stopped, the picture shown is what printing must print: the
      // single acquisition's capture, the restitution still under way when
      // halt was clicked, or a window scrolled to.
      const bool AlreadyReported = SnapshotWriteFailed;
      try {
        WriteSnapshotFile();
      } catch (const std::exception& Error) {
        // A failure already reported (by the scroll that asked for this
        // window, or by the restitution before) is not reported again.
        // The box opens once this handler has returned: open in it, it would
        // hold the reader, and releasing an analyser pulled out meanwhile
        // would wait for the reader for ever.
        if (!AlreadyReported) {
          QTimer::singleShot(0, this, [this, Message = QString::fromUtf8(Error.what())] {
            Environment.ShowError(Message);
          });
        }
      }
    }
  }
}
