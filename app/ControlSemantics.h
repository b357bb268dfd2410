// SPDX-License-Identifier: GPL-3.0-or-later
// How the controls of the main window report to their handlers. The handlers
// rely on these rules, so they are made in this one place:
// - a radio button runs its handler whenever it becomes checked, by the user
//   or by the program, and not when a checked button is clicked again;
// - a check box runs its handler whenever its state changes, by the user or
//   by the program;
// - a speed button runs its handler on every click, also when it is already
//   down in an exclusive group; the program can put it down silently;
// - a track bar or scroll bar runs its handler only when its position changes;
//   a scroll bar moved by a key changes position once per key;
// - a toggle button flips on each click, then runs its handler;
// - an error escaping a handler is shown where Qt called it (RunHandler).
#pragma once

#include <functional>
#include <initializer_list>

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QButtonGroup;
class QCheckBox;
class QObject;
class QRadioButton;

namespace ControlSemantics {

using THandler = std::function<void()>;

/// Handler runs each time Button becomes checked.
void OnBecomesChecked(QRadioButton* Button, THandler Handler);

/// Handler runs each time Box's checked state changes.
void OnStateChange(QCheckBox* Box, THandler Handler);

/// Handler runs on every click of Button, whatever its state.
void OnClick(QAbstractButton* Button, THandler Handler);

/// Handler runs each time Slider's position changes.
void OnPositionChange(QAbstractSlider* Slider, THandler Handler);

/// Handler runs each time the menu item is chosen (after a check item has
/// toggled its own check mark).
void OnChoose(QAction* Item, THandler Handler);

/// Makes Buttons one exclusive group owned by Owner: each becomes a latching
/// button, exactly one stays down once one was put down, and clicking the one
/// that is down leaves it down.
QButtonGroup* MakeExclusiveGroup(QObject* Owner, std::initializer_list<QAbstractButton*> Buttons);

/// Makes Button a latching button of its own that flips on every click.
void MakeToggleButton(QAbstractButton* Button);

/// Puts a latching button down without running its click handler.
void PutDown(QAbstractButton* Button);

/// Bar takes the keyboard on a click; then Left and Up move it one step
/// back, Right and Down one step on, Page Up and Page Down a page back and
/// on, Home and End to its ends, as on Windows.
void TakeKeysOnClick(QAbstractSlider* Bar);

}  // namespace ControlSemantics
