// SPDX-License-Identifier: GPL-3.0-or-later
// Output of the trace picture to a file, the printer and the clipboard. All
// three take the picture as drawn; nothing is drawn again for them.
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <exception>
#include <string>
#include <utility>

#include "app/Environment.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/TraceOutput.h"
#include "display/PictureBox.h"
#include "display/SnapshotFile.h"
#include "display/SystemFileName.h"

void TForm1::Sauvegarder1Click() {
  TSaveDialogRequest Request;
  Request.Filter = QStringLiteral("BMP (*.bmp)");
  Request.InitialFolder = FromSystemFileName(Settings.SaveFolder());
  Request.ProposedName = ProposedTraceName(State.ClockStamp);
  Request.DefaultSuffix = QStringLiteral("bmp");
  Request.Title = QStringLiteral("Enregistrer sous");
  const QString Chosen =
      Environment
          .AskSaveFileName(Request, [this](const QString& Folder) { RecordSaveFolder(Folder); })
          .Path;
  if (Chosen.isEmpty()) {
    return;
  }
  const QString Path = WithBmpExtension(Chosen);
  if (QFileInfo::exists(Path) && !Environment.AskYesNo(QStringLiteral(
                                     "Le nom du fichier existe déjà. Voulez-vous l'écraser ?"))) {
    return;
  }
  WriteBmpFile(std::as_const(*Image2).Picture(), Path);
  // A name typed with its path puts the file in a folder the dialog never
  // showed: the next dialog opens there, once the file is written.
  RecordSaveFolder(QFileInfo(Path).absolutePath());
}

void TForm1::RecordSaveFolder(const QString& Folder) {
  const std::string Line = SystemFileName(QDir::toNativeSeparators(Folder));
  if (Settings.SaveFolder() == Line) {
    return;
  }
  Settings.SaveFolder() = Line;
  // Reported here, so that the dialog stays open and a file written is not
  // reported as lost; the folder is kept for the rest of the run.
  try {
    SaveSettings();
  } catch (const std::exception& Error) {
    Environment.ShowError(QString::fromUtf8(Error.what()));
  }
}

void TForm1::Imprimer1Click() {
  QPrinter Printer(QPrinter::HighResolution);
  if (!Environment.ChoosePrinter(Printer)) {
    return;
  }
  Printer.setPageOrientation(QPageLayout::Landscape);
  // The snapshot in a picture of its own: the trace pictures stay as they are.
  const QImage Snapshot = ReadBitmapFile(SnapshotFilePath(ProgramFolderPath));
  PrintPicture(Printer, Snapshot);
}

void TForm1::Copier1Click() {
  Environment.CopyImage(std::as_const(*Image2).Picture());
  Environment.ShowInformation(
      QStringLiteral("Les traces ont été copiées dans le presse papier..."));
}
