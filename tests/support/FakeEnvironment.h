// SPDX-License-Identifier: GPL-3.0-or-later
// An environment for tests: settable folders and clock, scripted save and
// printer dialogs, a simulated HID platform, and a record of every box shown,
// every beep, every address opened, every picture copied and every request to
// end the application.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

#include "app/Environment.h"
#include "link/SimulatedHidPlatform.h"

class TFakeEnvironment : public TEnvironment {
 public:
  enum class TBoxKind { Error, Information, YesNo };
  struct TBox {
    TBoxKind Kind;
    QString Message;
  };

  QString ProgramFolder() const override { return ProgramFolderPath; }
  QString UserDataFolder() const override { return UserDataFolderPath; }
  bool Installed() const override { return InstalledProgram; }
  QDateTime Now() const override { return Clock; }
  void ShowError(const QString& Message) override;
  void ShowInformation(const QString& Message) override;
  bool AskYesNo(const QString& Message) override;
  void Beep() override { ++Beeps; }
  void OpenUrl(const QString& Url, const std::function<void()>& Failed) override;
  TSaveDialogAnswer AskSaveFileName(
      const TSaveDialogRequest& Request,
      const std::function<void(const QString&)>& FolderEntered) override;
  QString AskOpenFileName(const QString& Filter, const QString& InitialFolder) override {
    OpenDialogs.push_back({Filter, InitialFolder});
    return OpenDialogAnswer;
  }
  bool ChoosePrinter(QPrinter& Printer) override;
  void CopyImage(const QImage& Picture) override { Clipboard.push_back(Picture); }
  THidPlatform& HidPlatform() override { return OtherPlatform ? *OtherPlatform : Hid; }
  void Terminate() override { ++TerminateRequests; }

  /// Messages of the boxes of one kind, in the order shown.
  std::vector<QString> Messages(TBoxKind Kind) const;

  QString ProgramFolderPath;
  QString UserDataFolderPath;
  bool InstalledProgram = false;
  QDateTime Clock{QDate(2026, 3, 1), QTime(9, 7, 5)};
  /// The answer to every yes/no box.
  bool YesNoAnswer = false;

  std::vector<TBox> Boxes;
  /// Runs as each box is shown, for tests that look at what came before it.
  std::function<void(const TBox&)> BoxShown;
  int Beeps = 0;
  std::vector<QString> OpenedUrls;
  /// Whether the desktop has a program that opens the addresses.
  bool UrlsOpen = true;

  /// The save dialog: the user moves through SaveDialogVisits, then accepts
  /// or cancels. An accepted name is SaveDialogTypedName, or the proposed one
  /// when empty; a relative name lies in the folder shown last. The filter
  /// picked is SaveDialogFilter, or the request's first when empty; the name
  /// comes back as typed, with no extension added.
  std::vector<QString> SaveDialogVisits;
  bool SaveDialogAccepts = false;
  QString SaveDialogTypedName;
  QString SaveDialogFilter;
  std::vector<TSaveDialogRequest> SaveDialogs;

  /// The open dialog returns this path (empty: cancelled); its filter and
  /// folder are recorded.
  QString OpenDialogAnswer;
  std::vector<std::pair<QString, QString>> OpenDialogs;

  /// The printer dialog accepts a PDF printer writing PrintPdfPath at
  /// PrintResolution dots per inch; an empty path cancels.
  QString PrintPdfPath;
  int PrintResolution = 1200;
  int PrinterDialogs = 0;

  std::vector<QImage> Clipboard;

  /// Where the tests plug and unplug interfaces.
  TSimulatedHidPlatform Hid;
  /// Replaces Hid when set; it must outlive the window.
  THidPlatform* OtherPlatform = nullptr;
  int TerminateRequests = 0;
};
