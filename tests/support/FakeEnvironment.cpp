// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FakeEnvironment.h"

#include <QDir>
#include <QPrinter>

void TFakeEnvironment::ShowError(const QString& Message) {
  Boxes.push_back({TBoxKind::Error, Message});
  if (BoxShown) {
    BoxShown(Boxes.back());
  }
}

void TFakeEnvironment::ShowInformation(const QString& Message) {
  Boxes.push_back({TBoxKind::Information, Message});
  if (BoxShown) {
    BoxShown(Boxes.back());
  }
}

bool TFakeEnvironment::AskYesNo(const QString& Message) {
  Boxes.push_back({TBoxKind::YesNo, Message});
  if (BoxShown) {
    BoxShown(Boxes.back());
  }
  return YesNoAnswer;
}

void TFakeEnvironment::OpenUrl(const QString& Url, const std::function<void()>& Failed) {
  OpenedUrls.push_back(Url);
  if (!UrlsOpen && Failed) {
    Failed();
  }
}

std::vector<QString> TFakeEnvironment::Messages(TBoxKind Kind) const {
  std::vector<QString> Found;
  for (const TBox& Box : Boxes) {
    if (Box.Kind == Kind) {
      Found.push_back(Box.Message);
    }
  }
  return Found;
}

TSaveDialogAnswer TFakeEnvironment::AskSaveFileName(
    const TSaveDialogRequest& Request, const std::function<void(const QString&)>& Entered) {
  SaveDialogs.push_back(Request);
  QString Shown = Request.InitialFolder;
  for (const QString& Folder : SaveDialogVisits) {
    Shown = Folder;
    Entered(Folder);
  }
  if (!SaveDialogAccepts) {
    return {};
  }
  const QString Name = SaveDialogTypedName.isEmpty() ? Request.ProposedName : SaveDialogTypedName;
  return {QDir::isAbsolutePath(Name) ? Name : QDir(Shown).filePath(Name),
          SaveDialogFilter.isEmpty() ? Request.Filter.section(QStringLiteral(";;"), 0, 0)
                                     : SaveDialogFilter};
}

bool TFakeEnvironment::ChoosePrinter(QPrinter& Printer) {
  ++PrinterDialogs;
  if (PrintPdfPath.isEmpty()) {
    return false;
  }
  Printer.setOutputFormat(QPrinter::PdfFormat);
  Printer.setOutputFileName(PrintPdfPath);
  Printer.setResolution(PrintResolution);
  return true;
}
