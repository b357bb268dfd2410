// SPDX-License-Identifier: GPL-3.0-or-later
// The decoders in the window: the dialog, the run over the whole memory,
// the table, its rows that move the view, its CSV and the settings file.
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScrollBar>
#include <algorithm>

#include "app/AnalysisComponent.h"
#include "app/AnalysisWindows.h"
#include "app/CaptureFiles.h"
#include "app/DecodeDialog.h"
#include "app/DecoderSettings.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "display/SystemFileName.h"

namespace {
// A settings file larger than this is not one of ours.
constexpr qint64 MaxDecoderSettingsBytes = 64 * 1024;
}  // namespace

QString TAnalysisComponent::SettingsPath() const {
  return Form.FileInProgramFolder(QString::fromLatin1(DecoderSettingsFileName));
}

std::vector<TDecoderSpec> TAnalysisComponent::LoadSpecs() const {
  QFile File(SettingsPath());
  if (!File.open(QIODevice::ReadOnly)) {
    return {};
  }
  const QByteArray Bytes = File.read(MaxDecoderSettingsBytes);
  return ParseDecoderSettings(std::string_view(Bytes.constData(), Bytes.size()));
}

void TAnalysisComponent::SaveSpecs(const std::vector<TDecoderSpec>& Specs) {
  const std::string Bytes = FormatDecoderSettings(Specs);
  QSaveFile File(SettingsPath());
  if (!File.open(QIODevice::WriteOnly) ||
      File.write(Bytes.data(), static_cast<qint64>(Bytes.size())) !=
          static_cast<qint64>(Bytes.size()) ||
      !File.commit()) {
    Form.Environment.ShowError(
        QStringLiteral("Impossible d'écrire « %1 » : %2.").arg(SettingsPath(), File.errorString()));
  }
}

void TAnalysisComponent::Dcoder1Click() {
  if (Form.State.AcquisitionStopped != 1) {
    return;
  }
  if (DecodeDialog == nullptr) {
    DecodeDialog = new TDecodeDialog(&Form);
    connect(DecodeDialog, &QDialog::accepted, this, [this] { RunDecoders(DecodeDialog->Specs()); });
  }
  DecodeDialog->SetSpecs(LoadSpecs());
  DecodeDialog->open();
}

void TAnalysisComponent::RunDecoders(const std::vector<TDecoderSpec>& Specs) {
  SaveSpecs(Specs);
  // Live, the decoders read the whole memory; without an analyser, the
  // window held is all there is.
  if (!Form.CaptureFiles->Shown() && Form.AnalyserDevice != nullptr && HeldMemory() == nullptr) {
    Form.CaptureFiles->FetchMemory(QStringLiteral("Décoder"),
                                   [this, Specs](TCaptureFiles::TMemoryResult Got) {
                                     if (const auto* Failure = std::get_if<QString>(&Got)) {
                                       if (!Failure->isEmpty()) {
                                         Form.Environment.ShowError(*Failure);
                                       }
                                       return;
                                     }
                                     KeepMemory(std::move(std::get<std::vector<TSample>>(Got)));
                                     ShowDecoded(Specs);
                                   });
    return;
  }
  ShowDecoded(Specs);
}

void TAnalysisComponent::ShowDecoded(const std::vector<TDecoderSpec>& Specs) {
  const TViewAt At = CurrentView();
  Found.clear();
  for (const TDecoderSpec& Spec : Specs) {
    TAnnotations Some = Decode(Spec, At.View);
    Found.insert(Found.end(), std::make_move_iterator(Some.begin()),
                 std::make_move_iterator(Some.end()));
  }
  std::stable_sort(Found.begin(), Found.end(), [](const TAnnotation& A, const TAnnotation& B) {
    return A.FirstSample < B.FirstSample;
  });
  FoundSource = CurrentSource();
  ChosenRow = -1;
  if (DecodeWindow == nullptr) {
    DecodeWindow = new TDecodeWindow(&Form);
    connect(DecodeWindow, &TDecodeWindow::AnnotationChosen, this,
            &TAnalysisComponent::ChooseAnnotation);
    connect(DecodeWindow, &TDecodeWindow::ExportRequested, this,
            &TAnalysisComponent::ExportAnnotations);
  }
  DecodeWindow->SetAnnotations(Found, At.View);
  DecodeWindow->show();
  DecodeWindow->raise();
  Sync();
}

void TAnalysisComponent::ChooseAnnotation(int Row) {
  if (Row < 0 || static_cast<std::size_t>(Row) >= Found.size()) {
    return;
  }
  ChosenRow = Row;
  const TAnnotation& A = Found[static_cast<std::size_t>(Row)];
  const TViewAt At = CurrentView();
  const std::int64_t First = A.FirstSample - At.View.FirstIndex;
  const std::int64_t Span = A.LastSample - A.FirstSample + 1;
  const auto Start = static_cast<std::int64_t>(At.WindowStart);
  // Moved only when it is not already whole in the window, then centred; the
  // scroll bar's own handler asks the analyser or shows the capture.
  if (At.View.Size() > SamplesPerWindow &&
      (First < Start || First + Span > Start + SamplesPerWindow)) {
    const std::int64_t Centred = First - (SamplesPerWindow - std::min<std::int64_t>(Span, 450)) / 2;
    Form.ScrollBar1->setValue(
        static_cast<int>(std::clamp<std::int64_t>(Centred, 0, Form.ScrollBar1->maximum())));
  }
  Sync();
}

void TAnalysisComponent::ExportAnnotations() {
  TSaveDialogRequest Request;
  Request.Filter = QStringLiteral("CSV (*.csv)");
  Request.InitialFolder = FromSystemFileName(Form.Settings.SaveFolder());
  Request.ProposedName = QStringLiteral("Decodage");
  Request.DefaultSuffix = QStringLiteral("csv");
  Request.Title = QStringLiteral("Exporter le décodage");
  const QString Path = Form.Environment.AskSaveFileName(Request, [](const QString&) {}).Path;
  if (Path.isEmpty()) {
    return;
  }
  if (QFileInfo::exists(Path) && !Form.Environment.AskYesNo(QStringLiteral(
                                     "Le nom du fichier existe déjà. Voulez-vous l'écraser ?"))) {
    return;
  }
  const std::string Bytes = AnnotationsCsv(Found);
  QSaveFile File(Path);
  if (!File.open(QIODevice::WriteOnly) ||
      File.write(Bytes.data(), static_cast<qint64>(Bytes.size())) !=
          static_cast<qint64>(Bytes.size()) ||
      !File.commit()) {
    Form.Environment.ShowError(
        QStringLiteral("Impossible d'écrire « %1 » : %2.").arg(Path, File.errorString()));
  }
}
