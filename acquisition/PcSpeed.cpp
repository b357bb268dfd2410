// SPDX-License-Identifier: GPL-3.0-or-later
// PC speed: the panel with its slider, opened from the Options menu or the
// toolbar.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QSlider>

#include "app/Form1.h"

void TForm1::RglagedelavitessedevotrePC1Click() {
  Panel5->setVisible(Panel5->isHidden());
}

void TForm1::ToolButton1Click() {
  RglagedelavitessedevotrePC1Click();
}

void TForm1::SpeedButton27Click() {
  Panel5->hide();
}

void TForm1::TrackBar1Change() {
  const int Position = TrackBar1->value();
  Settings.PcSpeedSetting() = std::to_string(Position);
  Label9->setText(QString::number(Position));
  // Sent before the save: a settings file that cannot be written must not
  // keep the analyser at the old speed. The value stays in effect.
  SendCommand(cmdPcSpeed, static_cast<std::uint8_t>((Position >> 8) & 0xFF),
              static_cast<std::uint8_t>(Position & 0xFF));
  SaveSettings();
}
