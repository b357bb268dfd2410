// SPDX-License-Identifier: GPL-3.0-or-later
// Trigger pattern: the eight input boxes and the all / none buttons.
#include <QCheckBox>
#include <QRadioButton>

#include "acquisition/TriggerTexts.h"
#include "app/Form1.h"
#include "app/StatusBar.h"

namespace {
// Status panel of the trigger pattern.
constexpr int PatternPanel = 2;

// Sets every box in order; each box that changes runs its own handler and
// so sends the pattern reached after it.
void SetAllBoxes(TForm1& Form, bool Checked) {
  for (QCheckBox* Box : Form.CheckBoxes) {
    Box->setChecked(Checked);
  }
}
}  // namespace

void TForm1::TriggerBoxClick(int K) {
  if (K < 1 || K > static_cast<int>(CheckBoxes.size())) {
    return;
  }
  // The symbols on the empty screen already follow the box's new state.
  RedrawScreen();
  PresentScreen();
  // The bit follows the box, so the pattern stays within 0 to 255 whoever
  // runs the handler.
  const std::int32_t Weight = 1 << (K - 1);
  if (CheckBoxes[static_cast<std::size_t>(K - 1)]->isChecked()) {
    State.TriggerPattern |= Weight;
  } else {
    State.TriggerPattern &= ~Weight;
  }
  const auto Pattern = static_cast<std::uint8_t>(State.TriggerPattern & 0xFF);
  if (RadioButton2->isChecked()) {
    StatusBar1->SetPanelText(PatternPanel, QString::fromStdString(PatternBoxPatternText(Pattern)));
  }
  SendCommand(cmdTriggerPattern, Pattern);
}

void TForm1::CheckBox1Click() {
  TriggerBoxClick(1);
}

void TForm1::CheckBox2Click() {
  TriggerBoxClick(2);
}

void TForm1::CheckBox3Click() {
  TriggerBoxClick(3);
}

void TForm1::CheckBox4Click() {
  TriggerBoxClick(4);
}

void TForm1::CheckBox5Click() {
  TriggerBoxClick(5);
}

void TForm1::CheckBox6Click() {
  TriggerBoxClick(6);
}

void TForm1::CheckBox7Click() {
  TriggerBoxClick(7);
}

void TForm1::CheckBox8Click() {
  TriggerBoxClick(8);
}

// "Tout cocher".
void TForm1::SpeedButton28Click() {
  SetAllBoxes(*this, true);
}

// "Tout décocher".
void TForm1::SpeedButton29Click() {
  SetAllBoxes(*this, false);
}
