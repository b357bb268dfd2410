// SPDX-License-Identifier: GPL-3.0-or-later
// A capture opened from a file (sigrok session, VCD, CSV): shown as a halted acquisition,
// navigated locally through its own samples. Nothing goes to the analyser.
#include "app/CaptureFiles.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <string_view>

#include "acquisition/CaptureFileReaders.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "app/StatusBar.h"
#include "display/SnapshotFile.h"
#include "display/SystemFileName.h"
#include "display/ViewNavigation.h"
#include "link/JvHidControllerClass.h"

namespace {
constexpr int AcquisitionPanel = 1;
}  // namespace

TCaptureFiles::TCaptureFiles(TForm1& Owner) : Form(Owner) {
  FetchTimer.setSingleShot(true);
  QObject::connect(&FetchTimer, &QTimer::timeout, &FetchTimer, [this] {
    if (Fetch) {
      const bool Waiting = Form.AnalyserDevice != nullptr && Form.AnalyserDevice->ReportsWaiting();
      Carry(Fetch->TimeoutPassed(std::chrono::steady_clock::now(), Waiting));
    }
  });
}

TCaptureFiles::~TCaptureFiles() = default;

void TCaptureFiles::AskAndOpen() {
  const QString Path = Form.Environment.AskOpenFileName(
      QStringLiteral("Captures (*.sr *.vcd *.csv);;Session sigrok (*.sr);;VCD (*.vcd);;"
                     "CSV (*.csv);;Tous les fichiers (*)"),
      FromSystemFileName(Form.Settings.SaveFolder()));
  if (!Path.isEmpty()) {
    Open(Path);
  }
}

bool TCaptureFiles::Open(const QString& Path) {
  TEnvironment& Environment = Form.Environment;
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
  auto Read = ReadCaptureFile(std::string_view(Bytes.constData(), Bytes.size()), Name);
  if (const auto* Failure = std::get_if<TCaptureFileFailure>(&Read)) {
    Environment.ShowError(QString::fromStdString(Failure->Message));
    return false;
  }

  if (!Capture) {  // what the analyser's memory view goes back to
    LiveTimeBaseIndex = Form.State.TimeBaseIndex;
    LiveViewOffset = Form.ScrollBar1->value();
  }
  Capture = std::move(std::get<TOpenedCapture>(Read));
  Form.State.TimeBaseIndex = Capture->TimeBase->Index;
  Form.State.AcquisitionStopped = 1;
  // The picture is the capture's: the panels in front of it go.
  Form.Panel3->hide();
  Form.Panel6->hide();
  for (QWidget* Control :
       std::initializer_list<QWidget*>{Form.ScrollBar1, Form.SpeedButton1, Form.SpeedButton2,
                                       Form.SpeedButton3, Form.SpeedButton4, Form.SpeedButton26,
                                       Form.ToolButton2, Form.ToolButton3, Form.ToolButton5}) {
    Control->setEnabled(true);
  }
  for (QAction* Item : {Form.Sauvegarder1, Form.Imprimer1, Form.Copier1}) {
    Item->setEnabled(true);
  }
  {
    const QSignalBlocker Quiet(Form.ScrollBar1);
    Form.ScrollBar1->setMaximum(
        std::max(0, static_cast<int>(Capture->Samples.size()) - SamplesPerWindow));
    Form.ScrollBar1->setValue(0);
  }
  Form.StatusBar1->SetPanelText(AcquisitionPanel, QStringLiteral("Capture : ") + Info.fileName());
  AnalyserChanged();
  ShowWindow(0);
  return true;
}

void TCaptureFiles::Leave() {
  if (!Capture) {
    return;
  }
  Capture.reset();
  Form.State.TimeBaseIndex = LiveTimeBaseIndex;
  // The analyser still shows the window it was last asked for.
  const QSignalBlocker Quiet(Form.ScrollBar1);
  Form.ScrollBar1->setMaximum(ViewOffsetMax);
  Form.ScrollBar1->setValue(LiveViewOffset);
  Form.Panel6->setVisible(StartPromptOwed);
  AnalyserChanged();
}

void TCaptureFiles::OweStartPrompt(bool Owed) {
  StartPromptOwed = Owed;
  // A capture on screen is never covered.
  Form.Panel6->setVisible(Owed && !Capture);
}

TSampleView TCaptureFiles::ShownSamples() const {
  if (!Capture) {
    return {};
  }
  return {Capture->Samples, Capture->FirstIndex, SecondsPerSample(*Capture->TimeBase),
          Capture->TimeBase};
}

void TCaptureFiles::RecordedScreen(TScreenState& State) const {
  if (!Capture) {
    return;
  }
  State.TriggerMode = Capture->TriggerMode;
  for (std::size_t K = 0; K < State.PatternBoxes.size(); ++K) {
    State.PatternBoxes[K] = ((Capture->TriggerPattern >> K) & 1U) != 0;
  }
  State.Pull = Capture->Pull;
}

void TCaptureFiles::ShowWindow(int Offset) {
  // The same drawing as a restitution: the empty screen, inputs 1-8 then
  // 9-16 sample by sample, then the picture shown at once.
  Form.RedrawScreen();
  for (int Group = 1; Group <= 2; ++Group) {
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      const auto At = static_cast<std::size_t>(Offset + N - 1);
      const TSample Sample = At < Capture->Samples.size() ? Capture->Samples[At] : 0;
      const int Value = Group == 1 ? (Sample & 0xFF) : (Sample >> 8);
      Form.State.SampleBuffer.Cell(Group, N) = Value;
      Form.DrawSample(Group, N, Value);
    }
  }
  Form.PresentScreen();
  ++Form.RestitutionsShown;
  if (Form.SpeedButton26->isChecked()) {
    Form.DrawMarkers();
  }
  try {
    Form.WriteSnapshotFile();
  } catch (const TFileWriteError& Error) {
    if (!Form.ViewSnapshotFailed) {
      Form.Environment.ShowError(QString::fromUtf8(Error.what()));
    }
  }
}

void TCaptureFiles::ShowWindowAfterMove(int Offset) {
  try {  // the picture before the move, as for the analyser's memory
    Form.WriteSnapshotFile();
  } catch (const TFileWriteError& Error) {
    Form.ViewSnapshotFailed = true;
    Form.Environment.ShowError(QString::fromUtf8(Error.what()));
  }
  ShowWindow(Offset);
}
