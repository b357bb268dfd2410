// SPDX-License-Identifier: GPL-3.0-or-later
// Trigger mode: the four radio buttons of the trigger group, and the
// trigger text and pattern symbols of the trace picture.
#include <QCheckBox>
#include <QRadioButton>
#include <QToolButton>
#include <array>

#include "acquisition/TriggerTexts.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "app/StatusBar.h"

namespace {
// Status panel of the trigger pattern.
constexpr int PatternPanel = 2;

// The picture's mode is the one the analyser is sent.
static_assert(static_cast<int>(TTriggerMode::SynchOff) == TriggerModeOff);
static_assert(static_cast<int>(TTriggerMode::InternalEqual) == TriggerModeInternalEqual);
static_assert(static_cast<int>(TTriggerMode::ExternalHigh) == TriggerModeExternalHigh);
static_assert(static_cast<int>(TTriggerMode::ExternalLow) == TriggerModeExternalLow);
}  // namespace

TTriggerMode TForm1::CheckedTriggerMode() const {
  for (int Mode = 0; Mode < TriggerModeCount; ++Mode) {
    if (TriggerModeButton(Mode)->isChecked()) {
      return static_cast<TTriggerMode>(Mode);
    }
  }
  return TTriggerMode::None;
}

void TForm1::SelectTriggerMode(int Mode) {
  // Checking a button that was not checked runs its handler, which calls
  // back here; the button is then already checked and nothing runs twice.
  CarryHandlerErrors([&] { TriggerModeButton(Mode)->setChecked(true); });
  const bool PatternUsed = Mode == TriggerModeInternalEqual;
  for (QCheckBox* Box : CheckBoxes) {
    Box->setEnabled(PatternUsed);
  }
  SpeedButton28->setEnabled(PatternUsed);
  SpeedButton29->setEnabled(PatternUsed);
}

namespace {
void TriggerModeChosen(TForm1& Form, int Mode) {
  Form.RedrawScreen();
  Form.PresentScreen();
  const std::string Text =
      Mode == TriggerModeInternalEqual
          ? ModeButtonPatternText(static_cast<std::uint8_t>(Form.State.TriggerPattern & 0xFF))
          : BlankPatternText();
  Form.StatusBar1->SetPanelText(PatternPanel, QString::fromStdString(Text));
  Form.SelectTriggerMode(Mode);
  // Only the mode: the analyser keeps the pattern it was last sent.
  Form.SendCommand(cmdTriggerMode, static_cast<std::uint8_t>(Mode));
}
}  // namespace

void TForm1::RadioButton1Click() {
  TriggerModeChosen(*this, TriggerModeOff);
}

void TForm1::RadioButton2Click() {
  TriggerModeChosen(*this, TriggerModeInternalEqual);
}

void TForm1::RadioButton3Click() {
  TriggerModeChosen(*this, TriggerModeExternalHigh);
}

void TForm1::RadioButton4Click() {
  TriggerModeChosen(*this, TriggerModeExternalLow);
}
