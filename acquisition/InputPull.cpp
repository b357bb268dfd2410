// SPDX-License-Identifier: GPL-3.0-or-later
// Pull-up or pull-down of the 16 inputs: shown on the picture, sent to the
// analyser and saved.
#include <QRadioButton>
#include <exception>

#include "app/Environment.h"
#include "app/Form1.h"
#include "app/Settings.h"

TPull TForm1::CheckedPull() const {
  if (RadioButton5->isChecked()) {
    return TPull::Up;
  }
  return RadioButton6->isChecked() ? TPull::Down : TPull::None;
}

void TForm1::ChoosePull(std::uint8_t P1, const char* Setting) {
  // The empty screen shows the pull of the button now checked.
  RedrawScreen();
  PresentScreen();
  SendCommand(cmdPull, P1);
  Settings.PullSetting() = Setting;
  // Shown here rather than thrown: the handler runs inside the button's
  // signal, also in the middle of an attach that must go on.
  try {
    SaveSettings();
  } catch (const std::exception& Error) {
    Environment.ShowError(QString::fromUtf8(Error.what()));
  }
}

void TForm1::RadioButton5Click() {
  ChoosePull(1, "1");
}

void TForm1::RadioButton6Click() {
  ChoosePull(0, "0");
}
