// SPDX-License-Identifier: GPL-3.0-or-later
// A capture opened from a sigrok session: shown as a halted acquisition,
// navigated locally through its own samples. Nothing goes to the analyser.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <string_view>

#include "app/Environment.h"
#include "app/Form1.h"
#include "app/StatusBar.h"
#include "display/SnapshotFile.h"
#include "display/SystemFileName.h"
#include "display/ViewNavigation.h"

namespace {
constexpr int AcquisitionPanel = 1;

// The recorded trigger mode as the picture knows it.
TTriggerMode RecordedMode(const TOpenedCapture& Capture) {
  return Capture.TriggerMode == NoRecordedTrigger ? TTriggerMode::None
                                                  : static_cast<TTriggerMode>(Capture.TriggerMode);
}
}  // namespace

void TForm1::Ouvrirunecapture1Click() {
  const QString Path =
      Environment.AskOpenFileName(QStringLiteral("Session sigrok (*.sr);;Tous les fichiers (*)"),
                                  FromSystemFileName(Settings.SaveFolder()));
  if (!Path.isEmpty()) {
    OpenCapture(Path);
  }
}

bool TForm1::OpenCapture(const QString& Path) {
  const QFileInfo Info(Path);
  const std::string Name = Info.fileName().toStdString();
  // A huge file is refused before a byte of it is read.
  if (Info.size() > static_cast<qint64>(MaxCaptureFileBytes)) {
    Environment.ShowError(
        QString::fromStdString(CaptureFileMessage(TCaptureFileProblem::TooLarge, Name)));
    return false;
  }
  QFile File(Path);
  if (!File.open(QIODevice::ReadOnly)) {
    Environment.ShowError(
        QStringLiteral("Impossible d'ouvrir « %1 » : %2").arg(Info.fileName(), File.errorString()));
    return false;
  }
  const QByteArray Bytes = File.read(static_cast<qint64>(MaxCaptureFileBytes) + 1);
  auto Read = ReadSigrokSession(std::string_view(Bytes.constData(), Bytes.size()), Name);
  if (const auto* Failure = std::get_if<TCaptureFileFailure>(&Read)) {
    Environment.ShowError(QString::fromStdString(Failure->Message));
    return false;
  }

  if (!Capture) {  // what the analyser's memory view goes back to
    LiveTimeBaseIndex = State.TimeBaseIndex;
    LiveViewOffset = ScrollBar1->value();
  }
  Capture = std::move(std::get<TOpenedCapture>(Read));
  State.TimeBaseIndex = Capture->TimeBase->Index;
  State.AcquisitionStopped = 1;
  // The picture is the capture's: the panels in front of it go.
  Panel3->hide();
  Panel6->hide();
  for (QWidget* Control : std::initializer_list<QWidget*>{ScrollBar1, SpeedButton1, SpeedButton2,
                                                          SpeedButton3, SpeedButton4, SpeedButton26,
                                                          ToolButton2, ToolButton3, ToolButton5}) {
    Control->setEnabled(true);
  }
  for (QAction* Item : {Sauvegarder1, Imprimer1, Copier1}) {
    Item->setEnabled(true);
  }
  {
    const QSignalBlocker Quiet(ScrollBar1);
    ScrollBar1->setMaximum(
        std::max(0, static_cast<int>(Capture->Samples.size()) - SamplesPerWindow));
    ScrollBar1->setValue(0);
  }
  StatusBar1->SetPanelText(AcquisitionPanel, QStringLiteral("Capture : ") + Info.fileName());
  UpdateExportState();
  ShowCaptureWindow(0);
  return true;
}

void TForm1::LeaveCapture() {
  if (!Capture) {
    return;
  }
  Capture.reset();
  State.TimeBaseIndex = LiveTimeBaseIndex;
  // The analyser still shows the window it was last asked for.
  const QSignalBlocker Quiet(ScrollBar1);
  ScrollBar1->setMaximum(ViewOffsetMax);
  ScrollBar1->setValue(LiveViewOffset);
  UpdateExportState();
}

void TForm1::DrawCaptureSettings() {
  const TTriggerMode Mode = RecordedMode(*Capture);
  std::array<bool, 8> Boxes{};
  for (std::size_t K = 0; K < Boxes.size(); ++K) {
    Boxes[K] = Mode == TTriggerMode::InternalEqual && ((Capture->TriggerPattern >> K) & 1U) != 0;
  }
  Renderer.DrawTriggerStatus(Mode, Boxes);
  Renderer.DrawChannelLabels(Indicateurs116ouD0D151->isChecked(),
                             Mode == TTriggerMode::InternalEqual);
  Renderer.DrawPullLabel(static_cast<TPull>(Capture->Pull));
}

void TForm1::ShowCaptureWindow(int Offset) {
  // The same drawing as a restitution: the empty screen, inputs 1-8 then
  // 9-16 sample by sample, then the picture shown at once.
  RedrawScreen();
  for (int Group = 1; Group <= 2; ++Group) {
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      const auto At = static_cast<std::size_t>(Offset + N - 1);
      const TSample Sample = At < Capture->Samples.size() ? Capture->Samples[At] : 0;
      const int Value = Group == 1 ? (Sample & 0xFF) : (Sample >> 8);
      State.SampleBuffer.Cell(Group, N) = Value;
      DrawSample(Group, N, Value);
    }
  }
  PresentScreen();
  ++RestitutionsShown;
  if (SpeedButton26->isChecked()) {
    DrawMarkers();
  }
  try {
    WriteSnapshotFile();
  } catch (const TFileWriteError& Error) {
    if (!ViewSnapshotFailed) {
      Environment.ShowError(QString::fromUtf8(Error.what()));
    }
  }
}

void TForm1::ShowCaptureWindowAfterMove(int Offset) {
  try {  // the picture before the move, as for the analyser's memory
    WriteSnapshotFile();
  } catch (const TFileWriteError& Error) {
    ViewSnapshotFailed = true;
    Environment.ShowError(QString::fromUtf8(Error.what()));
  }
  ShowCaptureWindow(Offset);
}
