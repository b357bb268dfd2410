// SPDX-License-Identifier: GPL-3.0-or-later
// "Exporter les données...": the analyser's whole memory, fetched window by
// window as la16-capture fetches it, or the capture opened from a file,
// written as a sigrok session, a VCD or a CSV. The picture, the scroll bar
// and the analyser's view position are left as the user had them: the
// fetched windows are the export's, never drawn.
#include <QAction>
#include <QFileInfo>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QToolButton>
#include <sstream>

#include "app/AnalysisComponent.h"
#include "app/CaptureFiles.h"
#include "app/Environment.h"
#include "app/ExportFileName.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/TraceOutput.h"
#include "display/SystemFileName.h"
#include "display/ViewNavigation.h"
#include "link/JvHidControllerClass.h"

namespace {

const char* const FailedExport = " Aucun fichier n'a été écrit.";

std::chrono::steady_clock::time_point Now() {
  return std::chrono::steady_clock::now();
}

}  // namespace

void TCaptureFiles::AnalyserChanged() {
  const bool Enabled =
      Form.Sauvegarder1->isEnabled() && (Form.AnalyserDevice != nullptr || Capture);
  Form.Exporterlesdonnes1->setEnabled(Enabled);
  Form.ToolButton12->setEnabled(Enabled);
  if (Fetch && Form.AnalyserDevice == nullptr) {
    Carry(Fetch->Lost());
  }
}

bool TCaptureFiles::TakeReport(const std::uint8_t* Data, std::uint16_t Size) {
  if (Fetch) {
    const TFetchActions Actions = Fetch->Answer(Data, Size, Now());
    Carry(Actions);
    if (Actions.ReportTaken) {
      return true;
    }
  }
  // A capture from a file shown in the window is not drawn over.
  return Capture.has_value();
}

void TCaptureFiles::AskAndExport() {
  TEnvironment& Environment = Form.Environment;
  if (Form.AnalyserDevice == nullptr && !Capture) {
    Environment.ShowError(QStringLiteral("Aucun analyseur connecté : il n'y a rien à exporter."));
    return;
  }
  TSaveDialogRequest Request;
  Request.Filter = QString::fromUtf8(ExportDialogFilters);
  Request.InitialFolder = FromSystemFileName(Form.Settings.SaveFolder());
  Request.ProposedName =
      QStringLiteral("Capture_") + ProposedTraceName(Form.State.ClockStamp).mid(6);
  Request.DefaultSuffix = QStringLiteral("sr");
  Request.Title = QStringLiteral("Exporter les données");
  const TSaveDialogAnswer Chosen = Environment.AskSaveFileName(
      Request, [this](const QString& Folder) { Form.RecordSaveFolder(Folder); });
  if (Chosen.Path.isEmpty()) {
    return;
  }
  // A typed extension of ours wins; otherwise the type picked in the list.
  const QString Path = QString::fromStdString(
      ExportFileName(Chosen.Path.toStdString(), Chosen.Filter.toStdString()));
  if (QFileInfo::exists(Path) && !Environment.AskYesNo(QStringLiteral(
                                     "Le nom du fichier existe déjà. Voulez-vous l'écraser ?"))) {
    return;
  }
  RecordFolder = true;
  ExportTo(Path);
}

bool TCaptureFiles::ExportTo(const QString& Path) {
  const bool Remember = std::exchange(RecordFolder, false);
  if (Fetch) {
    return false;
  }
  Written = false;
  TExportInfo Info;
  Info.Date = Form.Environment.Now().toString(Qt::ISODate).toStdString();
  Info.Version = "la16 " LA16_VERSION;
  if (Capture) {
    Info.TimeBase = Capture->TimeBase;
    Info.FirstIndex = Capture->FirstIndex;
    Info.Trigger = RecordedTriggerText(Capture->TriggerMode);
    Info.TriggerPattern = Capture->TriggerPattern;
    Info.Pull = RecordedPullText(Capture->Pull);
    ExportPath = Path;
    Written = WriteFile(Capture->Samples, Info);
    if (Written && Remember) {
      Form.RecordSaveFolder(QFileInfo(Path).absolutePath());  // as a saved trace's
    }
    return Written;
  }
  Info.TimeBase = FindTimeBase(Form.State.TimeBaseIndex);
  Info.Trigger = RecordedTriggerText(Form.CheckedTriggerMode());
  Info.TriggerPattern = Form.State.TriggerPattern & 0xFF;
  Info.Pull = RecordedPullText(Form.CheckedPull());
  ExportPath = Path;
  ExportInfo = Info;
  return FetchMemory(QStringLiteral("Exporter les données"), [this, Remember](TMemoryResult Got) {
    if (const auto* Failure = std::get_if<QString>(&Got)) {
      if (!Failure->isEmpty()) {  // empty: cancelled, nothing to say
        Form.Environment.ShowError(*Failure + QString::fromUtf8(FailedExport));
      }
      return;
    }
    auto& Samples = std::get<std::vector<TSample>>(Got);
    Written = WriteFile(Samples, ExportInfo);
    if (Written && Remember) {
      Form.RecordSaveFolder(QFileInfo(ExportPath).absolutePath());  // as a saved trace's
    }
    Form.Analysis->KeepMemory(std::move(Samples));
  });
}

bool TCaptureFiles::FetchMemory(const QString& Title, std::function<void(TMemoryResult)> Done) {
  if (Fetch) {
    return false;
  }
  FetchDone = std::move(Done);
  StartFetch(Title);
  return true;
}

void TCaptureFiles::StartFetch(const QString& Title) {
  const std::vector<int> Plan = PlanWholeMemory();
  if (Progress == nullptr) {
    Progress = new QProgressDialog(&Form);
    Progress->setObjectName(QStringLiteral("ExportProgress"));
    Progress->setLabelText(QStringLiteral("Lecture de la mémoire de l'analyseur..."));
    Progress->setCancelButtonText(QStringLiteral("Annuler"));
    Progress->setWindowModality(Qt::WindowModal);
    QObject::connect(Progress, &QProgressDialog::canceled, Progress, [this] {
      if (Fetch) {
        Carry(Fetch->Cancelled(Now()));
      }
    });
  }
  Progress->setWindowTitle(Title);
  Progress->setRange(0, static_cast<int>(Plan.size()));
  Progress->setMinimumDuration(0);
  Progress->setValue(0);
  // Back to the window the user sees at the end; its restitution is not
  // drawn either.
  Fetch = std::make_unique<TMemoryFetch>(FetchPolicy, Plan, Form.ScrollBar1->value());
  Carry(Fetch->Start(Now()));
  if (Form.AnalyserDevice == nullptr) {
    Carry(Fetch->Lost());
  }
}

void TCaptureFiles::Carry(const TFetchActions& Actions) {
  if (Actions.SendViewPosition) {
    const TViewPositionBytes Position = ViewPositionBytes(*Actions.SendViewPosition);
    Form.SendCommand(cmdViewPosition, Position.High, Position.Low);
  }
  if (Actions.Ended) {
    FetchTimer.stop();
    // Ended out of the report or timer that ended it: the file and any box
    // come once that handler has returned.
    QTimer::singleShot(0, &FetchTimer, [this] { FetchEnded(); });
    return;
  }
  if (Actions.WakeIn) {
    FetchTimer.start(static_cast<int>(Actions.WakeIn->count()));
  }
  if (Progress->value() != Fetch->WindowsFetched()) {
    // A modal progress dialog processes events in setValue: not inside the
    // report's handler.
    QTimer::singleShot(0, Progress, [this, Fetched = Fetch->WindowsFetched()] {
      if (Fetch) {
        Progress->setValue(Fetched);
      }
    });
  }
}

void TCaptureFiles::FetchEnded() {
  if (!Fetch) {
    return;
  }
  const std::unique_ptr<TMemoryFetch> Ended = std::move(Fetch);
  const std::function<void(TMemoryResult)> Done = std::exchange(FetchDone, nullptr);
  Progress->reset();
  if (Ended->Phase() == TMemoryFetch::TPhase::Failed) {
    Done(FailureMessage(Ended->Failure()));
  } else if (Ended->Phase() != TMemoryFetch::TPhase::Done) {
    Done(QString());  // cancelled
  } else {
    Done(Ended->Samples());
  }
}

QString TCaptureFiles::FailureMessage(const TFetchFailure& Failure) const {
  switch (Failure.Problem) {
    case TFetchProblem::Incomplete:
      return QStringLiteral(
                 "La fenêtre de la mémoire à la position %1 est arrivée incomplète %2 fois.")
          .arg(Failure.Offset)
          .arg(FetchPolicy.WindowAttempts);
    case TFetchProblem::TimedOut:
      return QStringLiteral("L'analyseur n'a pas répondu pendant %1 s.")
          .arg(static_cast<double>(FetchPolicy.WindowTimeout.count()) / 1000.0);
    case TFetchProblem::Lost:
      return QStringLiteral("L'analyseur a été déconnecté pendant la lecture de sa mémoire.");
    case TFetchProblem::Inconsistent:
      break;
  }
  return QStringLiteral("Les fenêtres lues ne concordent pas : %1.")
      .arg(QString::fromStdString(Failure.Detail));
}

bool TCaptureFiles::WriteFile(std::span<const TSample> Samples, const TExportInfo& Info) {
  const std::string Name = QFileInfo(ExportPath).fileName().toStdString();
  std::ostringstream Bytes;
  const bool Built =
      WriteSamples(Bytes, ExportFormatOfName(Name).value_or(TExportFormat::Csv), Samples, Info);
  const std::string Text = Bytes.str();
  // Written under a temporary name and renamed: whole or not at all.
  QSaveFile File(ExportPath);
  if (!Built || !File.open(QIODevice::WriteOnly) ||
      File.write(Text.data(), static_cast<qint64>(Text.size())) !=
          static_cast<qint64>(Text.size()) ||
      !File.commit()) {
    const QString Reason =
        Built ? File.errorString() : QStringLiteral("archive impossible à créer");
    File.cancelWriting();
    Form.Environment.ShowError(
        QStringLiteral("Impossible d'écrire « %1 » : %2.").arg(ExportPath, Reason) +
        QString::fromUtf8(FailedExport));
    return false;
  }
  return true;
}
