// SPDX-License-Identifier: GPL-3.0-or-later
// The acquisition controls while a capture is shown: the time-base buttons,
// the trigger mode, its pattern and the pull say what the capture records,
// set without a word to their handlers. What they said for the analyser is
// kept aside and given back when the capture is left.
#pragma once

#include <array>

#include "acquisition/SigrokSessionReader.h"

struct TForm1Controls;

/// Which of the acquisition controls are down or checked.
struct TControlStates {
  std::array<bool, 18> TimeBase{};  ///< in the time-base table's order
  std::array<bool, 4> Trigger{};    ///< mode buttons, in the modes' order
  std::array<bool, 8> Pattern{};    ///< inputs 1-8
  std::array<bool, 2> Pull{};       ///< up, down
  friend bool operator==(const TControlStates&, const TControlStates&) = default;
};

/// What the controls show for Capture: nothing checked for what it does not record.
TControlStates RecordedControls(const TOpenedCapture& Capture);

/// The analyser's settings to give back when a capture is left: each group
/// of Live, except a group whose controls no longer show what Shown set
/// (the user chose there meanwhile, and the handler sent it): Now's.
TControlStates ControlsToGiveBack(const TControlStates& Live, const TControlStates& Shown,
                                  const TControlStates& Now);

class TCaptureControls {
 public:
  /// Controls outlive this object.
  explicit TCaptureControls(TForm1Controls& Controls) : Controls(Controls) {}

  /// The controls show Capture; the first capture keeps the analyser's
  /// settings aside.
  void Show(const TOpenedCapture& Capture);
  /// The analyser's settings back (see ControlsToGiveBack); nothing when no
  /// capture is shown.
  void GiveBack();
  /// Runs Work on the controls as they are for the analyser, then shows the
  /// capture again (an attach sets the pull by its button while a capture is
  /// shown). Whether Work changed them.
  template <typename TWork>
  bool ForAnalyser(TWork&& Work) {
    if (!Showing) {
      Work();
      return false;
    }
    const TControlStates Before = ControlsToGiveBack(Live, Shown, Read());
    Set(Before);
    Work();
    Live = Read();
    Set(Shown);
    return Live != Before;
  }

  /// What the controls show now.
  TControlStates Read() const;

 private:
  /// Puts the controls in States without running a handler.
  void Set(const TControlStates& States);

  TForm1Controls& Controls;
  bool Showing = false;
  TControlStates Live;
  TControlStates Shown;
};
