// SPDX-License-Identifier: GPL-3.0-or-later
// A main window started in a folder of its own, on a fake environment: the
// program folder and the per-user data folder are fresh temporary folders.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/Form1.h"
#include "tests/support/FakeEnvironment.h"

class TFormHarness {
 public:
  TFormHarness();
  ~TFormHarness();

  /// Puts a settings file with these bytes in the program folder.
  void WriteSettingsFile(const std::string& Bytes) const;
  /// The settings file's bytes in the program folder ("" when missing).
  std::string SettingsFileBytes() const;
  /// Path of the settings file in the program folder.
  QString SettingsFilePath() const;

  /// Creates the window, which runs start-up.
  TForm1& Start();
  /// Creates the window and shows it, for tests that click.
  TForm1& StartShown();

  QTemporaryDir ProgramDir;
  QTemporaryDir DataDir;
  TFakeEnvironment Environment;
  std::unique_ptr<TForm1> Form;
};

/// The bytes of a settings file of the given lines, each ended by CR LF.
std::string SettingsBytes(std::initializer_list<std::string> Lines);

/// A path as the settings file keeps it: the system's separators (C:\x\ on
/// Windows), in the system's file name bytes.
std::string SettingsPathLine(const QString& Path);
