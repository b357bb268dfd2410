// SPDX-License-Identifier: GPL-3.0-or-later
// Texts the trace picture shows for the trigger mode, the pull and the rows.
#pragma once

/// The checked trigger mode button; the values are those the analyser is sent.
/// None stands for no button checked yet (the first screens of start-up).
enum class TTriggerMode {
  None = -1,
  SynchOff = 0,
  InternalEqual = 1,
  ExternalHigh = 2,
  ExternalLow = 3
};

/// The checked pull button, if any.
enum class TPull { None, Up, Down };

/// Text of a trigger mode on the picture, or nullptr for None.
const char* TriggerPictureText(TTriggerMode Mode);

/// Text of the pull on the picture, or nullptr when no pull button is checked.
const char* PullPictureText(TPull Pull);

/// Label of input k (1..16): "1".."16" with number labels, else "D0".."D7"
/// for each group; nullptr outside 1..16.
const char* ChannelLabelText(int Input, bool NumberLabels);
