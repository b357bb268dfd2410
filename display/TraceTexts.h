// SPDX-License-Identifier: GPL-3.0-or-later
// Texts the trace picture shows for the trigger mode, the pull and the rows.
#pragma once

#include "acquisition/TriggerTexts.h"

/// Text of a trigger mode on the picture, or nullptr for None.
const char* TriggerPictureText(TTriggerMode Mode);

/// Text of the pull on the picture, or nullptr when no pull button is checked.
const char* PullPictureText(TPull Pull);

/// Label of input k (1..16): "1".."16" with number labels, else "D0".."D7"
/// for each group; nullptr outside 1..16.
const char* ChannelLabelText(int Input, bool NumberLabels);
