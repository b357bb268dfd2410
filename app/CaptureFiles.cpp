// SPDX-License-Identifier: GPL-3.0-or-later
// A capture opened from a file (sigrok session, VCD, CSV): shown as a halted acquisition,
// navigated locally through its own samples. Nothing goes to the analyser.
#include "app/CaptureFiles.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringList>
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

// "1-3, 9-16": the inputs of Mask, runs of neighbours joined.
QString InputList(std::uint16_t Mask) {
  QStringList Runs;
  for (int Input = 1; Input <= 16; ++Input) {
    if (((Mask >> (Input - 1)) & 1U) == 0) {
      continue;
    }
    int Last = Input;
    while (Last < 16 && ((Mask >> Last) & 1U) != 0) {
      ++Last;
    }
    Runs << (Last == Input ? QString::number(Input) : QStringLiteral("%1-%2").arg(Input).arg(Last));
    Input = Last;
  }
  return Runs.join(QStringLiteral(", "));
}

// The status text naming a capture: its file, when it was taken, and the
// inputs it carries when it does not carry all 16.
QString CaptureStatus(const QString& Name, const TOpenedCapture& Capture) {
  QString Text = QStringLiteral("Capture : ") + Name;
  if (!Capture.Date.empty()) {
    const QString Date = QString::fromUtf8(Capture.Date).trimmed();
    const QDateTime Taken = QDateTime::fromString(Date, Qt::ISODate);
    Text +=
        QStringLiteral(" du ") +
        (Taken.isValid() ? Taken.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" à ") +
                               Taken.toString(QStringLiteral("HH:mm:ss"))
                         : Date);
  }
  if (Capture.CarriedInputs != 0xFFFF) {
    Text += Capture.CarriedInputs == 0 ? QStringLiteral(" (aucune entrée)")
                                       : QStringLiteral(" (entrées ") +
                                             InputList(Capture.CarriedInputs) + QStringLiteral(")");
  }
  return Text;
}
}  // namespace

TCaptureFiles::TCaptureFiles(TForm1& Owner) : Form(Owner), Controls(Owner) {
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
    LiveViewOffset = Form.ScrollBar1->value();
  }
  Capture = std::move(std::get<TOpenedCapture>(Read));
  Form.State.TimeBaseIndex = Capture->TimeBase->Index;
  Form.State.AcquisitionStopped = 1;
  Controls.Show(*Capture);
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
  Form.StatusBar1->SetPanelText(AcquisitionPanel, CaptureStatus(Info.fileName(), *Capture));
  AnalyserChanged();
  ShowWindow(0);
  return true;
}

void TCaptureFiles::Leave() {
  if (!Capture) {
    return;
  }
  Capture.reset();
  Controls.GiveBack();
  // The button down is the analyser's time base, also one chosen meanwhile.
  for (std::size_t K = 0; K < Form.TimeBaseButtons.size(); ++K) {
    if (Form.TimeBaseButtons[K]->isChecked()) {
      Form.State.TimeBaseIndex = TimeBaseTable[K].Index;
    }
  }
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

void TCaptureFiles::ForAnalyser(const std::function<void()>& Work) {
  if (Controls.ForAnalyser(Work) && Capture) {
    ShowWindow(ShownOffset);
  }
}

bool TCaptureFiles::Holds(int N) const {
  return !Capture || static_cast<std::size_t>(ShownOffset + N - 1) < Capture->Samples.size();
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
  // Nothing is drawn past the capture's end, nor for an input it does not carry.
  ShownOffset = Offset;
  Form.RedrawScreen();
  for (int Group = 1; Group <= 2; ++Group) {
    const int Drawn = Group == 1 ? (Capture->CarriedInputs & 0xFF) : (Capture->CarriedInputs >> 8);
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      const auto At = static_cast<std::size_t>(Offset + N - 1);
      const TSample Sample = At < Capture->Samples.size() ? Capture->Samples[At] : 0;
      const int Value = Group == 1 ? (Sample & 0xFF) : (Sample >> 8);
      Form.State.SampleBuffer.Cell(Group, N) = Value;
      if (At < Capture->Samples.size()) {
        Form.DrawSample(Group, N, Value, Drawn);
      }
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
