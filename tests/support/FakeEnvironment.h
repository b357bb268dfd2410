// An environment for tests: settable folders and clock, a simulated HID
// platform, and a record of every box shown, every beep, every address opened
// and every request to end the application.
#pragma once

#include <QDateTime>
#include <QString>
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
  QDateTime Now() const override { return Clock; }
  void ShowError(const QString& Message) override;
  void ShowInformation(const QString& Message) override;
  bool AskYesNo(const QString& Message) override;
  void Beep() override { ++Beeps; }
  void OpenUrl(const QString& Url) override { OpenedUrls.push_back(Url); }
  THidPlatform& HidPlatform() override { return OtherPlatform ? *OtherPlatform : Hid; }
  void Terminate() override { ++TerminateRequests; }

  /// Messages of the boxes of one kind, in the order shown.
  std::vector<QString> Messages(TBoxKind Kind) const;

  QString ProgramFolderPath;
  QString UserDataFolderPath;
  QDateTime Clock{QDate(2026, 3, 1), QTime(9, 7, 5)};
  /// The answer to every yes/no box.
  bool YesNoAnswer = false;

  std::vector<TBox> Boxes;
  int Beeps = 0;
  std::vector<QString> OpenedUrls;
  /// Where the tests plug and unplug interfaces.
  TSimulatedHidPlatform Hid;
  /// Replaces Hid when set; it must outlive the window.
  THidPlatform* OtherPlatform = nullptr;
  int TerminateRequests = 0;
};
