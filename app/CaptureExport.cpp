// SPDX-License-Identifier: GPL-3.0-or-later
// "Exporter les données...": the analyser's whole memory, fetched window by
// window as la16-capture fetches it, or the capture opened from a file,
// written as a sigrok session, a VCD or a CSV. The picture, the scroll bar
// and the analyser's view position are left as the user had them.
#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <sstream>

#include "acquisition/RestitutionReceiver.h"
#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSession.h"
#include "app/Environment.h"
#include "app/ExportFileName.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/TraceOutput.h"
#include "display/SystemFileName.h"
#include "display/ViewNavigation.h"
#include "link/JvHidControllerClass.h"

namespace {

// Requests of one window before an incomplete restitution is given up on.
constexpr int ExportWindowAttempts = 3;

// How long the analyser must have sent nothing before the first request.
constexpr int ExportQuietMs = 250;

const char* const FailedExport = " Aucun fichier n'a été écrit.";

// How a wait for one restitution ended.
enum class TWaitEnd { Complete, Incomplete, TimedOut, Lost, Cancelled };

// The file's bytes, or nothing if the archive could not be built.
std::optional<std::string> ExportBytes(const QString& Path, std::span<const TSample> Samples,
                                       const TExportInfo& Info) {
  const QString Suffix = QFileInfo(Path).suffix().toLower();
  if (Suffix == "sr") {
    return BuildSigrokSession(Samples, Info);
  }
  std::ostringstream Out;
  const bool Written =
      Suffix == "vcd" ? WriteVcd(Out, Samples, Info) : WriteCsv(Out, Samples, Info);
  return Written ? std::optional(Out.str()) : std::nullopt;
}

}  // namespace

void TForm1::UpdateExportState() {
  const bool Enabled = Sauvegarder1->isEnabled() && (AnalyserDevice != nullptr || Capture);
  Exporterlesdonnes1->setEnabled(Enabled);
  ToolButton12->setEnabled(Enabled);
}

void TForm1::Exporterlesdonnes1Click() {
  if (AnalyserDevice == nullptr && !Capture) {
    Environment.ShowError(QStringLiteral("Aucun analyseur connecté : il n'y a rien à exporter."));
    return;
  }
  TSaveDialogRequest Request;
  Request.Filter = QString::fromUtf8(ExportDialogFilters);
  Request.InitialFolder = FromSystemFileName(Settings.SaveFolder());
  Request.ProposedName = QStringLiteral("Capture_") + ProposedTraceName(State.ClockStamp).mid(6);
  Request.DefaultSuffix = QStringLiteral("sr");
  Request.Title = QStringLiteral("Exporter les données");
  const TSaveDialogAnswer Chosen = Environment.AskSaveFileName(
      Request, [this](const QString& Folder) { RecordSaveFolder(Folder); });
  if (Chosen.Path.isEmpty()) {
    return;
  }
  const QString Path = QString::fromStdString(
      ExportFileName(Chosen.Path.toStdString(), Chosen.Filter.toStdString()));
  if (QFileInfo::exists(Path) && !Environment.AskYesNo(QStringLiteral(
                                     "Le nom du fichier existe déjà. Voulez-vous l'écraser ?"))) {
    return;
  }
  if (ExportTo(Path)) {
    RecordSaveFolder(QFileInfo(Path).absolutePath());  // as a saved trace's
  }
}

bool TForm1::ExportTo(const QString& Path) {
  TExportInfo Info;
  Info.Date = Environment.Now().toString(Qt::ISODate).toStdString();
  Info.Version = "la16 " LA16_VERSION;
  std::vector<TSample> Fetched;
  std::span<const TSample> Samples;
  if (Capture) {
    Info.TimeBase = Capture->TimeBase;
    Info.FirstIndex = Capture->FirstIndex;
    Info.Trigger = RecordedTriggerText(Capture->TriggerMode);
    Info.TriggerPattern = Capture->TriggerPattern;
    Info.Pull = RecordedPullText(Capture->Pull);
    Samples = Capture->Samples;
  } else {
    Info.TimeBase = FindTimeBase(State.TimeBaseIndex);
    const TTriggerMode Mode = CheckedTriggerMode();
    Info.Trigger = RecordedTriggerText(static_cast<int>(Mode));
    Info.TriggerPattern = State.TriggerPattern & 0xFF;
    Info.Pull = RecordedPullText(RadioButton5->isChecked() ? 1 : RadioButton6->isChecked() ? 2 : 0);
    auto Memory = FetchWholeMemory();
    if (const auto* Failure = std::get_if<QString>(&Memory)) {
      if (!Failure->isEmpty()) {  // empty: cancelled, nothing to say
        Environment.ShowError(*Failure + QString::fromUtf8(FailedExport));
      }
      return false;
    }
    Fetched = std::move(std::get<std::vector<TSample>>(Memory));
    Samples = Fetched;
  }

  const std::optional<std::string> Bytes = ExportBytes(Path, Samples, Info);
  // Written under a temporary name and renamed: whole or not at all.
  QSaveFile File(Path);
  if (!Bytes || !File.open(QIODevice::WriteOnly) ||
      File.write(Bytes->data(), static_cast<qint64>(Bytes->size())) !=
          static_cast<qint64>(Bytes->size()) ||
      !File.commit()) {
    const QString Reason =
        Bytes ? File.errorString() : QStringLiteral("archive impossible à créer");
    File.cancelWriting();
    Environment.ShowError(QStringLiteral("Impossible d'écrire « %1 » : %2.").arg(Path, Reason) +
                          QString::fromUtf8(FailedExport));
    return false;
  }
  return true;
}

void TForm1::AwaitQuietAnalyser(QEventLoop& Loop) {
  // A restitution already on its way (the answer to a scroll just made, the
  // last of a loop just halted) would pass for the answer to the first
  // request and shift every window by one: it is received and drawn first.
  QElapsedTimer Quiet;
  QElapsedTimer Waited;
  Quiet.start();
  Waited.start();
  std::int64_t Shown = RestitutionsShown;
  QTimer Poll;
  Poll.setInterval(20);
  QObject::connect(&Poll, &QTimer::timeout, &Loop, [&] {
    if (RestitutionBlocks != 0 || RestitutionsShown != Shown ||
        (AnalyserDevice != nullptr && AnalyserDevice->ReportsWaiting())) {
      Shown = RestitutionsShown;
      Quiet.restart();
    }
    // An analyser that keeps sending is left to the requests' own checks.
    if (AnalyserDevice == nullptr || Quiet.elapsed() >= ExportQuietMs ||
        Waited.elapsed() > ExportWindowTimeoutMs) {
      Loop.quit();
    }
  });
  Poll.start();
  Loop.exec();
}

std::variant<std::vector<TSample>, QString> TForm1::FetchWholeMemory() {
  const std::vector<int> Plan = PlanWholeMemory();
  QProgressDialog Progress(QStringLiteral("Lecture de la mémoire de l'analyseur..."),
                           QStringLiteral("Annuler"), 0, static_cast<int>(Plan.size()), this);
  Progress.setObjectName(QStringLiteral("ExportProgress"));
  Progress.setWindowTitle(QStringLiteral("Exporter les données"));
  Progress.setWindowModality(Qt::WindowModal);
  Progress.setMinimumDuration(0);
  Progress.setValue(0);

  QEventLoop Loop;
  bool Cancelled = false;
  QObject::connect(&Progress, &QProgressDialog::canceled, &Loop, [&] {
    Cancelled = true;
    Loop.quit();
  });
  AwaitQuietAnalyser(Loop);

  TRestitutionReceiver Receiver;
  std::optional<TWaitEnd> Ended;
  ExportReports = [&](const std::uint8_t* Data, std::uint16_t Size) {
    const auto Outcome = Receiver.Take(Data, Size);
    if (Outcome != TRestitutionReceiver::TOutcome::Pending && !Ended) {
      Ended = Outcome == TRestitutionReceiver::TOutcome::Complete ? TWaitEnd::Complete
                                                                  : TWaitEnd::Incomplete;
      Loop.quit();
    }
  };
  // The analyser may go away while a window is awaited: looked at often.
  QTimer Watch;
  Watch.setInterval(50);
  QElapsedTimer Waited;
  QObject::connect(&Watch, &QTimer::timeout, &Loop, [&] {
    if (AnalyserDevice == nullptr && !Ended) {
      Ended = TWaitEnd::Lost;
    } else if (Waited.elapsed() > ExportWindowTimeoutMs && !Ended) {
      Ended = TWaitEnd::TimedOut;
    }
    if (Ended) {
      Loop.quit();
    }
  });
  // The restitution of the window at Offset; the user's cancel ends the
  // wait unless it is the one that puts the analyser back.
  const auto Await = [&](int Offset, bool Cancellable) {
    Receiver.Abandon();
    Ended.reset();
    Waited.start();
    const TViewPositionBytes Position = ViewPositionBytes(Offset);
    SendCommand(cmdViewPosition, Position.High, Position.Low);
    Watch.start();
    while (!Ended && !(Cancellable && Cancelled)) {
      Loop.exec();
    }
    Watch.stop();
    return Ended.value_or(TWaitEnd::Cancelled);
  };

  QString Failure;
  std::vector<TCapturedWindow> Windows;
  for (std::size_t I = 0; I < Plan.size() && Failure.isEmpty() && !Cancelled; ++I) {
    TWaitEnd End = TWaitEnd::Incomplete;
    for (int Attempt = 0; Attempt < ExportWindowAttempts && End == TWaitEnd::Incomplete;
         ++Attempt) {
      End = Await(Plan[I], true);
    }
    if (End == TWaitEnd::Complete) {
      Windows.push_back({Plan[I], Receiver.Window()});
      Progress.setValue(static_cast<int>(I + 1));
    } else if (End == TWaitEnd::Incomplete) {
      Failure = QStringLiteral(
                    "La fenêtre de la mémoire à la position %1 est arrivée incomplète "
                    "%2 fois.")
                    .arg(Plan[I])
                    .arg(ExportWindowAttempts);
    } else if (End == TWaitEnd::TimedOut) {
      Failure = QStringLiteral("L'analyseur n'a pas répondu pendant %1 s.")
                    .arg(ExportWindowTimeoutMs / 1000.0);
    } else if (End == TWaitEnd::Lost) {
      Failure = QStringLiteral("L'analyseur a été déconnecté pendant la lecture de sa mémoire.");
    }
  }
  // Back to the window the user sees; its restitution is not drawn either.
  if (AnalyserDevice != nullptr) {
    Await(ScrollBar1->value(), false);
  }
  ExportReports = nullptr;
  Progress.reset();
  if (!Failure.isEmpty() || Cancelled) {
    return Failure;
  }
  auto Stitched = StitchWindows(Windows);
  if (const auto* Mismatch = std::get_if<TStitchFailure>(&Stitched)) {
    return QStringLiteral("Les fenêtres lues ne concordent pas : %1.")
        .arg(QString::fromStdString(Mismatch->Message));
  }
  return std::move(std::get<std::vector<TSample>>(Stitched));
}
