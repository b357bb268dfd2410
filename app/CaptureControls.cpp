// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CaptureControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <vector>

#include "app/Form1Controls.h"

namespace {

template <typename TButton, std::size_t Count>
void SetButtons(const std::array<TButton*, Count>& Buttons, const std::array<bool, Count>& Down) {
  // Each button is set by itself, none checked included: the group's
  // exclusivity is lifted meanwhile, and no signal reaches a handler.
  std::vector<QSignalBlocker> Quiet;
  QButtonGroup* Group = Buttons[0]->group();
  if (Group != nullptr) {
    Quiet.emplace_back(Group);
    Group->setExclusive(false);
  }
  for (std::size_t K = 0; K < Count; ++K) {
    Quiet.emplace_back(Buttons[K]);
    const bool AutoExclusive = Buttons[K]->autoExclusive();
    Buttons[K]->setAutoExclusive(false);
    Buttons[K]->setChecked(Down[K]);
    Buttons[K]->setAutoExclusive(AutoExclusive);
  }
  if (Group != nullptr) {
    Group->setExclusive(true);
  }
}

template <typename TButton, std::size_t Count>
std::array<bool, Count> ReadButtons(const std::array<TButton*, Count>& Buttons) {
  std::array<bool, Count> Down{};
  for (std::size_t K = 0; K < Count; ++K) {
    Down[K] = Buttons[K]->isChecked();
  }
  return Down;
}

std::array<QRadioButton*, 4> TriggerButtons(const TForm1Controls& C) {
  return {C.RadioButton1, C.RadioButton2, C.RadioButton3, C.RadioButton4};
}

std::array<QRadioButton*, 2> PullButtons(const TForm1Controls& C) {
  return {C.RadioButton5, C.RadioButton6};
}

}  // namespace

TControlStates RecordedControls(const TOpenedCapture& Capture) {
  TControlStates States;
  if (Capture.TimeBase != nullptr) {
    States.TimeBase.at(static_cast<std::size_t>(Capture.TimeBase - TimeBaseTable.data())) = true;
  }
  if (Capture.TriggerMode != TTriggerMode::None) {
    States.Trigger.at(static_cast<std::size_t>(Capture.TriggerMode)) = true;
    for (std::size_t K = 0; K < States.Pattern.size(); ++K) {
      States.Pattern[K] = ((Capture.TriggerPattern >> K) & 1U) != 0;
    }
  }
  States.Pull = {Capture.Pull == TPull::Up, Capture.Pull == TPull::Down};
  return States;
}

TControlStates ControlsToGiveBack(const TControlStates& Live, const TControlStates& Shown,
                                  const TControlStates& Now) {
  TControlStates Back = Live;
  const auto Keep = [](auto& Into, const auto& Set, const auto& Current) {
    if (Current != Set) {
      Into = Current;
    }
  };
  Keep(Back.TimeBase, Shown.TimeBase, Now.TimeBase);
  Keep(Back.Trigger, Shown.Trigger, Now.Trigger);
  Keep(Back.Pull, Shown.Pull, Now.Pull);
  // A pattern box is a control of its own: each one the user changed stays.
  for (std::size_t K = 0; K < Back.Pattern.size(); ++K) {
    Keep(Back.Pattern[K], Shown.Pattern[K], Now.Pattern[K]);
  }
  return Back;
}

void TCaptureControls::Show(const TOpenedCapture& Capture) {
  if (!Showing) {
    Live = Read();
    Showing = true;
  } else {
    Live = ControlsToGiveBack(Live, Shown, Read());
  }
  Shown = RecordedControls(Capture);
  Set(Shown);
}

void TCaptureControls::GiveBack() {
  if (!Showing) {
    return;
  }
  Set(ControlsToGiveBack(Live, Shown, Read()));
  Showing = false;
}

TControlStates TCaptureControls::Read() const {
  return {ReadButtons(Controls.TimeBaseButtons), ReadButtons(TriggerButtons(Controls)),
          ReadButtons(Controls.CheckBoxes), ReadButtons(PullButtons(Controls))};
}

void TCaptureControls::Set(const TControlStates& States) {
  SetButtons(Controls.TimeBaseButtons, States.TimeBase);
  SetButtons(TriggerButtons(Controls), States.Trigger);
  SetButtons(Controls.CheckBoxes, States.Pattern);
  SetButtons(PullButtons(Controls), States.Pull);
}
