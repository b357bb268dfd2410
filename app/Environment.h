// Everything the outside world decides, behind one interface: the program
// runs on TQtEnvironment, the tests on a fake that records what was shown.
// The save and print dialogs and the clipboard join it as their parts of the
// program land.
#pragma once

#include <QDateTime>
#include <QString>

class THidPlatform;

class TEnvironment {
 public:
  virtual ~TEnvironment() = default;

  /// Folder of the program file, absolute, ending with '/'.
  virtual QString ProgramFolder() const = 0;
  /// The per-user data folder of the program ($XDG_DATA_HOME/la16/), ending
  /// with '/'; it may not exist yet.
  virtual QString UserDataFolder() const = 0;
  /// The local date and time.
  virtual QDateTime Now() const = 0;

  /// The standard error box: the message and one "OK" button.
  virtual void ShowError(const QString& Message) = 0;
  /// An information box titled "Information" with one "OK" button.
  virtual void ShowInformation(const QString& Message) = 0;
  /// A warning box titled "Avertissement" with the buttons "&Oui" and "&Non";
  /// true only when the user answers yes.
  virtual bool AskYesNo(const QString& Message) = 0;
  /// The system beep.
  virtual void Beep() = 0;
  /// Asks the desktop to open a web address; the outcome is not looked at.
  virtual void OpenUrl(const QString& Url) = 0;

  /// The HID interfaces the program looks for the analyser among; it
  /// outlives every window.
  virtual THidPlatform& HidPlatform() = 0;
  /// Asks the application to end once the current event has been handled;
  /// no window is asked whether it may close.
  virtual void Terminate() = 0;
};
