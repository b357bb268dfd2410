// The real environment: the program's folder, the clock, Qt's message boxes,
// the beep, the desktop's URL handler, the save and print dialogs and the
// clipboard.
#pragma once

#include "app/Environment.h"

class TQtEnvironment : public TEnvironment {
 public:
  /// Needs the application object to exist.
  TQtEnvironment() = default;

  QString ProgramFolder() const override;
  QString UserDataFolder() const override;
  QDateTime Now() const override;
  void ShowError(const QString& Message) override;
  void ShowInformation(const QString& Message) override;
  bool AskYesNo(const QString& Message) override;
  void Beep() override;
  void OpenUrl(const QString& Url) override;
  QString AskSaveFileName(const TSaveDialogRequest& Request,
                          const std::function<void(const QString&)>& FolderEntered) override;
  bool ChoosePrinter(QPrinter& Printer) override;
  void CopyImage(const QImage& Picture) override;
};
