// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the outside world decides, behind one interface: the program
// runs on TQtEnvironment, the tests on a fake that records what was shown.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class QImage;
class QPrinter;
class THidPlatform;

/// What the save dialog offers: its filters, the folder it opens in, the name
/// it proposes, the extension added to a name typed without one and its title.
struct TSaveDialogRequest {
  QString Filter;         ///< shown as is, e.g. "BMP (*.bmp)"; several separated by ";;"
  QString InitialFolder;  ///< empty: the platform's default folder
  QString ProposedName;
  /// Without the dot; once the user picks another filter, that filter's.
  QString DefaultSuffix;
  QString Title;  ///< empty: the platform's own
};

/// What the user chose in the save dialog.
struct TSaveDialogAnswer {
  QString Path;    ///< empty when cancelled
  QString Filter;  ///< the filter selected in the type list, as in the request
};

class TEnvironment {
 public:
  virtual ~TEnvironment() = default;

  /// Folder of the program file, absolute, ending with '/'.
  virtual QString ProgramFolder() const = 0;
  /// The per-user data folder of the program ($XDG_DATA_HOME/la16/), ending
  /// with '/'; it may not exist yet.
  virtual QString UserDataFolder() const = 0;
  /// Whether the program runs installed in the system's program folder (the
  /// one it was built to be installed in, e.g. /usr/bin), rather than from its
  /// build folder or a folder it was unpacked into. An installed program keeps
  /// its files in UserDataFolder() and reads its guide from the system's
  /// documentation folder.
  virtual bool Installed() const = 0;
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
  /// Asks the desktop to open a web address. Failed, when given, runs on the
  /// main thread (at once or later) if the desktop has no program to open it
  /// or that program could not; without it the outcome is not looked at.
  virtual void OpenUrl(const QString& Url, const std::function<void()>& Failed) = 0;

  /// The save dialog, modal. FolderEntered runs with each folder it shows
  /// after the first, however the user got there (also a path typed into it),
  /// also when the dialog is then cancelled; not with the folder of a file
  /// name typed with its path. Returns the chosen path (empty when
  /// cancelled) and the filter selected.
  virtual TSaveDialogAnswer AskSaveFileName(
      const TSaveDialogRequest& Request,
      const std::function<void(const QString&)>& FolderEntered) = 0;
  /// The open dialog, modal, with Filter (filters separated by ";;") in
  /// InitialFolder (empty: the platform's default). Returns the chosen path,
  /// or an empty text when cancelled.
  virtual QString AskOpenFileName(const QString& Filter, const QString& InitialFolder) = 0;
  /// The printer selection dialog on Printer; false when cancelled.
  virtual bool ChoosePrinter(QPrinter& Printer) = 0;
  /// Puts Picture on the clipboard as an image.
  virtual void CopyImage(const QImage& Picture) = 0;

  /// The HID interfaces the program looks for the analyser among; it
  /// outlives every window.
  virtual THidPlatform& HidPlatform() = 0;
  /// Asks the application to end once the current event has been handled;
  /// no window is asked whether it may close.
  virtual void Terminate() = 0;
};
