// SPDX-License-Identifier: GPL-3.0-or-later
// The real environment: the program's folder, the clock, Qt's message boxes,
// the beep, the desktop's URL handler, the save and print dialogs, the
// clipboard and the machine's HID interfaces.
#pragma once

#include <QObject>
#include <memory>

#include "app/CommandLine.h"
#include "app/Environment.h"

class THidPlatform;
class TSimulatedMachine;

class TQtEnvironment : public TEnvironment {
 public:
  /// Needs the application object to exist. The simulated backend brings
  /// its own machine with the simulated analyser.
  explicit TQtEnvironment(THidBackend Backend = THidBackend::Linux);
  ~TQtEnvironment() override;

  QString ProgramFolder() const override;
  QString UserDataFolder() const override;
  /// Whether the program's folder is the one it was built to be installed in.
  bool Installed() const override;
  QDateTime Now() const override;
  void ShowError(const QString& Message) override;
  void ShowInformation(const QString& Message) override;
  bool AskYesNo(const QString& Message) override;
  void Beep() override;
  void OpenUrl(const QString& Url, const std::function<void()>& Failed) override;
  TSaveDialogAnswer AskSaveFileName(
      const TSaveDialogRequest& Request,
      const std::function<void(const QString&)>& FolderEntered) override;
  QString AskOpenFileName(const QString& Filter, const QString& InitialFolder) override;
  bool ChoosePrinter(QPrinter& Printer) override;
  void CopyImage(const QImage& Picture) override;
  /// The system's hidraw interfaces, or the simulated machine's.
  THidPlatform& HidPlatform() override;
  /// Leaves the event loop; windows are not asked whether they may close.
  void Terminate() override;

 private:
  std::unique_ptr<TSimulatedMachine> Simulation;
  std::unique_ptr<THidPlatform> Platform;  // the Linux one, unless simulated
  bool InInstallFolder = false;
  /// Holds the requests to the desktop still waiting for its answer.
  std::unique_ptr<QObject> Openers;
};
